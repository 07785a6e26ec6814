#include "pages/quarantinedialog.h"

#include <algorithm>

#include "app/appmessages.h"
#include "app/engineeventdispatcher.h"
#include "pages/pagehost.h"
#include "resources/pages/maintenanceids.h"

IMPLEMENT_DYNAMIC(CQuarantineDialog, CMaintenancePage)

BEGIN_MESSAGE_MAP(CQuarantineDialog, CMaintenancePage)
    ON_MESSAGE(WM_QUARANTINE_DONE, OnViewDone)
    ON_MESSAGE(WM_QUARANTINE_RESTORED, OnRestoreDone)
    ON_CONTROL(CBN_SELCHANGE, IDC_QUARANTINE_BACKUPS, OnBackupSelected)
    ON_BN_CLICKED(IDC_QUARANTINE_REMOVE, OnRemove)
    ON_BN_CLICKED(IDC_QUARANTINE_RESTORE, OnRestore)
    ON_BN_CLICKED(IDC_QUARANTINE_BACK, OnBackToStart)
    ON_WM_SIZE()
END_MESSAGE_MAP()

CQuarantineDialog::CQuarantineDialog(CWnd* pParent)
    : CMaintenancePage("QuarantineDialog", IDD_QUARANTINE_PAGE, pParent),
      m_threatList(ThreatListTemplate, ThreatListHtml, this), m_mode(ModeView), m_listening(false)
{
}

CQuarantineDialog::~CQuarantineDialog()
{
    ReleaseBackup();
    Listen(false);
}

BOOL CQuarantineDialog::OnInitDialog()
{
    if (!CMaintenancePage::OnInitDialog())
        return FALSE;
    m_threatList.CreateModeless();
    UpdateLayout();
    SkinFrames(IDC_QUARANTINE_FRAME, IDC_QUARANTINE_LIST_FRAME);
    LoadTexts();
    return TRUE;
}

void CQuarantineDialog::LoadTexts()
{
    SetControlText(IDC_QUARANTINE_REMOVE, GetText("removeBt"));
    SetControlText(IDC_QUARANTINE_RESTORE, GetText("restoreBt"));
    SetControlText(IDC_QUARANTINE_BACK, GetText("backBt"));
}

void CQuarantineDialog::UpdateLayout()
{
    PlacePage(IDC_QUARANTINE_FRAME);
    PlaceTopRow(IDC_QUARANTINE_BACKUPS, {IDC_QUARANTINE_REMOVE, IDC_QUARANTINE_RESTORE});
    const int row = PlaceBottomButton(IDC_QUARANTINE_BACK, -Margin);
    PlaceList(m_threatList, ListTop, row, IDC_QUARANTINE_LIST_FRAME);
}

void CQuarantineDialog::OnSize(UINT nType, int cx, int cy)
{
    CMaintenancePage::OnSize(nType, cx, cy);
    if (m_threatList.GetSafeHwnd() && cx > 0 && cy > 0)
        UpdateLayout();
}

bool CQuarantineDialog::IsQuarantineRunning() const
{
    IQuarantine* quarantine = GetPageQuarantine();
    LONG running = 0;
    return quarantine && SUCCEEDED(quarantine->get_Running(&running)) && running != 0;
}

CString CQuarantineDialog::FormatBackupTime(DATE time)
{
    SYSTEMTIME st = {};
    if (!VariantTimeToSystemTime(time, &st))
        return CString();
    char date[128] = "", clock[64] = "";
    GetDateFormatA(LOCALE_USER_DEFAULT, 0, &st, "dddd, MMMM dd, yyyy", date, sizeof(date));
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &st, "hh:mm:ss tt", clock, sizeof(clock));
    return CString(date) + " " + clock;
}

void CQuarantineDialog::FillBackupList()
{
    SendItem(IDC_QUARANTINE_BACKUPS, CB_RESETCONTENT, 0, 0);
    m_times.clear();
    IQuarantine* quarantine = GetPageQuarantine();
    LONG count = 0;
    if (quarantine && FAILED(quarantine->get_Count(&count)))
        count = 0;
    for (LONG i = 0; i < count; ++i)
    {
        CComPtr<IBackup> backup;
        DATE time = 0;
        if (SUCCEEDED(quarantine->get_Item(i, &backup)) && backup && SUCCEEDED(backup->get_Time(&time)))
            m_times.push_back(time);
    }
    // Newest first, whatever order the quarantine keeps them in.
    std::sort(m_times.begin(), m_times.end(), [](DATE a, DATE b) { return a > b; });
    for (size_t i = 0; i < m_times.size(); ++i)
    {
        const LRESULT index = SendItem(IDC_QUARANTINE_BACKUPS, CB_ADDSTRING, 0,
                                       reinterpret_cast<LPARAM>(static_cast<LPCSTR>(FormatBackupTime(m_times[i]))));
        if (index >= 0)
            SendItem(IDC_QUARANTINE_BACKUPS, CB_SETITEMDATA, static_cast<WPARAM>(index), static_cast<LPARAM>(i));
    }
    SelectFirst();
}

