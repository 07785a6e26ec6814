#pragma once
// The result page of the scan container: the threats of the last scan in
// the threat list, one check box per threat. Clean backs the checked
// threats up into the quarantine and removes them, then shows the remove
// summary and, when a removal waits for the next start of Windows, offers a
// restart; Ignore puts the checked threats on the ignore list and saves it;
// Select All toggles; the link for unknown items opens the help-request
// form; Cancel goes back to the start page.
//
// A clean runs on the quarantine's worker. The page listens to its
// progress from the start of the clean until it has ended, and finishes the
// clean once, however many completion reports come. While a clean runs,
// the page's buttons and link do nothing.

#include "app/engineeventhandler.h"
#include "pages/removesummarydialog.h"
#include "pages/threatlistview.h"
#include "platform/atl/atlbase.h"
#include "ui/dialogcontrolhelper.h"
#include "ui/tooltipdialogex.h"

class CScanResultDialog : public CToolTipDialogEx, public CDialogControlHelper, public CEngineEventHandler
{
    DECLARE_DYNAMIC(CScanResultDialog)

public:
    explicit CScanResultDialog(CWnd* pParent);
    ~CScanResultDialog() override;

    BOOL CreatePage(int left, int top, int right, int bottom) override;
    // Shows the scanner's result collection, every threat collapsed. A
    // failure shows an error box and an empty list.
    void ShowResults();

    BOOL OnInitDialog() override;
    void LoadTexts() override;
    void UpdateLayout() override;
    // Enter and Escape never close the page; the link cursor over the link.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    // Quarantine events, while a clean runs.
    void OnQuarantineProgress(int current, int total) override;
    void OnQuaException(ULONG_PTR code) override;
#ifdef _WIN64
    void OnQuaException(DWORD code) override { OnQuaException(static_cast<ULONG_PTR>(code)); }
#endif

    bool IsCleaning() const { return m_cleanState != CleanIdle; }
    CThreatListView& GetThreatList() { return m_threatList; }
    // The environment variable that keeps the restart from happening (the
    // program under test): it is only written to the debug log.
    static const char kNoRestartVariable[];

protected:
    afx_msg LRESULT OnCleanContinue(WPARAM wParam, LPARAM lParam);
    afx_msg void OnClean();
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnIgnore();
    afx_msg void OnSelectAll();
    afx_msg void OnSendReport();
    // The Cancel button (and IDCANCEL): back to the start page.
    void OnCancel() override;
    void OnOK() override;

    // The help-request form, modal, without a parent.
    virtual void RunHelpRequestForm();

    DECLARE_MESSAGE_MAP()

private:
    enum CleanState
    {
        CleanIdle,
        CleanRunning,    // the quarantine works; its completion is awaited
        CleanFinishing,  // the continuation runs (waits, summary, restart)
    };

    void StartClean();
    void FinishClean();
    void LeavePage();
    void RegisterListeners();
    void UnregisterListeners();
    void SetCleaning(CleanState state);
    void ShowUnknownLink();
    void ShowError(const char* key, const _com_error& error);
    static void RestartWindows();

    HCURSOR m_hArrowCursor;
    CRect m_rcPage;
    CComPtr<IThreatCollection> m_spResults;
    CComPtr<IBackup> m_spBackup;
    BOOL m_bAllSelected;
    int m_nSelectedThreats;
    CThreatListView m_threatList;
    CRemoveSummaryDialog m_removeSummary;
    BYTE m_bUnknownItemSelected;
    CleanState m_cleanState;
    bool m_bCleanFailed;  // the quarantine reported an engine exception
    bool m_bListening;
};
