#include "reports/exceptionreport.h"

#include "reg/reportservers.h"
#include "reports/serverposter.h"

#include <cstdio>

const char CExceptionReport::kCaption[] = "Telmin Cleanwarden 2.1.152";
const char CExceptionReport::kPlaceholderEmail[] = "anonymous@telmin.com";
const char CExceptionReport::kReporterName[] = "Unhandled exception reporter";

CExceptionReport::CExceptionReport() : m_url(GetCrashReportUrl().c_str())
{
}

CExceptionReport::CExceptionReport(const char* url) : m_url(url)
{
}

CString CExceptionReport::BuildReportText(const CString& comments) const
{
    return "User comments:\n" + comments + "\n\n" + "Exception info:\n" + m_strExceptionText;
}

CString CExceptionReport::BuildMessage(const CString& reportText) const
{
    return reportText + "================EXCEPTION_LOG======================\r\n" + m_strEngineLog;
}

bool CExceptionReport::Post(const CString& comments, const CString& email) const
{
    const CString address = email.IsEmpty() ? CString(kPlaceholderEmail) : email;
    try
    {
        CServerPoster poster(m_url);
        poster.FormatBody("name=%s&email=%s&subject=%s&message=%s",
                          {kReporterName, address, kReporterName, BuildMessage(BuildReportText(comments))});
        poster.Send();
        return true;
    }
    catch (CException* e)
    {
        e->Delete();
    }
    catch (...)
    {
        // Whatever went wrong, the user still gets to save the report.
    }
    return false;
}

bool CExceptionReport::Send(const CString& comments, const CString& email, IExceptionReportUi& ui) const
{
    ui.ShowWaitCursor(true);
    const bool sent = Post(comments, email);
    ui.ShowWaitCursor(false);
    if (!sent && ui.ShowMessage(ui.GetText("cannotSendInfo"), kCaption, MB_OKCANCEL) == IDOK)
        SaveReport(BuildReportText(comments), ui);
    ui.ShowMessage(ui.GetText("thanksMessage"), kCaption, MB_OK);
    return sent;
}

bool CExceptionReport::SaveReport(const CString& text, IExceptionReportUi& ui)
{
    CString path;
    if (!ui.AskSavePath(path) || path.IsEmpty())
        return false;
    FILE* file = fopen(path, "wt");
    if (!file)
        return false;
    const size_t length = static_cast<size_t>(text.GetLength());
    const bool written = fwrite(text.GetString(), 1, length, file) == length;
    return fclose(file) == 0 && written;
}
