#include "ui/webpagescript.h"

bool CWebPageScript::SetDocument(IDispatch* document)
{
    return m_caller.SetDocument(document);
}

bool CWebPageScript::GetScript(IDispatch** script)
{
    return script && m_caller.GetScript(script);
}

bool CWebPageScript::CallScript(const CString& function, const CString& argument, VARIANT* result)
{
    CStringArray arguments;
    arguments.Add(argument);
    return CallScriptArgs(function, arguments, result);
}

bool CWebPageScript::CallScriptArgs(const CString& function, const CStringArray& arguments, VARIANT* result)
{
    std::vector<std::string> texts;
    texts.reserve(static_cast<size_t>(arguments.GetSize()));
    for (INT_PTR i = 0; i < arguments.GetSize(); ++i)
        texts.emplace_back(arguments.GetAt(i).GetString(), static_cast<size_t>(arguments.GetAt(i).GetLength()));
    return m_caller.CallScriptArgs(function.GetString(), texts, result);
}

void CWebPageScript::SetError(LPCSTR text)
{
    m_caller.SetError(text ? text : "");
}

CString CWebPageScript::FormatErrorText(HRESULT code)
{
    return CString(CHtmlScriptCaller::FormatErrorText(code).c_str());
}
