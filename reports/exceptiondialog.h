#pragma once
// The crash-report dialog (template 156). The application shows it when it
// meets an exception it cannot handle: it constructs the dialog without a
// parent, sets the exception text and the engine's log text, writes the
// system report and runs the dialog modally. Send posts the report (through
// CExceptionReport, which offers to save it when that fails); "Don't Send"
// ends the dialog at once. Enter and Escape do nothing here.

#include "reports/exceptionreport.h"
#include "ui/dialogcontrolhelper.h"
#include "ui/localizedtextsource.h"
#include "ui/tooltipdialog.h"

#include <memory>

class CWaitCursor;

class CExceptionDialog : public CToolTipDialog,
                         public CLocalizedTextSource,
                         public CDialogControlHelper,
                         public IExceptionReportUi
{
    DECLARE_DYNAMIC(CExceptionDialog)

public:
    explicit CExceptionDialog(CWnd* pParent = nullptr);
    ~CExceptionDialog() override;

    // Set before the dialog runs.
    void SetExceptionText(const CString& text) { m_report.m_strExceptionText = text; }
    void SetEngineLog(const CString& text) { m_report.m_strEngineLog = text; }

    BOOL OnInitDialog() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // Keeps the rectangle and creates the dialog modeless.
    BOOL CreatePage(int left, int top, int right, int bottom) override;
    // The title and the texts of the static controls and buttons; a key the
    // language file lacks (or a language not yet read) keeps the template's.
    void LoadTexts() override;

    // Asks for a file name and writes the text into it.
    void SaveReport(const CString& text);

    // The dialog's side of the report's Send road.
    CString GetText(const char* key) override;
    int ShowMessage(const CString& text, const char* caption, UINT type) override;
    bool AskSavePath(CString& path) override;
    void ShowWaitCursor(bool show) override;

protected:
    afx_msg void OnBnClickedSend();
    afx_msg void OnBnClickedCancel();
    // Stands in for the skin's error icon when the skin does not draw it.
    void ShowSystemErrorIcon();

    CRect m_rcPage;
    HCURSOR m_hCursor;
    CExceptionReport m_report;
    std::unique_ptr<CWaitCursor> m_pWaitCursor;
    CStatic m_errorIcon;

    DECLARE_MESSAGE_MAP()
};
