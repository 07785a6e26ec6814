#include "pages/scanresultdialog.h"

#include "app/appmessages.h"
#include "app/engineeventdispatcher.h"
#include "foundation/debuglog.h"
#include "foundation/syshelpers.h"
#include "pages/ignorelistdialog.h"
#include "pages/linkcursor.h"
#include "pages/pagehost.h"
#include "pages/pagekeys.h"
#include "pages/pagelayout.h"
#include "reports/senddlg.h"
#include "resources/pages/resultsids.h"
#include "ui/maindialog.h"


IMPLEMENT_DYNAMIC(CScanResultDialog, CToolTipDialogEx)

namespace {

// How often the end of a clean asks whether the quarantine is idle.
const DWORD kIdlePollMs = 100;

// The container's statistics panes stay shown beside the result, in a
// column at its right edge (20 pixels in, 10 more than this page): the
// page keeps their width (the panes' template, in dialog units) free.
const int kStatPaneWidthDlu = 130;
const int kStatPaneMargin = 10;
const int kStatPaneGap = 8;
// Below the list's frame: the link's height, the buttons' size and gaps.
const int kLinkHeight = 16;
const int kButtonWidth = 80;
const int kSelectAllWidth = 100;  // also "Deselect All" in longer languages
const int kButtonHeight = 25;
const int kButtonGap = 6;

}  // namespace

const char CScanResultDialog::kNoRestartVariable[] = "CLEANWARDEN_NO_RESTART";

BEGIN_MESSAGE_MAP(CScanResultDialog, CToolTipDialogEx)
    ON_MESSAGE(WM_QUARANTINE_DONE, OnCleanContinue)
    ON_BN_CLICKED(IDC_RESULT_CLEAN, OnClean)
    ON_WM_SHOWWINDOW()
    ON_BN_CLICKED(IDC_RESULT_CANCEL, OnCancel)
    ON_BN_CLICKED(IDC_RESULT_IGNORE, OnIgnore)
    ON_BN_CLICKED(IDC_RESULT_SELECT_ALL, OnSelectAll)
    ON_STN_CLICKED(IDC_RESULT_UNKNOWN_LINK, OnSendReport)
END_MESSAGE_MAP()

CScanResultDialog::CScanResultDialog(CWnd* pParent)
    : CToolTipDialogEx("ScanResultDialog", pParent, IDD_SCAN_RESULT), CDialogControlHelper(this),
      m_hArrowCursor(nullptr), m_bAllSelected(FALSE), m_nSelectedThreats(0),
      m_threatList(IDD_THREAT_LIST, IDR_THREAT_LIST, this), m_removeSummary(this), m_bUnknownItemSelected(0),
      m_cleanState(CleanIdle), m_bCleanFailed(false), m_bListening(false)
{
}

CScanResultDialog::~CScanResultDialog()
{
    UnregisterListeners();
}

BOOL CScanResultDialog::CreatePage(int left, int top, int right, int bottom)
{
    m_rcPage.SetRect(left, top, right, bottom);
    return Create(IDD_SCAN_RESULT, m_pParentWnd);
}

BOOL CScanResultDialog::OnInitDialog()
{
    if (!CToolTipDialogEx::OnInitDialog())
        return FALSE;
    SetControlSkin(IDC_RESULT_FRAME, "DialogFrame", "Dialog");
    SetControlSkin(IDC_RESULT_LIST_FRAME, "DialogFrame", "Dialog");
    SetControlSkin(IDC_RESULT_UNKNOWN_LINK, "LinkStatic", "Dialog");
    LoadTexts();
    m_spResults.Release();
    m_threatList.CreateModeless();
    m_hArrowCursor = ::LoadCursor(nullptr, IDC_ARROW);
    UpdateLayout();
    ShowUnknownLink();
    return TRUE;
}

void CScanResultDialog::LoadTexts()
{
    SetControlText(IDC_RESULT_CANCEL, GetText("btCancel"));
    SetControlText(IDC_RESULT_CLEAN, GetText("btClean"));
    SetControlText(IDC_RESULT_IGNORE, GetText("btIgnore"));
    SetControlText(IDC_RESULT_SELECT_ALL, GetText(m_bAllSelected ? "btDeselectAll" : "btSelectAll"));
    SetControlText(IDC_RESULT_UNKNOWN_LINK, GetText("lnkMainPage"));
}

