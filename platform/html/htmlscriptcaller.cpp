#include "platform/html/htmlscriptcaller.h"

#include <memory>

namespace
{
BSTR ToBstr(const std::string& text)
{
    int n = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    BSTR b = SysAllocStringLen(nullptr, static_cast<UINT>(n));
    if (b && n)
        MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), b, n);
    return b;
}
}  // namespace

bool CHtmlScriptCaller::SetDocument(IDispatch* document)
{
    m_document = document;
    return true;
}

bool CHtmlScriptCaller::GetScript(IDispatch** script)
{
    *script = nullptr;
    if (!m_document)
    {
        SetError("NULL pointer");
        return false;
    }
    // The document's "Script" property, read through its dispatch interface.
    OLECHAR name[] = L"Script";
    LPOLESTR names[] = {name};
    DISPID id = DISPID_UNKNOWN;
    if (FAILED(m_document->GetIDsOfNames(IID_NULL, names, 1, LOCALE_SYSTEM_DEFAULT, &id)))
        return false;
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT value;
    VariantInit(&value);
    HRESULT hr = m_document->Invoke(id, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYGET, &none, &value, nullptr, nullptr);
    if (SUCCEEDED(hr) && V_VT(&value) == VT_DISPATCH && V_DISPATCH(&value))
    {
        *script = V_DISPATCH(&value);
        (*script)->AddRef();
    }
    VariantClear(&value);
    return *script != nullptr;
}

bool CHtmlScriptCaller::CallScript(const std::string& function, const std::string& argument, VARIANT* result)
{
    return CallScriptArgs(function, std::vector<std::string>{argument}, result);
}

bool CHtmlScriptCaller::CallScriptArgs(const std::string& function, const std::vector<std::string>& arguments, VARIANT* result)
{
    IDispatch* script = nullptr;
    if (!GetScript(&script))
    {
        SetError("Cannot GetScript");
        return false;
    }
    BSTR name = ToBstr(function);
    DISPID id = DISPID_UNKNOWN;
    HRESULT hr = script->GetIDsOfNames(IID_NULL, &name, 1, LOCALE_SYSTEM_DEFAULT, &id);
    SysFreeString(name);
    if (FAILED(hr))
    {
        SetError(FormatErrorText(hr));
        script->Release();
        return false;
    }
    // IDispatch takes the arguments last first.
    size_t n = arguments.size();
    std::unique_ptr<VARIANT[]> args(new VARIANT[n ? n : 1]);
    for (size_t i = 0; i < n; ++i)
    {
        VariantInit(&args[i]);
        V_VT(&args[i]) = VT_BSTR;
        V_BSTR(&args[i]) = ToBstr(arguments[n - 1 - i]);
    }
    DISPPARAMS params = {args.get(), nullptr, static_cast<UINT>(n), 0};
    VARIANT value;
    VariantInit(&value);
    EXCEPINFO info = {};
    UINT argError = static_cast<UINT>(-1);
    hr = script->Invoke(id, IID_NULL, 0, DISPATCH_METHOD, &params, &value, &info, &argError);
    for (size_t i = 0; i < n; ++i)
        VariantClear(&args[i]);
    SysFreeString(info.bstrSource);
    SysFreeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    script->Release();
    if (FAILED(hr))
    {
        VariantClear(&value);
        SetError(FormatErrorText(hr));
        return false;
    }
    if (result)
    {
        HRESULT copy = VariantCopy(result, &value);
        if (FAILED(copy))
        {
            V_VT(result) = VT_ERROR;
            V_ERROR(result) = copy;
        }
    }
    // The copy is the caller's; the call's own result is freed here.
    VariantClear(&value);
    return true;
}

void CHtmlScriptCaller::SetError(const std::string& text)
{
    m_error = "JSCall Error:\n" + text;
}

std::string CHtmlScriptCaller::FormatErrorText(HRESULT code)
{
    LPSTR buffer = nullptr;
    DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM, nullptr, static_cast<DWORD>(code),
                             0x0800, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
    std::string text = (n && buffer) ? std::string(buffer, n) : std::string("FormatMessage Netive Error");
    if (buffer)
        LocalFree(buffer);
    return text;
}
