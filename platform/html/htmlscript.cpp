#include "platform/html/htmlscript.h"

#include "platform/html/htmlnode.h"

#include <cmath>
#include <cwctype>

namespace
{
const DISPID kScriptProperty = 1001;
const size_t kMaxHandlerCalls = 16;

bool IsIdentChar(wchar_t c)
{
    return iswalnum(c) || c == L'_' || c == L'$' || c == L'.';
}
}  // namespace

// The IUnknown and type-information half of a dispatch object without a
// type library; the names and calls are the derived class's.
class CHtmlDispatchBase : public IDispatch
{
public:
    virtual ~CHtmlDispatchBase() = default;

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override
    {
        if (!out)
            return E_POINTER;
        if (riid == IID_IUnknown || riid == IID_IDispatch)
        {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&m_refs); }
    STDMETHODIMP_(ULONG) Release() override
    {
        LONG n = InterlockedDecrement(&m_refs);
        if (n == 0)
            delete this;
        return n;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }

private:
    LONG m_refs = 1;
};

CHtmlScriptValue CHtmlScriptValue::FromBool(bool b)
{
    CHtmlScriptValue v;
    v.m_kind = Bool;
    v.m_bool = b;
    return v;
}

CHtmlScriptValue CHtmlScriptValue::FromNumber(double n)
{
    CHtmlScriptValue v;
    v.m_kind = Number;
    v.m_number = n;
    return v;
}

CHtmlScriptValue CHtmlScriptValue::FromString(const std::wstring& s)
{
    CHtmlScriptValue v;
    v.m_kind = String;
    v.m_string = s;
    return v;
}

CHtmlScriptValue CHtmlScriptValue::FromElement(CHtmlNode* e)
{
    CHtmlScriptValue v;
    v.m_kind = e ? Element : Empty;
    v.m_element = e;
    return v;
}

CHtmlScriptValue CHtmlScriptValue::FromVariant(const VARIANT& in)
{
    const VARIANT* v = &in;
    if (V_VT(v) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(v))
        v = V_VARIANTREF(v);
    switch (V_VT(v))
    {
    case VT_BSTR: return FromString(V_BSTR(v) ? std::wstring(V_BSTR(v), SysStringLen(V_BSTR(v))) : std::wstring());
    case VT_BOOL: return FromBool(V_BOOL(v) != VARIANT_FALSE);
    case VT_I1: return FromNumber(V_I1(v));
    case VT_I2: return FromNumber(V_I2(v));
    case VT_I4: return FromNumber(V_I4(v));
    case VT_INT: return FromNumber(V_INT(v));
    case VT_UI1: return FromNumber(V_UI1(v));
    case VT_UI2: return FromNumber(V_UI2(v));
    case VT_UI4: return FromNumber(V_UI4(v));
    case VT_UINT: return FromNumber(V_UINT(v));
    case VT_R4: return FromNumber(V_R4(v));
    case VT_R8: return FromNumber(V_R8(v));
    default: return CHtmlScriptValue();
    }
}

double CHtmlScriptValue::ToNumber() const
{
    switch (m_kind)
    {
    case Bool: return m_bool ? 1 : 0;
    case Number: return m_number;
    case String: return wcstod(m_string.c_str(), nullptr);
    default: return 0;
    }
}

int CHtmlScriptValue::ToInt() const
{
    if (m_kind == String)
        return _wtoi(m_string.c_str());  // parseInt: leading digits
    double n = ToNumber();
    if (!(n > -2147483648.0 && n < 2147483647.0))
        return 0;
    return static_cast<int>(n);
}

std::wstring CHtmlScriptValue::ToString() const
{
    switch (m_kind)
    {
    case Bool: return m_bool ? L"true" : L"false";
    case Number:
    {
        wchar_t buf[64];
        if (m_number == std::floor(m_number) && std::fabs(m_number) < 1e15)
            swprintf(buf, 64, L"%.0f", m_number);
        else
            swprintf(buf, 64, L"%g", m_number);
        return buf;
    }
    case String: return m_string;
    default: return std::wstring();
    }
}

