#include "pages/scanprocessdialog.h"

#include "app/appmessages.h"
#include "app/engineeventdispatcher.h"
#include "foundation/appstats.h"
#include "foundation/debuglog.h"
#include "foundation/scannersettings.h"
#include "foundation/scheduledscansettings.h"
#include "foundation/syshelpers.h"
#include "pages/pagehost.h"
#include "pages/pagelayout.h"
#include "pages/scandialog.h"
#include "resources/pages/scanids.h"

IMPLEMENT_DYNAMIC(CScanProcessDialog, CToolTipDialog)

BEGIN_MESSAGE_MAP(CScanProcessDialog, CToolTipDialog)
    ON_MESSAGE(WM_LEAVE_SCAN_PAGE, OnScanFinished)
    ON_BN_CLICKED(IDC_SCAN_PAUSE, OnPauseResume)
    ON_BN_CLICKED(IDC_SCAN_ABORT, OnAbort)
    ON_WM_TIMER()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {

// The scanner of the application; null without one.
CComPtr<IScanner> AppScanner()
{
    CComPtr<IScanner> scanner;
    if (IPageHost* host = GetPageHost())
        host->GetScanner(scanner);
    return scanner;
}

CComPtr<IScanner> RequireScanner()
{
    CComPtr<IScanner> scanner = AppScanner();
    if (!scanner)
        CheckHResult(E_POINTER);
    return scanner;
}

} // namespace

CScanProcessDialog::CScanProcessDialog(CWnd* pParent)
    : CToolTipDialog(pParent, IDD_SCAN_PROCESS), CLocalizedTextSource("ScanProcessDialog"),
      CDialogControlHelper(this), m_listener(this), m_log(GetProductDataFolder() + "logs"),
      m_nButtonState(ButtonsScanning), m_currentArea(saProcesses), m_bPaused(FALSE), m_bScanning(false),
      m_bListening(false), m_bEndEvent(false), m_nEndKind(CScanLog::EndFinished)
{
}

CScanProcessDialog::~CScanProcessDialog()
{
    UnregisterListeners();
}

BOOL CScanProcessDialog::CreatePage(int left, int top, int right, int bottom)
{
    m_rcPage.SetRect(left, top, right, bottom);
    return Create(IDD_SCAN_PROCESS, m_pParentWnd);
}

BOOL CScanProcessDialog::OnInitDialog()
{
    if (!CToolTipDialog::OnInitDialog())
        return FALSE;
    if (!m_animation.SubclassDlgItem(IDC_SCAN_ANIMATION, this))
        return FALSE;
    if (m_animation.LoadFromResource(MAKEINTRESOURCEA(IDR_SCAN_ANIMATION), "ANIMATED_GIF"))
        m_animation.SetBackgroundColor(RGB(255, 255, 255));
    SetControlSkin(IDC_GROUP_FRAME, "DialogFrame", "Dialog");
    UpdateLayout();
    SetButtons(ButtonsScanning);
    m_bPaused = FALSE;
    LoadTexts();
    return TRUE;
}

void CScanProcessDialog::UpdateLayout()
{
    PlacePageAt(*this, m_rcPage);
    PlaceGroupFrame(*this);
}

void CScanProcessDialog::LoadTexts()
{
    SetControlText(IDC_SCAN_STATUS, "");
    SetControlText(IDC_SCAN_FOLDER, "");
    SetControlText(IDC_SCAN_PAUSE, GetText(m_bPaused ? "btn.Resume" : "btn.Pause"));
    SetControlText(IDC_SCAN_ABORT, GetText("btn.Abort"));
}

void CScanProcessDialog::SetButtons(int state)
{
    if (state == ButtonsScanning)
    {
        SetControlText(IDC_SCAN_ABORT, GetText("btn.Abort"));
        SetControlText(IDC_SCAN_PAUSE, GetText("btn.Pause"));
        EnableControl(IDC_SCAN_ABORT, TRUE);
        EnableControl(IDC_SCAN_PAUSE, TRUE);
    }
    m_nButtonState = state;
}

void CScanProcessDialog::SetStatusText(const CString& text)
{
    SetControlText(IDC_SCAN_STATUS, text);
}

void CScanProcessDialog::ShowError(const _com_error& error)
{
    // The engine's own description when it left one, else the system's text.
    const _bstr_t description = error.Description();
    CString text;
    if (description.length())
        text = static_cast<LPSTR>(CW2A(static_cast<const wchar_t*>(description)));
    else
        text = error.ErrorMessage();
    MessageBox(text, "Error", MB_ICONERROR);
}

void CScanProcessDialog::PostToContainer(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_pParentWnd && m_pParentWnd->m_hWnd)
        m_pParentWnd->PostMessage(message, wParam, lParam);
}

