#pragma once
// What the crash-report dialog does when the user presses Send: it posts the
// user's comments, the exception text and the engine's message log to the
// crash-report page, offers to save the report when that fails and thanks
// the user either way. The dialog supplies the windows through
// IExceptionReportUi, so the road runs without them in tests.

#include "platform/mfc/cstring.h"

#include <windows.h>

// The dialog's side: texts of its language section, message boxes, the
// save-file dialog and the wait cursor.
class IExceptionReportUi
{
public:
    virtual ~IExceptionReportUi() {}
    // The text of a key of the "ExceptionDialog" section.
    virtual CString GetText(const char* key) = 0;
    // A message box; returns the button pressed (IDOK, IDCANCEL).
    virtual int ShowMessage(const CString& text, const char* caption, UINT type) = 0;
    // A save-file dialog without default extension, name or filter, hiding
    // read-only files and asking before overwriting; false on Cancel.
    virtual bool AskSavePath(CString& path) = 0;
    virtual void ShowWaitCursor(bool show) = 0;
};

class CExceptionReport
{
public:
    // The caption of the reporter's message boxes. It names release 2.1.152, as
    // the program's other message-box captions and its tray tooltip do.
    static const char kCaption[];
    // The address sent when the user gives none.
    static const char kPlaceholderEmail[];
    static const char kReporterName[];

    // Posts to the configured crash-report address.
    CExceptionReport();
    explicit CExceptionReport(const char* url);

    // Set by the caller before the dialog runs.
    CString m_strExceptionText;
    CString m_strEngineLog;

    // "User comments:\n" comments "\n\nException info:\n" exception text.
    CString BuildReportText(const CString& comments) const;
    // The report text, the exception-log separator and the engine log.
    CString BuildMessage(const CString& reportText) const;
    // Posts the report; false when it did not reach the page.
    bool Post(const CString& comments, const CString& email) const;
    // The whole Send road; returns whether the report was posted.
    bool Send(const CString& comments, const CString& email, IExceptionReportUi& ui) const;

    // Asks for a file and writes the text into it (text mode); false when
    // nothing was written.
    static bool SaveReport(const CString& text, IExceptionReportUi& ui);

private:
    CString m_url;
};