void CHtmlScriptValue::ToVariant(VARIANT& v) const
{
    VariantInit(&v);
    switch (m_kind)
    {
    case Bool:
        V_VT(&v) = VT_BOOL;
        V_BOOL(&v) = m_bool ? VARIANT_TRUE : VARIANT_FALSE;
        break;
    case Number:
        if (m_number == std::floor(m_number) && m_number >= -2147483648.0 && m_number <= 2147483647.0)
        {
            V_VT(&v) = VT_I4;
            V_I4(&v) = static_cast<LONG>(m_number);
        }
        else
        {
            V_VT(&v) = VT_R8;
            V_R8(&v) = m_number;
        }
        break;
    case String:
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = SysAllocStringLen(m_string.data(), static_cast<UINT>(m_string.size()));
        break;
    default:
        break;
    }
}

const CHtmlScriptValue& CHtmlScriptCall::Arg(size_t i) const
{
    static const CHtmlScriptValue empty;
    return i < args.size() ? args[i] : empty;
}

// The script object: GetIDsOfNames knows the registered names (case counts,
// as in script), Invoke calls them as methods.
class CHtmlScriptHost::ScriptDispatch : public CHtmlDispatchBase
{
public:
    explicit ScriptDispatch(CHtmlScriptHost* host) : m_host(host) {}
    void Detach() { m_host = nullptr; }

    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (!names || !ids)
            return E_POINTER;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i)
        {
            ids[i] = DISPID_UNKNOWN;
            if (i == 0 && m_host && names[0])
                for (size_t k = 0; k < m_host->m_functions.size(); ++k)
                    if (m_host->m_functions[k].first == names[0])
                        ids[0] = static_cast<DISPID>(k + 1);
            if (ids[i] == DISPID_UNKNOWN)
                hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*, UINT* argErr) override
    {
        if (!m_host)
            return E_UNEXPECTED;
        if (!m_host->m_enabled)
            return E_ACCESSDENIED;
        if (id < 1 || static_cast<size_t>(id) > m_host->m_functions.size())
            return DISP_E_MEMBERNOTFOUND;
        if (!(flags & DISPATCH_METHOD))
            return DISP_E_MEMBERNOTFOUND;
        CHtmlScriptCall call;
        call.document = m_host->m_document;
        if (params)
        {
            if (params->cArgs && !params->rgvarg)
                return E_INVALIDARG;
            // IDispatch hands the arguments over last first.
            for (UINT i = params->cArgs; i-- > 0;)
                call.args.push_back(CHtmlScriptValue::FromVariant(params->rgvarg[i]));
        }
        if (argErr)
            *argErr = 0;
        Function f = m_host->m_functions[id - 1].second;  // a call may register more
        f(call);
        if (result)
            call.result.ToVariant(*result);
        return S_OK;
    }

private:
    CHtmlScriptHost* m_host;
};

CHtmlScriptHost::CHtmlScriptHost() = default;

CHtmlScriptHost::~CHtmlScriptHost()
{
    if (m_dispatch)
    {
        m_dispatch->Detach();  // holders of the script object get E_UNEXPECTED
        m_dispatch->Release();
    }
}

void CHtmlScriptHost::Register(const std::wstring& name, Function function)
{
    for (auto& f : m_functions)
        if (f.first == name)
        {
            f.second = std::move(function);
            return;
        }
    m_functions.emplace_back(name, std::move(function));
}

bool CHtmlScriptHost::Call(const std::wstring& name, CHtmlScriptCall& call)
{
    for (const auto& f : m_functions)
        if (f.first == name)
        {
            if (!call.document)
                call.document = m_document;
            Function copy = f.second;
            copy(call);
            return true;
        }
    return false;
}

IDispatch* CHtmlScriptHost::Dispatch()
{
    if (!m_dispatch)
        m_dispatch = new ScriptDispatch(this);
    m_dispatch->AddRef();
    return m_dispatch;
}

