#pragma once
// The script side of a page without a script engine: functions the page's
// script would hold are implemented natively and registered by name. They
// are reached in two ways: the onclick handlers of the page ("Toggle(this,
// 'details5'); return false;") and the script object that the document's
// "Script" property hands out, an IDispatch whose names are the registered
// functions (as a program calls page script through the browser).

#include <windows.h>
#include <oaidl.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

class CHtmlDocument;
class CHtmlNode;

class CHtmlScriptValue
{
public:
    enum Kind { Empty, Bool, Number, String, Element };

    CHtmlScriptValue() = default;
    static CHtmlScriptValue FromBool(bool b);
    static CHtmlScriptValue FromNumber(double n);
    static CHtmlScriptValue FromString(const std::wstring& s);
    static CHtmlScriptValue FromElement(CHtmlNode* e);
    // VARIANT arguments of IDispatch::Invoke; unknown kinds become Empty.
    static CHtmlScriptValue FromVariant(const VARIANT& v);

    Kind kind() const { return m_kind; }
    double ToNumber() const;
    int ToInt() const;
    std::wstring ToString() const;
    CHtmlNode* ToElement() const { return m_kind == Element ? m_element : nullptr; }
    // A new VARIANT the caller clears.
    void ToVariant(VARIANT& v) const;

private:
    Kind m_kind = Empty;
    bool m_bool = false;
    double m_number = 0;
    std::wstring m_string;
    CHtmlNode* m_element = nullptr;  // kept alive by the caller of the function
};

struct CHtmlScriptCall
{
    CHtmlDocument* document = nullptr;
    CHtmlNode* thisElement = nullptr;  // the element of an onclick handler
    std::vector<CHtmlScriptValue> args;
    CHtmlScriptValue result;

    // Argument i, or Empty past the end.
    const CHtmlScriptValue& Arg(size_t i) const;
};

class CHtmlScriptHost
{
public:
    using Function = std::function<void(CHtmlScriptCall& call)>;

    CHtmlScriptHost();
    ~CHtmlScriptHost();
    CHtmlScriptHost(const CHtmlScriptHost&) = delete;
    CHtmlScriptHost& operator=(const CHtmlScriptHost&) = delete;

    void SetDocument(CHtmlDocument* document) { m_document = document; }
    // A host that forbids page script (a browser host's download control):
    // handlers run nothing and the script object refuses its calls.
    void Enable(bool enable) { m_enabled = enable; }
    void Register(const std::wstring& name, Function function);

    // Calls a registered function; false when no such function exists.
    bool Call(const std::wstring& name, CHtmlScriptCall& call);

    // Runs an onclick handler: calls separated by ';', whose arguments are
    // this, strings, numbers, true, false and null. Anything else in the
    // text is skipped. Returns the number of calls made.
    int RunHandler(CHtmlNode* element, const std::wstring& code);

    // The script object (a new reference).
    IDispatch* Dispatch();

private:
    class ScriptDispatch;
    friend class ScriptDispatch;

    CHtmlDocument* m_document = nullptr;
    bool m_enabled = true;
    std::vector<std::pair<std::wstring, Function>> m_functions;  // DISPID = index + 1
    ScriptDispatch* m_dispatch = nullptr;
};

// The document object of a browser view: an IDispatch whose one property,
// "Script", is the script object of the host it is made for.
IDispatch* CreateHtmlDocumentObject(CHtmlScriptHost* host);
