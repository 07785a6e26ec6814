#pragma once
// Calls the script functions of a browser page (CHtmlDialogBase) by name
// with text arguments. The page's document, handed over when it has loaded,
// gives its script object (its "Script" property); the function's name is
// looked up there and it is invoked with the arguments as texts, in order.
// Nothing throws: a failing step keeps "JSCall Error:\n" and the reason as
// the last error ("NULL pointer", "Cannot GetScript", or the system's text
// for the HRESULT) and the call answers false.

#include "platform/html/htmlscriptcaller.h"
#include "platform/mfc/cstring.h"
#include "platform/mfc/cstringarray.h"

#include <oaidl.h>

class CWebPageScript
{
public:
    CWebPageScript() = default;
    virtual ~CWebPageScript() = default;
    CWebPageScript(const CWebPageScript&) = delete;
    CWebPageScript& operator=(const CWebPageScript&) = delete;

    // The page's document; neither owned nor counted here: it must outlive
    // the calls (a CDHtmlDialog keeps its document until it is destroyed).
    bool SetDocument(IDispatch* document);
    // The script object, a new reference.
    bool GetScript(IDispatch** script);

    // One text argument.
    bool CallScript(const CString& function, const CString& argument, VARIANT* result = nullptr);
    // The arguments first to last. The result, when asked for, goes into an
    // initialised VARIANT as a copy the caller clears (VT_ERROR with the
    // copy's HRESULT when copying failed).
    bool CallScriptArgs(const CString& function, const CStringArray& arguments, VARIANT* result = nullptr);

    void SetError(LPCSTR text);
    CString GetLastError() const { return CString(m_caller.LastError().c_str()); }
    // The system's text for the code, or "FormatMessage Netive Error".
    static CString FormatErrorText(HRESULT code);

private:
    CHtmlScriptCaller m_caller;
};
