#include "pages/updateprogressdialog.h"

#include <commctrl.h>

#include "app/vostelupdatemanager.h"
#include "resources/pages/helpids.h"

IMPLEMENT_DYNAMIC(CUpdateProgressDialog, CToolTipDialogEx)

BEGIN_MESSAGE_MAP(CUpdateProgressDialog, CToolTipDialogEx)
    ON_BN_CLICKED(IDC_LIVE_UPDATE_BUTTON, OnBnClickedStart)
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CUpdateProgressDialog::CUpdateProgressDialog(CString sectionName, CWnd* pParent, const char* startKey)
    : CToolTipDialogEx(sectionName, pParent, IDD_LIVE_UPDATE), CDialogControlHelper(this), m_startKey(startKey),
      m_nTimer(0), m_nRunState(RunIdle)
{
}

BOOL CUpdateProgressDialog::OnInitDialog()
{
    if (!CToolTipDialogEx::OnInitDialog())
        return FALSE;
    LoadTexts();
    UpdateLayout();
    SetControlSkin(IDC_LIVE_UPDATE_STATUS, "BoldTitleStatic", "Dialog");
    return TRUE;
}

void CUpdateProgressDialog::LoadTexts()
{
    SetControlText(IDC_LIVE_UPDATE_BUTTON, GetText(m_startKey));
    SetControlText(IDC_LIVE_UPDATE_STATUS, GetText("beginUpdate"));
}

void CUpdateProgressDialog::SendProgress(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (CWnd* progress = GetDlgItem(IDC_LIVE_UPDATE_PROGRESS))
        progress->SendMessage(message, wParam, lParam);
}

void CUpdateProgressDialog::ShowStatus(const char* key)
{
    SetControlText(IDC_LIVE_UPDATE_STATUS, GetText(key));
}

void CUpdateProgressDialog::StartUpdate()
{
    CVostelUpdateManager* manager = CVostelUpdateManager::Instance();
    switch (m_nRunState)
    {
    case RunIdle:
        ShowStatus("Updating");
        SetControlText(IDC_LIVE_UPDATE_BUTTON, GetText("Updating"));
        if (!PrepareUpdate())
        {
            // The scheduler's update (or another dialog's) has the manager.
            Finish("updateBusy");
            return;
        }
        m_nTimer = SetTimer(1, kPollMs);
        m_nRunState = RunRunning;
        break;
    case RunRunning:
        // Until the job has ended; the dialog stays running until then.
        if (manager->IsJobRunning())
        {
            manager->Cancel();
            ShowStatus("cancelUpdate");
        }
        break;
    default:
        OnFinishedButton();
        break;
    }
}

void CUpdateProgressDialog::OnFinishedButton()
{
    OnOK();
}

void CUpdateProgressDialog::Finish(const char* statusKey)
{
    StopTimer();
    ShowStatus(statusKey);
    SetControlText(IDC_LIVE_UPDATE_BUTTON, GetText("endUpdateButton"));
    m_nRunState = RunFinished;
    SendProgress(PBM_SETRANGE, 0, MAKELPARAM(0, kProgressRange));
    SendProgress(PBM_SETPOS, 0, 0);
    if (CWnd* progress = GetDlgItem(IDC_LIVE_UPDATE_PROGRESS))
        progress->ShowWindow(SW_HIDE);
}

void CUpdateProgressDialog::OnBnClickedStart()
{
    StartUpdate();
}

void CUpdateProgressDialog::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent == m_nTimer && m_nTimer)
    {
        // The job's own flag, not the state: until the job has begun the
        // state is still the last job's.
        CVostelUpdateManager* manager = CVostelUpdateManager::Instance();
        if (manager->IsJobRunning())
        {
            if (manager->m_nState == CUpdateManager::StateDownloading)
            {
                SendProgress(PBM_SETRANGE, 0, MAKELPARAM(0, kProgressRange));
                SendProgress(PBM_SETPOS, manager->GetProgress(), 0);
            }
        }
        else if (EndUpdate(manager->m_nState))
            StopTimer();
        return;
    }
    CToolTipDialogEx::OnTimer(nIDEvent);
}

void CUpdateProgressDialog::StopTimer()
{
    if (m_nTimer)
        KillTimer(m_nTimer);
    m_nTimer = 0;
}

void CUpdateProgressDialog::OnDestroy()
{
    StopTimer();
    CToolTipDialogEx::OnDestroy();
}
