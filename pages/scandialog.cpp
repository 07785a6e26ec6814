#include "pages/scandialog.h"

#include "app/appmessages.h"
#include "foundation/debuglog.h"
#include "pages/pagehost.h"
#include "pages/pagelayout.h"
#include "resources/pages/scanids.h"

IMPLEMENT_DYNAMIC(CScanDialog, CToolTipDialog)

BEGIN_MESSAGE_MAP(CScanDialog, CToolTipDialog)
    ON_MESSAGE(WM_SHOW_SCAN_PAGE, OnShowScanPage)
    ON_MESSAGE(WM_LEAVE_SCAN_PAGE, OnLeaveScanPage)
    ON_MESSAGE(WM_SHOW_QUARANTINE, OnShowQuarantine)
    ON_MESSAGE(WM_SHOW_IGNORE_LIST, OnShowIgnoreList)
    ON_MESSAGE(WM_SHOW_SCAN_LOGS, OnShowScanLogs)
    ON_MESSAGE(WM_PAGE_BACK, OnPageBack)
    ON_MESSAGE(WM_START_SCAN, OnStartScan)
    ON_MESSAGE(WM_REFRESH_STATISTICS, OnRefreshStatistics)
    ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

namespace {
// Sub-pages stand this far inside the scan page; the panes' right margin and top.
const int kPageInset = 10;
const int kPaneMargin = 20;
}

CScanDialog::CScanDialog(CWnd* pParent)
    : CToolTipDialog(pParent, IDD_SCAN_DIALOG), CLocalizedTextSource("ScanDialog"), CDialogControlHelper(this),
      m_startPage(this), m_processPage(this), m_resultPage(this), m_scanLogsPage(this), m_ignoreListPage(this),
      m_quarantinePage(this), m_pCurrent(&m_startPage), m_statPanes(this)
{
}

CScanDialog::~CScanDialog()
{
    if (m_processPage.m_hWnd)
    {
        for (CWnd* page : {static_cast<CWnd*>(&m_startPage), static_cast<CWnd*>(&m_resultPage),
                           static_cast<CWnd*>(&m_processPage), static_cast<CWnd*>(&m_scanLogsPage),
                           static_cast<CWnd*>(&m_ignoreListPage), static_cast<CWnd*>(&m_quarantinePage)})
            if (page->m_hWnd)
                page->DestroyWindow();
        m_statPanes.DestroyAll();
    }
}

BOOL CScanDialog::CreatePage(int left, int top, int right, int bottom)
{
    m_rcPage.SetRect(left, top, right, bottom);
    return Create(IDD_SCAN_DIALOG, m_pParentWnd);
}

void CScanDialog::UpdateLayout()
{
    PlacePageAt(*this, m_rcPage);
}

BOOL CScanDialog::OnInitDialog()
{
    if (!CToolTipDialog::OnInitDialog())
        return FALSE;
    UpdateLayout();
    IPageHost* host = GetPageHost();
    if (host)
        host->SetDefaultDialogSkin("ChildDialog");
    const int w = m_rcPage.Width(), h = m_rcPage.Height();
    for (CToolTipDialog* page : {static_cast<CToolTipDialog*>(&m_startPage), static_cast<CToolTipDialog*>(&m_processPage),
                                 static_cast<CToolTipDialog*>(&m_resultPage), static_cast<CToolTipDialog*>(&m_scanLogsPage),
                                 static_cast<CToolTipDialog*>(&m_ignoreListPage),
                                 static_cast<CToolTipDialog*>(&m_quarantinePage)})
        page->CreatePage(kPageInset, kPageInset, w - kPageInset, h - kPageInset);
    m_pCurrent = &m_startPage;
    m_statPanes.Create(1, CRect(kPaneMargin, kPaneMargin, 0, 0));
    if (host)
    {
        host->ApplyDefaultDialogSkin();
        // The auto-start entry passes "/s": a quick scan right away.
        if (host->GetCommandLineText().Find("/s") >= 0)
            OnShowScanPage(PageQuickScan, 0);
    }
    return TRUE;
}

void CScanDialog::OnScanning(ScanAreaType area, DWORD count)
{
    m_statPanes.OnScanning(area, count);
}

void CScanDialog::OnItemFound(ScanAreaType area)
{
    m_statPanes.OnItemFound(area);
}

void CScanDialog::LoadTexts()
{
    for (CLocalizedTextSource* page :
         {static_cast<CLocalizedTextSource*>(&m_startPage), static_cast<CLocalizedTextSource*>(&m_processPage),
          static_cast<CLocalizedTextSource*>(&m_resultPage), static_cast<CLocalizedTextSource*>(&m_scanLogsPage),
          static_cast<CLocalizedTextSource*>(&m_ignoreListPage), static_cast<CLocalizedTextSource*>(&m_quarantinePage)})
        page->LoadTexts();
    m_statPanes.LoadTexts();
}