void CQuarantineDialog::SelectFirst()
{
    if (SendItem(IDC_QUARANTINE_BACKUPS, CB_GETCOUNT, 0, 0) > 0)
    {
        SendItem(IDC_QUARANTINE_BACKUPS, CB_SETCURSEL, 0, 0);
        ViewBackup(static_cast<int>(SendItem(IDC_QUARANTINE_BACKUPS, CB_GETITEMDATA, 0, 0)));
        return;
    }
    // Nothing left to show: no threats of a backup that is gone.
    ReleaseBackup();
    m_threatList.Clear();
    if (CWnd* combo = GetDlgItem(IDC_QUARANTINE_BACKUPS))
        combo->RedrawWindow();
}

void CQuarantineDialog::ViewBackup(int position)
{
    EnableControl(IDC_QUARANTINE_BACKUPS, FALSE);
    ReleaseBackup();
    IQuarantine* quarantine = GetPageQuarantine();
    if (position < 0 || static_cast<size_t>(position) >= m_times.size() || !quarantine)
    {
        EnableControl(IDC_QUARANTINE_BACKUPS, TRUE);
        return;
    }
    HRESULT hr = GetPageHost()->CreateEngineObject(CLSID_Backup, IID_IBackup, reinterpret_cast<void**>(&m_backup));
    if (SUCCEEDED(hr))
        hr = m_backup->put_Time(m_times[static_cast<size_t>(position)]);
    if (SUCCEEDED(hr))
    {
        m_mode = ModeView;
        Listen(true);
        hr = quarantine->ViewBackup(m_backup);
    }
    if (FAILED(hr))
    {
        ReleaseBackup();
        m_threatList.Clear();
        ActionRefused(hr, "viewFailed");
    }
}

void CQuarantineDialog::OnBackupSelected()
{
    const LRESULT selection = SendItem(IDC_QUARANTINE_BACKUPS, CB_GETCURSEL, 0, 0);
    if (selection != CB_ERR)
        ViewBackup(static_cast<int>(SendItem(IDC_QUARANTINE_BACKUPS, CB_GETITEMDATA, selection, 0)));
}

void CQuarantineDialog::OnQuarantineProgress(int current, int total)
{
    if (current != 0 || total != 0)
        return;
    PostMessage(m_mode == ModeRestore ? WM_QUARANTINE_RESTORED : WM_QUARANTINE_DONE, 0, 0);
}

