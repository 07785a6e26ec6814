#pragma once
// What the framework reads from the command line: the COM server switches
// "Register"/"Regserver", "Unregister"/"Unregserver", "Embedding" and
// "Automation", each led by "/" or "-" in any case, and the first argument
// that is not a switch as a file name. Other switches are left to the
// program (it looks for "/r", "/h" and "/s" itself).

#include "platform/mfc/cobject.h"
#include "platform/mfc/cstring.h"

class CCommandLineInfo : public CObject
{
public:
    enum
    {
        FileNew,
        FileOpen,
        AppRegister,
        AppUnregister,
        FileNothing = -1
    } m_nShellCommand;

    CCommandLineInfo();

    // One argument; bFlag when it was led by "/" or "-" (which is removed),
    // bLast for the last one.
    virtual void ParseParam(const char* pszParam, BOOL bFlag, BOOL bLast);

    BOOL m_bShowSplash;
    BOOL m_bRunEmbedded;
    BOOL m_bRunAutomated;
    CString m_strFileName;

protected:
    void ParseParamFlag(const char* pszParam);
    void ParseParamNotFlag(const char* pszParam);
    void ParseLast(BOOL bLast);
};