void CScanResultDialog::UpdateLayout()
{
    if (!m_rcPage.IsRectEmpty())
        PlacePageAt(*this, m_rcPage);
    PlaceGroupFrame(*this, IDC_RESULT_FRAME);
    CRect window;
    GetWindowRect(window);
    const int width = window.Width(), height = window.Height();
    // The list sits inside its frame, left of the statistics panes.
    CRect panes(0, 0, kStatPaneWidthDlu, 0);
    MapDialogRect(&panes);
    const CRect frame(6, 3, width - kStatPaneMargin - panes.Width() - kStatPaneGap, height - 78);
    SetControlPos(IDC_RESULT_LIST_FRAME, nullptr, frame.left, frame.top, frame.Width(), frame.Height(), SWP_NOZORDER);
    if (m_threatList.GetSafeHwnd())
        m_threatList.SetWindowPos(nullptr, frame.left + 4, frame.top + 7, frame.Width() - 8, frame.Height() - 11,
                                  SWP_NOZORDER | SWP_SHOWWINDOW | SWP_NOACTIVATE);

    SetControlPos(IDC_RESULT_UNKNOWN_LINK, nullptr, frame.left, frame.bottom + 6, frame.Width(), kLinkHeight,
                  SWP_NOZORDER);
    // Select All on the left; Ignore, Clean and Cancel on the right.
    const int buttonTop = frame.bottom + 6 + kLinkHeight + 10;
    SetControlPos(IDC_RESULT_SELECT_ALL, nullptr, frame.left, buttonTop, kSelectAllWidth, kButtonHeight, SWP_NOZORDER);
    const UINT right[] = {IDC_RESULT_CANCEL, IDC_RESULT_CLEAN, IDC_RESULT_IGNORE};
    int x = frame.right;
    for (UINT id : right)
    {
        x -= kButtonWidth;
        SetControlPos(id, nullptr, x, buttonTop, kButtonWidth, kButtonHeight, SWP_NOZORDER);
        x -= kButtonGap;
    }
}

BOOL CScanResultDialog::PreTranslateMessage(MSG* pMsg)
{
    static const UINT kLinks[] = {IDC_RESULT_UNKNOWN_LINK};
    IgnoreEnterAndEscape(pMsg);
    // The list chooses its own cursor (a hand over what can be clicked).
    const HWND list = m_threatList.GetSafeHwnd();
    if (!list || (pMsg->hwnd != list && !::IsChild(list, pMsg->hwnd)))
        SetLinkCursor(*this, *pMsg, kLinks, m_hArrowCursor);
    return CToolTipDialogEx::PreTranslateMessage(pMsg);
}

void CScanResultDialog::ShowResults()
{
    m_spResults.Release();
    try
    {
        CComPtr<IScanner> scanner;
        if (IPageHost* host = GetPageHost())
            host->GetScanner(scanner);
        CheckHResult(scanner ? scanner->get_Results(&m_spResults) : E_POINTER);
        m_threatList.BuildHtml(m_spResults, TRUE, 1);
    }
    catch (const _com_error& e)
    {
        m_spResults.Release();
        m_threatList.Clear();
        ShowError("errShowResults", e);
    }
    ShowUnknownLink();
}

void CScanResultDialog::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CToolTipDialogEx::OnShowWindow(bShow, nStatus);
    ShowUnknownLink();
}

void CScanResultDialog::ShowUnknownLink()
{
    if (CWnd* link = GetDlgItem(IDC_RESULT_UNKNOWN_LINK))
        link->ShowWindow(m_threatList.HasUnknownItem() ? SW_SHOW : SW_HIDE);
}

void CScanResultDialog::OnClean()
{
    if (IsCleaning())
        return;
    bool anySelected = false;
    try
    {
        m_bUnknownItemSelected = 0;
        m_nSelectedThreats = 0;
        LONG count = 0;
        CheckHResult(m_spResults ? m_spResults->get_Count(&count) : E_POINTER);
        for (LONG i = 0; i < count; ++i)
        {
            CComPtr<IThreat> threat;
            ULONG id = 0;
            LONG items = 0;
            CheckHResult(m_spResults->get_Item(i, &threat));
            CheckHResult(threat->get_ID(&id));
            const bool checked = m_threatList.GetCheckBoxState(static_cast<int>(id)) == 1;
            if (checked)
                ++m_nSelectedThreats;
            CheckHResult(threat->get_Count(&items));
            for (LONG j = 0; j < items; ++j)
            {
                CComPtr<ISearchItem> item;
                CheckHResult(threat->get_Item(j, &item));
                if (checked)
                {
                    LONG known = 0;
                    CheckHResult(item->get_Known(&known));
                    if (!known)
                        m_bUnknownItemSelected = 1;
                    anySelected = true;
                }
                CheckHResult(item->put_Quarantine(checked ? TRUE : FALSE));
                CheckHResult(item->put_Repair(checked ? TRUE : FALSE));
                CheckHResult(item->put_Ignore(FALSE));
            }
        }
    }
    catch (const _com_error&)
    {
        return;  // the page stays as it is
    }
    if (!anySelected)
    {
        LeavePage();
        return;
    }
    if (m_bUnknownItemSelected && MessageBox(GetText("btText"), GetText("btTitle"), MB_OKCANCEL) != IDOK)
        return;
    StartClean();
}

