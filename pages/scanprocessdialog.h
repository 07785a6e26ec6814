#pragma once
// The progress page of the scan tab: runs one scan from start to end. It
// prepares the application's scanner (result collection, folders, area
// switches), listens to the scan's events, shows the area and folder
// being scanned with an animation, writes the scan log, feeds the scan
// page's statistics panes, offers Pause/Resume and Abort, counts the scan
// in the usage statistics and hands over to the result page at the end.
//
// A scan ends on the engine's end event, or, when the engine stops without
// one (an unreadable database), on the one-second check of the scanner's
// running state and after Abort's stop; that end is not counted.

#include "app/engineeventhandler.h"
#include "pages/scanlog.h"
#include "platform/atl/atlbase.h"
#include "ui/animatedpicture.h"
#include "ui/dialogcontrolhelper.h"
#include "ui/localizedtextsource.h"
#include "ui/tooltipdialog.h"

class CScanProcessDialog : public CToolTipDialog, public CLocalizedTextSource, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CScanProcessDialog)

public:
    enum { ButtonsScanning = 1 };
    // The check of a scan that ended without its end event.
    enum { RunningCheckTimer = 1, RunningCheckMs = 1000 };
    // Longest folder text shown (the control shortens it further to fit).
    enum { MaxFolderText = 1024 };

    explicit CScanProcessDialog(CWnd* pParent);
    ~CScanProcessDialog() override;

    BOOL CreatePage(int left, int top, int right, int bottom) override;
    BOOL OnInitDialog() override;
    void LoadTexts() override;
    void UpdateLayout() override;

    // Starts a scan with the folders of the scanner settings, or with
    // scheduledPaths those of the scheduled scan. FALSE when it did not
    // start: a scan is already under way here (nothing changes), or a step
    // failed (reported; the container is sent back to the start page).
    BOOL StartScan(bool scheduledPaths);
    void ConfigureScan(bool scheduledPaths);
    void RegisterListeners();
    void UnregisterListeners();
    void SetButtons(int state);
    void SetStatusText(const CString& text);

    // From the start of a scan until its end road has run.
    bool IsScanning() const { return m_bScanning; }
    bool IsPaused() const { return m_bPaused != FALSE; }
    CScanLog& GetLog() { return m_log; }
    CAnimatedPicture& GetAnimation() { return m_animation; }

    // The engine's events (through the listener the dispatcher calls).
    void HandleScanning(ScanAreaType area, ULONG count);
    void HandleCompleteArea(ScanAreaType area);
    void HandleStartedArea(ScanAreaType area);
    void HandleSubItemAdded(IThreatCollection* collection, IThreat* threat, ISearchItem* item);
    void HandleScanningFolder(BSTR folder);

protected:
    afx_msg LRESULT OnScanFinished(WPARAM wParam, LPARAM lParam);
    afx_msg void OnPauseResume();
    afx_msg void OnAbort();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg void OnDestroy();
    DECLARE_MESSAGE_MAP()

private:
    class CListener : public CEngineEventHandler
    {
    public:
        explicit CListener(CScanProcessDialog* page) : m_pPage(page) {}
        void OnScanning(ScanAreaType area, ULONG count) override { m_pPage->HandleScanning(area, count); }
        void OnCompleteArea(ScanAreaType area) override { m_pPage->HandleCompleteArea(area); }
        void OnStartedArea(ScanAreaType area) override { m_pPage->HandleStartedArea(area); }
        void OnSubItemAdded(IThreatCollection* c, IThreat* t, ISearchItem* i) override
        {
            m_pPage->HandleSubItemAdded(c, t, i);
        }
        void OnScanningFolder(BSTR folder) override { m_pPage->HandleScanningFolder(folder); }

    private:
        CScanProcessDialog* m_pPage;
    };

    // Whether the application's scanner still runs a scan (an engine that
    // cannot answer counts as stopped).
    bool IsEngineRunning();
    void StopAnimation();
    void ShowError(const _com_error& error);
    void PostToContainer(UINT message, WPARAM wParam, LPARAM lParam);

    CRect m_rcPage;
    CListener m_listener;
    CScanLog m_log;
    CAnimatedPicture m_animation;
    int m_nButtonState;
    ScanAreaType m_currentArea;
    BOOL m_bPaused;
    CString m_savedStatus;
    bool m_bScanning;
    bool m_bListening;
    // The engine's end event has come for this scan.
    bool m_bEndEvent;
    // How the log ends: finished, or aborted once Abort was pressed.
    int m_nEndKind;
};
