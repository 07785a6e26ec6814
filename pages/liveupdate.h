#pragma once
// Brings the signature database up to date through the update manager, on
// two roads:
// - the dialog the help page opens: Start runs the update, the bar follows
//   the download, the button cancels it, then closes the dialog;
// - RunSilent, the scheduler's definitions update: the same job without a
//   window on the task's thread, told to the main window by posted
//   messages only.
// Either way a new database counts only once the engine has loaded it:
// then the statistics take its date and count. The engine is asked on its
// own thread (the dialog) or through the task's marshalled pointer
// (RunSilent), and never while a scan runs: a reload waits for the scan
// to end.

#include "pages/updateprogressdialog.h"

#include "engine/mothtrap.h"

class CLiveUpdate : public CUpdateProgressDialog
{
    DECLARE_DYNAMIC(CLiveUpdate)

public:
    explicit CLiveUpdate(CWnd* pParent = nullptr);

    // One update without a window on the calling thread (COM initialised,
    // the scanner reached through the task manager); returns when it is
    // over, having posted to the main window exactly one WM_UPDATE_RESULT:
    // 1 (after WM_REFRESH_STATISTICS, and followed by WM_START_SCAN for a
    // quick scan when autoScan is on) when a new database is installed and
    // loaded, 2 when there is nothing new, 3 for any failure.
    void RunSilent();

    // The silent road's polling period and its pause after a reload (ms).
    DWORD m_dwPollMs;
    DWORD m_dwSettleMs;

protected:
    bool PrepareUpdate() override;
    bool EndUpdate(LONG finalState) override;

private:
    // The manager set up for the database (the installed one's time given)
    // and started.
    static bool StartJob(__time64_t databaseTime);
    // Makes the scanner read the installed database; waits (in pollMs
    // steps) while a scan runs. S_OK only when it was read.
    static HRESULT Reload(IScanner* scanner, DWORD pollMs);
    // Whether the scanner is idle, waiting while it scans; false when it
    // cannot tell.
    static bool WaitForIdle(IScanner* scanner, DWORD pollMs);
    void Post(UINT message, WPARAM wParam, LPARAM lParam) const;
};