void CScanResultDialog::StartClean()
{
    RegisterListeners();
    SetCleaning(CleanRunning);
    m_bCleanFailed = false;
    try
    {
        IQuarantine* quarantine = GetPageQuarantine();
        m_spBackup.Release();
        CheckHResult(quarantine ? GetPageHost()->CreateEngineObject(CLSID_Backup, IID_IBackup,
                                                                    reinterpret_cast<void**>(&m_spBackup))
                                : E_POINTER);
        CheckHResult(m_spBackup->put_Items(m_spResults));
        CheckHResult(quarantine->CreateBackup(m_spBackup));
    }
    catch (const _com_error& e)
    {
        // Nothing runs: a later quarantine action elsewhere must not end here.
        UnregisterListeners();
        SetCleaning(CleanIdle);
        ShowError("errClean", e);
    }
}

void CScanResultDialog::OnQuarantineProgress(int current, int total)
{
    if (current == total)
        PostMessage(WM_QUARANTINE_DONE, 0, 0);
}

void CScanResultDialog::OnQuaException(ULONG_PTR)
{
    if (m_removeSummary.GetSafeHwnd())
        m_removeSummary.EndDialog(0);
    // The action ends without its closing progress report: finish the
    // clean here, without a summary of what may not have happened.
    if (m_cleanState == CleanRunning)
    {
        m_bCleanFailed = true;
        PostMessage(WM_QUARANTINE_DONE, 0, 0);
    }
}

LRESULT CScanResultDialog::OnCleanContinue(WPARAM, LPARAM)
{
    // One clean reports its end more than once (the removal pass's last
    // step, then 0 of 0); only the first report of a running clean counts.
    if (m_cleanState != CleanRunning)
        return 0;
    SetCleaning(CleanFinishing);
    FinishClean();
    SetCleaning(CleanIdle);
    if (GetSafeHwnd())
        LeavePage();
    return 0;
}

void CScanResultDialog::FinishClean()
{
    IQuarantine* quarantine = GetPageQuarantine();
    if (HANDLE never = ::CreateEventA(nullptr, FALSE, FALSE, nullptr))
    {
        LONG running = 0;
        do
        {
            running = 0;
            if (quarantine)
                quarantine->get_Running(&running);
            WaitForSingleObjectWithMessages(never, kIdlePollMs);
        } while (running);
        ::CloseHandle(never);
    }
    UnregisterListeners();
    if (!quarantine)
        return;

    // Nothing backed up: no empty archive is kept.
    CComPtr<IThreatCollection> items;
    LONG backedUp = -1;
    if (m_spBackup && SUCCEEDED(m_spBackup->get_Items(&items)) && items && SUCCEEDED(items->get_Count(&backedUp)) &&
        backedUp == 0)
    {
        DATE time = 0;
        m_spBackup->get_Time(&time);
        quarantine->RemoveBackupFromDisk(time);
    }
    if (m_bCleanFailed || !GetSafeHwnd())
        return;

    LONG found = 0;
    if (m_spResults)
        m_spResults->get_Count(&found);
    m_removeSummary.SetFoundCount(static_cast<int>(found));
    m_removeSummary.SetRemovedCount(m_nSelectedThreats);
    m_removeSummary.DoModal();

    LONG reboot = 0;
    quarantine->get_RebootRequired(&reboot);
    if (reboot && GetSafeHwnd() &&
        MessageBox(GetText("rebootMessage"), CMainDialog::kProgramTitle, MB_OKCANCEL) == IDOK)
        RestartWindows();
}

void CScanResultDialog::RestartWindows()
{
    char value[8] = "";
    if (::GetEnvironmentVariableA(kNoRestartVariable, value, sizeof(value)) > 0)
    {
        DebugLog("Restart of Windows skipped (%s is set)", kNoRestartVariable);
        return;
    }
    RebootWindows();
}