void CScanDialog::SwitchTo(CToolTipDialog* page)
{
    if (m_pCurrent && m_pCurrent->m_hWnd)
        m_pCurrent->ShowWindow(SW_HIDE);
    m_pCurrent = page;
    if (page->m_hWnd)
        page->ShowWindow(SW_SHOW);
}

const char* CScanDialog::ScanBlocker()
{
    if (m_processPage.IsScanning())
        return "a scan runs";
    IPageHost* host = GetPageHost();
    if (!host)
        return nullptr;
    CComPtr<IScanner> scanner;
    host->GetScanner(scanner);
    BOOL running = FALSE;
    if (scanner && SUCCEEDED(scanner->get_Running(&running)) && running)
        return "a scan runs";
    IQuarantine* quarantine = GetPageQuarantine();
    LONG busy = 0;
    if (quarantine && SUCCEEDED(quarantine->get_Running(&busy)) && busy)
        return "a clean runs";
    if (m_resultPage.IsCleaning())
        return "the remove summary is open";
    return nullptr;
}

void CScanDialog::StartScanPage(UINT id, LPARAM flag)
{
    if (const char* blocker = ScanBlocker())
    {
        DebugLog("Scan request %u ignored: %s", id, blocker);
        return;
    }
    if (CWnd* parent = GetParent())
        parent->PostMessage(WM_SELECT_PAGE, 0, 0);
    if (IPageHost* host = GetPageHost())
    {
        CComPtr<IScanner> scanner;
        host->GetScanner(scanner);
        if (scanner)
        {
            scanner->put_AreaEnabled(saQuickDisk, TRUE);
            scanner->put_AreaEnabled(saFullDisk, id == PageFolderScan);
        }
    }
    // The statistics start from zero before the first event can come.
    m_statPanes.Reset();
    m_statPanes.Show(1);
    SwitchTo(&m_processPage);
    m_processPage.StartScan(flag != 0);
}

LRESULT CScanDialog::OnShowScanPage(WPARAM wParam, LPARAM lParam)
{
    switch (wParam)
    {
    case PageQuickScan:
    case PageFolderScan:
        StartScanPage(static_cast<UINT>(wParam), lParam);
        break;
    case PageResults:
        m_resultPage.ShowResults();
        SwitchTo(&m_resultPage);
        m_statPanes.Show(1);
        break;
    default:
        break;
    }
    return 0;
}

LRESULT CScanDialog::OnLeaveScanPage(WPARAM, LPARAM)
{
    if (CWnd* parent = GetParent())
        parent->PostMessage(WM_SELECT_PAGE, 1, 0);
    SwitchTo(&m_startPage);
    m_statPanes.Hide(1);
    return 0;
}

LRESULT CScanDialog::OnShowQuarantine(WPARAM, LPARAM)
{
    m_quarantinePage.FillBackupList();
    SwitchTo(&m_quarantinePage);
    return 0;
}

LRESULT CScanDialog::OnShowIgnoreList(WPARAM, LPARAM)
{
    m_ignoreListPage.ShowIgnoreList();
    SwitchTo(&m_ignoreListPage);
    return 0;
}

LRESULT CScanDialog::OnShowScanLogs(WPARAM, LPARAM)
{
    SwitchTo(&m_scanLogsPage);
    return 0;
}

LRESULT CScanDialog::OnPageBack(WPARAM, LPARAM)
{
    SwitchTo(&m_startPage);
    return 0;
}

LRESULT CScanDialog::OnStartScan(WPARAM wParam, LPARAM)
{
    if (m_startPage.m_hWnd)
        m_startPage.PostMessage(WM_START_SCAN, wParam, 1);
    return 0;
}

LRESULT CScanDialog::OnRefreshStatistics(WPARAM, LPARAM)
{
    if (m_startPage.m_hWnd)
        m_startPage.PostMessage(WM_REFRESH_STATISTICS, 0, 0);
    return 0;
}

void CScanDialog::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CToolTipDialog::OnShowWindow(bShow, nStatus);
    if (!m_pCurrent || !m_pCurrent->m_hWnd)
        return;
    m_pCurrent->ShowWindow(bShow ? SW_SHOW : SW_HIDE);
    // The panes belong to a scan and its result; back on the page they return.
    if (bShow && (m_pCurrent == &m_processPage || m_pCurrent == &m_resultPage))
        m_statPanes.Show(1);
}
