// CCleanwardenApp: the crash road and the crash report.

#include "app/cleanwardenapp.h"

#include "app/appconstants.h"
#include "app/cleanwardenapplication.h"
#include "engine/enginelogtext.h"
#include "foundation/debuglog.h"
#include "foundation/syshelpers.h"
#include "platform/sehguard.h"
#include "reports/exceptiondialog.h"
#include "reports/systemreport.h"
#include "ui/maindialog.h"

void CCleanwardenApp::BuildExceptionHeader(CString& text) const
{
    char language[128] = "";
    ::GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_SLANGUAGE, language, sizeof(language));
    text = language;
    text += " ";
    text += GetOSName();
    text += "\r\n";
    text += "IE version: ";
    text += GetIEVersion();
    text += "\n";
    text += CW_PRODUCT_NAME " " CW_PRODUCT_VERSION "." CW_PRODUCT_BUILD "\r\n";
}

void CCleanwardenApp::ShowExceptionReport(CString engineText, CString exceptionText)
{
    if (exceptionText.IsEmpty())
        exceptionText = m_strExceptionReport;
    CExceptionDialog dialog;
    dialog.SetEngineLog(engineText);
    dialog.SetExceptionText(exceptionText);
    CSystemReport report;
    report.Write();
    dialog.DoModal();
}

BOOL CCleanwardenApp::OnStartupException(DWORD code, const void* address)
{
    CString description;
    if (code == CSehGuard::CppExceptionCode)
        description = "C++ exception";
    else
        description.Format("Exception 0x%08lX at %p", static_cast<unsigned long>(code), address);
    DebugLog("Message: %s\nFunction: %s", static_cast<LPCSTR>(description), "CCleanwardenApp::InitInstance");
    ReportCrash(description);
    // The main dialog's loop was abandoned; its window goes now, the tray
    // icon with it.
    if (m_pMainDialog)
    {
        m_pMainWnd = nullptr;
        if (m_pMainDialog->m_hWnd)
            m_pMainDialog->DestroyWindow();
        delete m_pMainDialog;
        m_pMainDialog = nullptr;
    }
    CCleanwardenApplication::SetHost(nullptr);
    Shutdown();
    return FALSE;
}

LRESULT CCleanwardenApp::ProcessWndProcException(const AFX_WNDPROC_EXCEPTION& info, const MSG* pMsg)
{
    const LRESULT result = CWinApp::ProcessWndProcException(info, pMsg);
    CString description;
    description.Format("%s (message 0x%04X)", static_cast<LPCSTR>(info.description),
                       pMsg ? pMsg->message : 0);
    ReportCrash(description);
    return result;
}

void CCleanwardenApp::ReportCrash(const CString& description)
{
    // One report per run: a fault while it is shown is only logged.
    if (m_bCrashReported)
        return;
    m_bCrashReported = true;
    BuildExceptionHeader(m_strExceptionReport);
    m_strExceptionReport += description;
    m_strExceptionReport += "\r\n";
    ShowExceptionReport(CEngineLogText.Get(), m_strExceptionReport);
    if (m_pMainDialog && m_pMainDialog->m_hWnd)
        m_pMainDialog->EndDialog(0);
}
