#pragma once
// Calls the script functions of a browser page by name with text arguments:
// the page's document answers its "Script" property with the script object,
// whose IDispatch finds the function and runs it. Failures are kept as the
// last error text ("JSCall Error:\n" and the reason) and reported as false.
// The application's CWebPageScript gives it the framework's string face.

#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

class CHtmlScriptCaller
{
public:
    CHtmlScriptCaller() = default;
    virtual ~CHtmlScriptCaller() = default;
    CHtmlScriptCaller(const CHtmlScriptCaller&) = delete;
    CHtmlScriptCaller& operator=(const CHtmlScriptCaller&) = delete;

    // The page's document; not owned and not reference-counted here.
    bool SetDocument(IDispatch* document);
    // The script object (a new reference).
    bool GetScript(IDispatch** script);

    bool CallScript(const std::string& function, const std::string& argument, VARIANT* result = nullptr);
    // Arguments go in as texts, first to last.
    bool CallScriptArgs(const std::string& function, const std::vector<std::string>& arguments, VARIANT* result = nullptr);

    void SetError(const std::string& text);
    const std::string& LastError() const { return m_error; }
    static std::string FormatErrorText(HRESULT code);

private:
    IDispatch* m_document = nullptr;
    std::string m_error;
};
