#pragma once
// The quarantine page of the scan tab: lists the backups of the quarantine
// by time, newest first; shows the threats of the chosen one; puts the
// checked threats back and deletes a backup. The application's IQuarantine
// does the work on its worker thread; the page starts an action, listens to
// its progress and goes on when the action has ended.

#include <map>
#include <set>
#include <vector>

#include "app/engineeventhandler.h"
#include "engine/mothtrap.h"
#include "pages/maintenancepage.h"
#include "pages/threatlistview.h"
#include "platform/atl/atlbase.h"

class CQuarantineDialog : public CMaintenancePage, public CEngineEventHandler
{
    DECLARE_DYNAMIC(CQuarantineDialog)

public:
    explicit CQuarantineDialog(CWnd* pParent);
    ~CQuarantineDialog() override;

    BOOL OnInitDialog() override;
    void LoadTexts() override;
    void UpdateLayout() override;

    // Lists the quarantine's backups again and views the newest; the scan
    // tab calls it each time it shows the page.
    void FillBackupList();

    // The time of a backup as the list shows it, in the user's language:
    // "Monday, September 03, 2007 01:45:07 PM" in English.
    static CString FormatBackupTime(DATE time);

    // Every quarantine action ends with the progress (0, 0).
    void OnQuarantineProgress(int current, int total) override;
    // Dispatches messages until the quarantine's worker has ended, then
    // stops listening to it.
    void WaitEngineIdle();

    CThreatListView& GetThreatList() { return m_threatList; }
    IBackup* GetViewedBackup() const { return m_backup; }

protected:
    afx_msg LRESULT OnViewDone(WPARAM, LPARAM);
    afx_msg LRESULT OnRestoreDone(WPARAM, LPARAM);
    afx_msg void OnBackupSelected();
    afx_msg void OnRemove();
    afx_msg void OnRestore();
    afx_msg void OnBackToStart();
    afx_msg void OnSize(UINT nType, int cx, int cy);

    DECLARE_MESSAGE_MAP()

private:
    enum Mode { ModeRestore = 0, ModeView = 1 };

    bool IsQuarantineRunning() const;
    void SelectFirst();
    void ViewBackup(int position);
    void ShowViewedBackup();
    void Restore();
    void RemoveSelectedBackup();
    void ReleaseBackup();
    void Listen(bool listen);
    // A refused action: the user is told, the list can be used again.
    void ActionRefused(HRESULT hr, const char* textKey);

    std::vector<DATE> m_times;            // combo entries' item data index this
    CThreatListView m_threatList;
    CComPtr<IBackup> m_backup;            // the backup viewed; null when none
    int m_mode;
    bool m_listening;
    // Threats put back from each backup that is kept because others of its
    // threats are still in it; they are not shown again.
    std::map<DATE, std::set<ULONG>> m_restored;
    std::set<ULONG> m_restoring;
};