BOOL CScanProcessDialog::StartScan(bool scheduledPaths)
{
    if (m_bScanning)
    {
        DebugLog("Scan start refused: a scan is already running");
        return FALSE;
    }
    SetButtons(ButtonsScanning);
    m_bPaused = FALSE;
    m_bEndEvent = false;
    m_nEndKind = CScanLog::EndFinished;
    bool started = false;
    try
    {
        CComPtr<IScanner> scanner = RequireScanner();
        CComPtr<IThreatCollection> results;
        CheckHResult(scanner->get_Results(&results));
        if (!results)
            CheckHResult(E_POINTER);
        CheckHResult(results->Clear());
        ConfigureScan(scheduledPaths);
        RegisterListeners();
        m_log.Start();
        started = true;
        m_animation.Start();
        CheckHResult(scanner->Start());
    }
    catch (const _com_error& error)
    {
        // Nothing of a scan that did not start stays behind.
        if (started)
        {
            UnregisterListeners();
            StopAnimation();
            m_log.Drop();
        }
        ShowError(error);
        PostToContainer(WM_LEAVE_SCAN_PAGE, 0, 0);
        return FALSE;
    }
    m_bScanning = true;
    SetTimer(RunningCheckTimer, RunningCheckMs);
    return TRUE;
}

void CScanProcessDialog::ConfigureScan(bool scheduledPaths)
{
    CStringArray folders;
    if (scheduledPaths)
        GetDriveListOrAll(CScheduledScanSettings::Instance()->GetPaths().c_str(), folders);
    else
        GetDriveList(CScannerSettings::Instance()->GetIncludePaths().c_str(), folders);
    try
    {
        CComPtr<IScanner> scanner = RequireScanner();
        IPageHost* host = GetPageHost();
        CComPtr<IPaths> paths;
        CheckHResult(host->CreateEngineObject(CLSID_Paths, IID_IPaths, reinterpret_cast<void**>(&paths)));
        for (int i = 0; i < folders.GetSize(); ++i)
            CheckHResult(paths->Add(CComBSTR(static_cast<LPCSTR>(folders[i]))));
        CheckHResult(scanner->put_Paths(paths));

        CScannerSettings* settings = CScannerSettings::Instance();
        CheckHResult(scanner->put_AreaEnabled(saGuardedRegistry, FALSE));
        CheckHResult(scanner->put_AreaEnabled(saHosts, settings->GetHostsFile()));
        CheckHResult(scanner->put_AreaEnabled(saRegistry, settings->GetRegistryScan()));
        CheckHResult(scanner->put_AreaEnabled(saCookies, settings->GetCookiesScan()));
        CheckHResult(scanner->put_AreaEnabled(saProcesses, settings->GetProcessesScan()));
    }
    catch (const _com_error& error)
    {
        ShowError(error);
    }
}

void CScanProcessDialog::RegisterListeners()
{
    IPageHost* host = GetPageHost();
    CEngineEventDispatcher* dispatcher = host ? host->GetEventDispatcher() : nullptr;
    if (!dispatcher || m_bListening)
        return;
    dispatcher->AddOnScanning(&m_listener, &CEngineEventHandler::OnScanning);
    dispatcher->AddOnCompleteArea(&m_listener, &CEngineEventHandler::OnCompleteArea);
    dispatcher->AddOnSubItemAdded(&m_listener, &CEngineEventHandler::OnSubItemAdded);
    dispatcher->AddOnStartedArea(&m_listener, &CEngineEventHandler::OnStartedArea);
    dispatcher->AddOnScanningFolder(&m_listener, &CEngineEventHandler::OnScanningFolder);
    m_bListening = true;
}

void CScanProcessDialog::UnregisterListeners()
{
    if (!m_bListening)
        return;
    m_bListening = false;
    IPageHost* host = GetPageHost();
    CEngineEventDispatcher* dispatcher = host ? host->GetEventDispatcher() : nullptr;
    if (!dispatcher)
        return;
    dispatcher->RemoveOnSubItemAdded(&m_listener, &CEngineEventHandler::OnSubItemAdded);
    dispatcher->RemoveOnCompleteArea(&m_listener, &CEngineEventHandler::OnCompleteArea);
    dispatcher->RemoveOnScanning(&m_listener, &CEngineEventHandler::OnScanning);
    dispatcher->RemoveOnStartedArea(&m_listener, &CEngineEventHandler::OnStartedArea);
    dispatcher->RemoveOnScanningFolder(&m_listener, &CEngineEventHandler::OnScanningFolder);
}

// ------------------------------------------------------------------ events

void CScanProcessDialog::HandleStartedArea(ScanAreaType area)
{
    m_currentArea = area;
    m_log.StartArea(area);
    const char* key = nullptr;
    switch (area)
    {
    case saProcesses: key = "op.ScanningMemory"; break;
    case saRegistry:
    case saGuardedRegistry: key = "op.ScanningRegistry"; break;
    case saQuickDisk:
    case saFullDisk: key = "op.ScanningFiles"; break;
    case saHosts: key = "op.ScanningHosts"; break;
    case saCookies: key = "op.ScanningCookies"; break;
    case saMaxAreaNumber: SetStatusText("Unknown"); return;
    default: return;
    }
    SetStatusText(GetText(key));
}

void CScanProcessDialog::HandleScanning(ScanAreaType area, ULONG count)
{
    m_log.AddScanned(area, count);
    if (CScanDialog* container = dynamic_cast<CScanDialog*>(m_pParentWnd))
        container->OnScanning(area, count);
}