void CScanResultDialog::OnIgnore()
{
    if (IsCleaning() || !m_spResults)
        return;
    std::vector<ULONG> ignored;
    try
    {
        LONG count = 0;
        CheckHResult(m_spResults->get_Count(&count));
        for (LONG i = 0; i < count; ++i)
        {
            CComPtr<IThreat> threat;
            ULONG id = 0;
            CheckHResult(m_spResults->get_Item(i, &threat));
            CheckHResult(threat->get_ID(&id));
            if (m_threatList.GetCheckBoxState(static_cast<int>(id)) != 1)
                continue;
            ignored.push_back(id);
            LONG items = 0;
            CheckHResult(threat->get_Count(&items));
            for (LONG j = 0; j < items; ++j)
            {
                CComPtr<ISearchItem> item;
                CheckHResult(threat->get_Item(j, &item));
                CheckHResult(item->put_Ignore(TRUE));
            }
        }
        if (ignored.empty())
            return;
        IIgnoreList* list = GetPageIgnoreList();
        CheckHResult(list ? list->Feed(m_spResults) : E_POINTER);
        // On the list now: the threats leave the page, also when the file
        // cannot be written (the application saves the list again at exit).
        for (ULONG id : ignored)
            m_threatList.RemoveThreat(static_cast<int>(id));
        const HRESULT saved = list->Save(CComBSTR(CIgnoreListDialog::GetIgnoreListPath()));
        if (saved != S_OK)
            CheckHResult(FAILED(saved) ? saved : E_FAIL);  // S_FALSE: not all of it was written
    }
    catch (const _com_error& e)
    {
        ShowError("errIgnore", e);
    }
}

void CScanResultDialog::OnSelectAll()
{
    if (IsCleaning())
        return;
    m_threatList.SetAllCheckboxState(m_bAllSelected ? FALSE : TRUE);
    m_bAllSelected = !m_bAllSelected;
    SetControlText(IDC_RESULT_SELECT_ALL, GetText(m_bAllSelected ? "btDeselectAll" : "btSelectAll"));
}

void CScanResultDialog::OnCancel()
{
    if (!IsCleaning())
        LeavePage();
}

void CScanResultDialog::OnOK()
{
}

void CScanResultDialog::OnSendReport()
{
    if (!IsCleaning())
        RunHelpRequestForm();
}

void CScanResultDialog::RunHelpRequestForm()
{
    CSendDlg form(nullptr);
    form.DoModal();
}

void CScanResultDialog::LeavePage()
{
    // The page shows nothing until the next result; a large list's page is
    // freed now rather than when the next scan's list is waited for.
    m_threatList.Clear();
    m_bAllSelected = FALSE;
    SetControlText(IDC_RESULT_SELECT_ALL, GetText("btSelectAll"));
    if (m_pParentWnd && m_pParentWnd->GetSafeHwnd())
        m_pParentWnd->PostMessage(WM_LEAVE_SCAN_PAGE, 0, 0);
}

void CScanResultDialog::RegisterListeners()
{
    CEngineEventDispatcher* dispatcher = GetPageHost() ? GetPageHost()->GetEventDispatcher() : nullptr;
    if (!dispatcher || m_bListening)
        return;
    dispatcher->AddOnQuaException(this, &CEngineEventHandler::OnQuaException);
    dispatcher->AddOnQuarantineProgress(this, &CEngineEventHandler::OnQuarantineProgress);
    m_bListening = true;
}

void CScanResultDialog::UnregisterListeners()
{
    CEngineEventDispatcher* dispatcher = GetPageHost() ? GetPageHost()->GetEventDispatcher() : nullptr;
    if (!dispatcher || !m_bListening)
        return;
    dispatcher->RemoveOnQuaException(this, &CEngineEventHandler::OnQuaException);
    dispatcher->RemoveOnQuarantineProgress(this, &CEngineEventHandler::OnQuarantineProgress);
    m_bListening = false;
}

void CScanResultDialog::SetCleaning(CleanState state)
{
    m_cleanState = state;
    // The buttons and the link show that they wait for the clean.
    const UINT controls[] = {IDC_RESULT_CLEAN, IDC_RESULT_IGNORE, IDC_RESULT_SELECT_ALL, IDC_RESULT_CANCEL,
                             IDC_RESULT_UNKNOWN_LINK};
    for (UINT id : controls)
        EnableControl(id, state == CleanIdle);
}

void CScanResultDialog::ShowError(const char* key, const _com_error& error)
{
    CString text = GetText(key);
    if (const char* reason = error.ErrorMessage())
        text += CString("\n\n") + reason;
    MessageBox(text, "Error", MB_OK | MB_ICONERROR);
}