void CQuarantineDialog::WaitEngineIdle()
{
    while (IsQuarantineRunning())
    {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        MSG msg;
        while (::PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
        {
            if (msg.message == WM_QUIT)
            {
                PostQuitMessage(static_cast<int>(msg.wParam));
                break;
            }
            if (!AfxPreTranslateMessage(&msg))
            {
                TranslateMessage(&msg);
                DispatchMessageA(&msg);
            }
        }
    }
    Listen(false);
}

LRESULT CQuarantineDialog::OnViewDone(WPARAM, LPARAM)
{
    // The list is given back only once the quarantine can take the next
    // action, so a choice made meanwhile cannot be refused as busy.
    WaitEngineIdle();
    EnableControl(IDC_QUARANTINE_BACKUPS, TRUE);
    if (!m_backup)
        return 0;
    CComPtr<IThreatCollection> items;
    LONG count = 0;
    if (FAILED(m_backup->get_Items(&items)) || !items || FAILED(items->get_Count(&count)) || count == 0)
    {
        // The archive could not be opened or read.
        m_threatList.Clear();
        ShowError(GetText("viewFailed"));
        return 0;
    }
    ShowViewedBackup();
    return 0;
}

void CQuarantineDialog::ShowViewedBackup()
{
    CComPtr<IThreatCollection> items;
    DATE time = 0;
    if (!m_backup || FAILED(m_backup->get_Items(&items)) || !items || FAILED(m_backup->get_Time(&time)))
        return;
    // Threats already put back from a backup that is kept are not offered again.
    const auto restored = m_restored.find(time);
    if (restored != m_restored.end())
        for (ULONG id : restored->second)
            items->RemoveByID(id);
    try
    {
        m_threatList.BuildHtml(items, TRUE, 1);
    }
    catch (const _com_error&)
    {
        m_threatList.Clear();
    }
}

void CQuarantineDialog::OnRestore()
{
    if (IsQuarantineRunning())
        return;
    EnableControl(IDC_QUARANTINE_BACKUPS, FALSE);
    Restore();
}

void CQuarantineDialog::Restore()
{
    IQuarantine* quarantine = GetPageQuarantine();
    CComPtr<IThreatCollection> items;
    LONG count = 0;
    if (!m_backup || !quarantine || FAILED(m_backup->get_Items(&items)) || !items || FAILED(items->get_Count(&count)))
    {
        EnableControl(IDC_QUARANTINE_BACKUPS, TRUE);
        return;
    }
    // Every item of a checked threat is marked to be put back, every item
    // of the others not to be: the quarantine puts back only what is marked.
    m_restoring.clear();
    for (LONG i = 0; i < count; ++i)
    {
        CComPtr<IThreat> threat;
        ULONG id = 0;
        LONG itemCount = 0;
        if (FAILED(items->get_Item(i, &threat)) || !threat || FAILED(threat->get_ID(&id)) ||
            FAILED(threat->get_Count(&itemCount)))
            continue;
        const bool checked = m_threatList.GetCheckBoxState(static_cast<int>(id)) == 1;
        if (checked)
            m_restoring.insert(id);
        for (LONG k = 0; k < itemCount; ++k)
        {
            CComPtr<ISearchItem> item;
            if (SUCCEEDED(threat->get_Item(k, &item)) && item)
                item->put_Repair(checked ? TRUE : FALSE);
        }
    }
    if (m_restoring.empty())
    {
        EnableControl(IDC_QUARANTINE_BACKUPS, TRUE);
        return;
    }
    for (ULONG id : m_restoring)
        m_threatList.RemoveThreat(static_cast<int>(id));
    m_mode = ModeRestore;
    Listen(true);
    const HRESULT hr = quarantine->RestoreBackup(m_backup);
    if (FAILED(hr))
    {
        m_restoring.clear();
        ShowViewedBackup();   // the hidden threats were not put back
        ActionRefused(hr, "restoreFailed");
    }
}

LRESULT CQuarantineDialog::OnRestoreDone(WPARAM, LPARAM)
{
    WaitEngineIdle();
    EnableControl(IDC_QUARANTINE_BACKUPS, TRUE);
    DATE time = 0;
    CComPtr<IThreatCollection> items;
    if (!m_backup || FAILED(m_backup->get_Time(&time)) || FAILED(m_backup->get_Items(&items)) || !items)
        return 0;
    std::set<ULONG>& restored = m_restored[time];
    restored.insert(m_restoring.begin(), m_restoring.end());
    m_restoring.clear();

    // The backup goes only when every threat in it has been put back;
    // otherwise it stays, showing the threats still in it.
    bool everything = true;
    LONG count = 0;
    items->get_Count(&count);
    for (LONG i = 0; i < count && everything; ++i)
    {
        CComPtr<IThreat> threat;
        ULONG id = 0;
        everything = SUCCEEDED(items->get_Item(i, &threat)) && threat && SUCCEEDED(threat->get_ID(&id)) &&
                     restored.count(id) != 0;
    }
    if (!everything)
    {
        ShowViewedBackup();
        return 0;
    }
    RemoveSelectedBackup();
    SelectFirst();
    return 0;
}

void CQuarantineDialog::OnRemove()
{
    if (IsQuarantineRunning())
        return;
    RemoveSelectedBackup();
    SelectFirst();
}

void CQuarantineDialog::RemoveSelectedBackup()
{
    IQuarantine* quarantine = GetPageQuarantine();
    if (!m_backup || !quarantine)
        return;
    DATE time = 0;
    HRESULT hr = m_backup->get_Time(&time);
    if (SUCCEEDED(hr))
    {
        ReleaseBackup();
        hr = quarantine->RemoveBackupFromDisk(time);
    }
    if (FAILED(hr))
    {
        ShowError(GetText("removeFailed"));
        return;
    }
    m_restored.erase(time);
    const LRESULT selection = SendItem(IDC_QUARANTINE_BACKUPS, CB_GETCURSEL, 0, 0);
    if (selection != CB_ERR)
        SendItem(IDC_QUARANTINE_BACKUPS, CB_DELETESTRING, static_cast<WPARAM>(selection), 0);
}

void CQuarantineDialog::ReleaseBackup()
{
    if (!m_backup)
        return;
    CComPtr<IThreatCollection> items;
    if (SUCCEEDED(m_backup->get_Items(&items)) && items)
        items->Clear();
    m_backup.Release();
}

void CQuarantineDialog::OnBackToStart()
{
    ReleaseBackup();
    OnBack();
}

void CQuarantineDialog::Listen(bool listen)
{
    IPageHost* host = GetPageHost();
    CEngineEventDispatcher* dispatcher = host ? host->GetEventDispatcher() : nullptr;
    if (!dispatcher || listen == m_listening)
        return;
    if (listen)
        m_listening = dispatcher->AddOnQuarantineProgress(this, &CEngineEventHandler::OnQuarantineProgress) == 0;
    else
    {
        dispatcher->RemoveOnQuarantineProgress(this, &CEngineEventHandler::OnQuarantineProgress);
        m_listening = false;
    }
}

void CQuarantineDialog::ActionRefused(HRESULT hr, const char* textKey)
{
    Listen(false);
    EnableControl(IDC_QUARANTINE_BACKUPS, TRUE);
    ShowError(GetText(hr == E_UNEXPECTED ? "busy" : textKey));
}