void CScanProcessDialog::HandleScanningFolder(BSTR folder)
{
    CString text = folder ? CString(static_cast<LPSTR>(CW2A(folder))) : CString();
    // The control ellipsises the middle of a long path; a huge one is cut
    // here first, keeping its start and its end.
    if (text.GetLength() > MaxFolderText)
        text = text.Left(MaxFolderText / 4) + "..." + text.Right(MaxFolderText / 2);
    SetControlText(IDC_SCAN_FOLDER, text);
}

void CScanProcessDialog::HandleSubItemAdded(IThreatCollection*, IThreat* threat, ISearchItem* item)
{
    m_log.AddFoundItem(threat, item);
    if (CScanDialog* container = dynamic_cast<CScanDialog*>(m_pParentWnd))
        container->OnItemFound(m_currentArea);
}

void CScanProcessDialog::HandleCompleteArea(ScanAreaType area)
{
    m_log.CompleteArea(area);
    if (area != saMaxAreaNumber)
        return;
    m_bEndEvent = true;
    CAppStats* stats = CAppStats::Instance();
    stats->SetScansNumber(stats->GetScansNumber() + 1);
    stats->SetLastScan(static_cast<LPCSTR>(CTime::GetCurrentTime().Format("%m/%d/%Y")));
    PostMessage(WM_LEAVE_SCAN_PAGE, 0, 0);
}

// ------------------------------------------------------------- end of scan

LRESULT CScanProcessDialog::OnScanFinished(WPARAM, LPARAM)
{
    // The end event and the running check may both ask; one end is taken.
    if (!m_bScanning)
        return 0;
    m_bScanning = false;
    KillTimer(RunningCheckTimer);
    StopAnimation();
    UnregisterListeners();
    SetStatusText(GetText("msg.ScanningFinished"));
    SetControlText(IDC_SCAN_FOLDER, "");
    m_log.Save(m_nEndKind);
    m_bPaused = FALSE;
    if (!m_bEndEvent && m_pParentWnd)
    {
        // The engine gave up without its end: the tabs are free again.
        if (CWnd* mainPage = m_pParentWnd->GetParent())
            mainPage->PostMessage(WM_SELECT_PAGE, 1, 0);
    }
    PostToContainer(WM_SHOW_SCAN_PAGE, 1007, 0);
    return 0;
}

void CScanProcessDialog::StopAnimation()
{
    // A paused animation thread is let go first, so the stop does not wait.
    m_animation.Pause(FALSE);
    m_animation.Stop();
}

bool CScanProcessDialog::IsEngineRunning()
{
    CComPtr<IScanner> scanner = AppScanner();
    BOOL running = FALSE;
    return scanner && SUCCEEDED(scanner->get_Running(&running)) && running;
}

void CScanProcessDialog::OnTimer(UINT_PTR nIDEvent)
{
    if (nIDEvent != RunningCheckTimer)
    {
        CToolTipDialog::OnTimer(nIDEvent);
        return;
    }
    if (m_bScanning && !m_bEndEvent && !IsEngineRunning())
    {
        DebugLog("The scan ended without its end event");
        OnScanFinished(0, 0);
    }
}

void CScanProcessDialog::OnPauseResume()
{
    if (!m_bScanning)
        return;
    if (m_bPaused)
    {
        SetStatusText(m_savedStatus);
        SetControlText(IDC_SCAN_PAUSE, GetText("btn.Pause"));
        m_animation.Pause(FALSE);
    }
    else
    {
        m_savedStatus = GetControlText(IDC_SCAN_STATUS);
        SetStatusText(GetText("msg.Paused"));
        SetControlText(IDC_SCAN_PAUSE, GetText("btn.Resume"));
        m_animation.Pause(TRUE);
    }
    m_bPaused = !m_bPaused;
    if (CComPtr<IScanner> scanner = AppScanner())
        scanner->Pause(m_bPaused);
}

void CScanProcessDialog::OnAbort()
{
    if (!m_bScanning)
        return;
    // The stop below dispatches messages: no second click meanwhile.
    EnableControl(IDC_SCAN_ABORT, FALSE);
    EnableControl(IDC_SCAN_PAUSE, FALSE);
    if (m_bPaused)
    {
        SetStatusText(m_savedStatus);
        m_animation.Pause(FALSE);
    }
    m_bPaused = FALSE;
    // The end event may arrive inside Stop: the log already ends aborted.
    m_nEndKind = CScanLog::EndAborted;
    if (CComPtr<IScanner> scanner = AppScanner())
    {
        scanner->Pause(FALSE);
        scanner->Stop();
    }
    m_log.Save(CScanLog::EndAborted);
    if (m_bScanning && !m_bEndEvent && !IsEngineRunning())
        OnScanFinished(0, 0);
}

void CScanProcessDialog::OnDestroy()
{
    KillTimer(RunningCheckTimer);
    UnregisterListeners();
    m_bScanning = false;
    m_animation.Stop();
    if (m_animation.m_hWnd)
        m_animation.UnsubclassWindow();
    CToolTipDialog::OnDestroy();
}