int CHtmlScriptHost::RunHandler(CHtmlNode* element, const std::wstring& code)
{
    if (!m_enabled)
        return 0;
    size_t i = 0, n = code.size();
    int calls = 0;
    auto blanks = [&] {
        while (i < n && iswspace(code[i]))
            ++i;
    };
    blanks();
    if (code.compare(i, 11, L"javascript:") == 0)
        i += 11;
    while (i < n && calls < static_cast<int>(kMaxHandlerCalls))
    {
        blanks();
        size_t b = i;
        while (i < n && IsIdentChar(code[i]))
            ++i;
        std::wstring name = code.substr(b, i - b);
        blanks();
        bool ok = !name.empty() && i < n && code[i] == L'(';
        std::vector<CHtmlScriptValue> args;
        if (ok)
        {
            ++i;
            for (;;)
            {
                blanks();
                if (i >= n)
                {
                    ok = false;
                    break;
                }
                if (code[i] == L')')
                {
                    ++i;
                    break;
                }
                if (code[i] == L'\'' || code[i] == L'"')
                {
                    wchar_t q = code[i++];
                    std::wstring s;
                    while (i < n && code[i] != q)
                    {
                        if (code[i] == L'\\' && i + 1 < n)
                        {
                            ++i;
                            s += code[i] == L'n' ? L'\n' : code[i] == L't' ? L'\t' : code[i];
                        }
                        else
                            s += code[i];
                        ++i;
                    }
                    if (i >= n)
                    {
                        ok = false;
                        break;
                    }
                    ++i;
                    args.push_back(CHtmlScriptValue::FromString(s));
                }
                else
                {
                    size_t a = i;
                    while (i < n && code[i] != L',' && code[i] != L')' && code[i] != L';')
                        ++i;
                    if (i == a)
                    {
                        ok = false;  // a ';' inside the parentheses: no call this engine makes
                        break;
                    }
                    std::wstring word = code.substr(a, i - a);
                    while (!word.empty() && iswspace(word.back()))
                        word.pop_back();
                    wchar_t* end = nullptr;
                    double num = wcstod(word.c_str(), &end);
                    if (word == L"this")
                        args.push_back(CHtmlScriptValue::FromElement(element));
                    else if (word == L"true" || word == L"false")
                        args.push_back(CHtmlScriptValue::FromBool(word == L"true"));
                    else if (!word.empty() && end && *end == 0)
                        args.push_back(CHtmlScriptValue::FromNumber(num));
                    else
                        args.push_back(CHtmlScriptValue());
                }
                blanks();
                if (i < n && code[i] == L',')
                    ++i;
            }
        }
        if (ok)
        {
            CHtmlScriptCall call;
            call.document = m_document;
            call.thisElement = element;
            call.args = std::move(args);
            if (element)
                element->AddRef();
            if (Call(name, call))
                ++calls;
            if (element)
                element->Release();
        }
        // On to the next statement.
        wchar_t quote = 0;
        while (i < n)
        {
            wchar_t c = code[i++];
            if (quote)
            {
                if (c == quote)
                    quote = 0;
            }
            else if (c == L'\'' || c == L'"')
                quote = c;
            else if (c == L';')
                break;
        }
    }
    return calls;
}

namespace
{
class DocumentObject : public CHtmlDispatchBase
{
public:
    explicit DocumentObject(IDispatch* script) : m_script(script) {}
    ~DocumentObject() override { m_script->Release(); }

    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (!names || !ids)
            return E_POINTER;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i)
        {
            // Document members are named without regard to case.
            ids[i] = (i == 0 && names[0] && _wcsicmp(names[0], L"Script") == 0) ? kScriptProperty : DISPID_UNKNOWN;
            if (ids[i] == DISPID_UNKNOWN)
                hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) override
    {
        if (id != kScriptProperty)
            return DISP_E_MEMBERNOTFOUND;
        if (!(flags & DISPATCH_PROPERTYGET))
            return DISP_E_MEMBERNOTFOUND;
        if (!result)
            return E_POINTER;
        VariantInit(result);
        V_VT(result) = VT_DISPATCH;
        V_DISPATCH(result) = m_script;
        m_script->AddRef();
        return S_OK;
    }

private:
    IDispatch* m_script;
};
}  // namespace

IDispatch* CreateHtmlDocumentObject(CHtmlScriptHost* host)
{
    return new DocumentObject(host->Dispatch());
}
