#pragma once
// What the definitions and the program update dialogs share (template 182):
// one button that starts the update manager's job, cancels it while it
// runs and finally closes the dialog; a status line; and a progress bar
// that follows the download, polled every 200 ms. The job runs on the
// manager's worker, so closing the dialog never waits for it: the job
// finishes in the background.

#include "ui/dialogcontrolhelper.h"
#include "ui/tooltipdialogex.h"

class CUpdateProgressDialog : public CToolTipDialogEx, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CUpdateProgressDialog)

public:
    enum RunState { RunIdle = 0, RunRunning = 1, RunFinished = 2 };
    static constexpr UINT kPollMs = 200;
    // The bar is full from this percentage of the download on.
    static constexpr int kProgressRange = 85;

    // startKey names the button's first text in the section.
    CUpdateProgressDialog(CString sectionName, CWnd* pParent, const char* startKey);

    BOOL OnInitDialog() override;
    void LoadTexts() override;

    int GetRunState() const { return m_nRunState; }
    // By the run state: starts the job, cancels it, or ends the dialog.
    void StartUpdate();

protected:
    // Sets the manager's job up and starts it; false when it could not
    // start (another job runs).
    virtual bool PrepareUpdate() = 0;
    // Asked once the job has ended, with its final state, at every tick
    // until it answers true (it has then called Finish).
    virtual bool EndUpdate(LONG finalState) = 0;
    // The button in the finished state: ends the dialog (IDOK).
    virtual void OnFinishedButton();

    // The status line and the button's text from the section's keys; the
    // run is over: run state 2, progress bar reset and hidden.
    void Finish(const char* statusKey);
    void ShowStatus(const char* key);

    afx_msg void OnBnClickedStart();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy();

    DECLARE_MESSAGE_MAP()

private:
    void StopTimer();
    void SendProgress(UINT message, WPARAM wParam, LPARAM lParam);

    const char* m_startKey;
    UINT_PTR m_nTimer;
    int m_nRunState;
};
