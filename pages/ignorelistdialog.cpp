#include "pages/ignorelistdialog.h"

#include <shlobj.h>

#include "foundation/syshelpers.h"
#include "pages/pagehost.h"
#include "resources/pages/maintenanceids.h"

IMPLEMENT_DYNAMIC(CIgnoreListDialog, CMaintenancePage)

BEGIN_MESSAGE_MAP(CIgnoreListDialog, CMaintenancePage)
    ON_BN_CLICKED(IDC_IGNORE_LIST_BACK, OnBack)
    ON_BN_CLICKED(IDC_IGNORE_LIST_REMOVE, OnRemoveSelection)
    ON_BN_CLICKED(IDC_IGNORE_LIST_SELECT_ALL, OnSelectAll)
    ON_WM_SIZE()
END_MESSAGE_MAP()

CIgnoreListDialog::CIgnoreListDialog(CWnd* pParent)
    : CMaintenancePage("IgnoreListDialog", IDD_IGNORE_LIST_PAGE, pParent),
      m_threatList(ThreatListTemplate, ThreatListHtml, this), m_bAllSelected(FALSE)
{
}

BOOL CIgnoreListDialog::OnInitDialog()
{
    if (!CMaintenancePage::OnInitDialog())
        return FALSE;
    m_threatList.CreateModeless();
    LoadTexts();
    UpdateLayout();
    SkinFrames(IDC_IGNORE_LIST_FRAME, IDC_IGNORE_LIST_LIST_FRAME);
    SetControlSkin(IDC_IGNORE_LIST_TITLE, "BoldTitleStatic", "Dialog");
    return TRUE;
}

void CIgnoreListDialog::LoadTexts()
{
    SetControlText(IDC_IGNORE_LIST_BACK, GetText("btBack"));
    SetControlText(IDC_IGNORE_LIST_REMOVE, GetText("btRemoveSelection"));
    SetControlText(IDC_IGNORE_LIST_SELECT_ALL, GetText(m_bAllSelected ? "btDeselectAll" : "btSelectAll"));
    SetControlText(IDC_IGNORE_LIST_TITLE, GetText("title"));
}

void CIgnoreListDialog::UpdateLayout()
{
    PlacePage(IDC_IGNORE_LIST_FRAME);
    const int row = PlaceBottomButton(IDC_IGNORE_LIST_BACK, -Margin);
    PlaceBottomButton(IDC_IGNORE_LIST_SELECT_ALL, Margin);
    CRect selectAll(0, 0, 0, 0);
    if (CWnd* button = GetDlgItem(IDC_IGNORE_LIST_SELECT_ALL))
        button->GetWindowRect(&selectAll);
    PlaceBottomButton(IDC_IGNORE_LIST_REMOVE, Margin + selectAll.Width() + Margin / 2);
    PlaceList(m_threatList, ListTop, row, IDC_IGNORE_LIST_LIST_FRAME);
}

void CIgnoreListDialog::OnSize(UINT nType, int cx, int cy)
{
    CMaintenancePage::OnSize(nType, cx, cy);
    if (m_threatList.GetSafeHwnd() && cx > 0 && cy > 0)
        UpdateLayout();
}

CString CIgnoreListDialog::GetIgnoreListPath()
{
    const CString folder = GetProductDataFolder();
    ::SHCreateDirectoryExA(nullptr, folder, nullptr);
    return folder + "ilist.lst";
}

void CIgnoreListDialog::ShowIgnoreList()
{
    SetControlText(IDC_IGNORE_LIST_SELECT_ALL, GetText("btSelectAll"));
    m_items.Release();
    m_bAllSelected = FALSE;
    if (IIgnoreList* list = GetPageIgnoreList())
        list->get_Items(&m_items);
    if (m_items)
    {
        try
        {
            m_threatList.BuildHtml(m_items, TRUE, 1);
        }
        catch (const _com_error&)
        {
            m_threatList.Clear();
        }
    }
    else
        m_threatList.Clear();
    // Twice, so every box ends unchecked (the list checks known threats)
    // and the button offers to select all.
    OnSelectAll();
    OnSelectAll();
}

void CIgnoreListDialog::OnRemoveSelection()
{
    IIgnoreList* list = GetPageIgnoreList();
    if (!m_items || !list)
        return;
    LONG count = 0;
    if (FAILED(m_items->get_Count(&count)))
        return;
    bool removed = false;
    for (LONG i = 0; i < count; ++i)
    {
        CComPtr<IThreat> threat;
        ULONG id = 0;
        if (FAILED(m_items->get_Item(i, &threat)) || !threat || FAILED(threat->get_ID(&id)))
            continue;
        if (m_threatList.GetCheckBoxState(static_cast<int>(id)) != 1)
            continue;
        m_threatList.RemoveThreat(static_cast<int>(id));
        if (SUCCEEDED(m_items->RemoveByID(id)))
        {
            // The next threat now stands at this index.
            --count;
            --i;
            removed = true;
        }
    }
    if (!removed)
        return;
    const HRESULT hr = list->Save(CComBSTR(GetIgnoreListPath()));
    if (FAILED(hr))
        ShowError(GetText("saveFailed"));
}

void CIgnoreListDialog::OnSelectAll()
{
    m_threatList.SetAllCheckboxState(m_bAllSelected ? FALSE : TRUE);
    m_bAllSelected = !m_bAllSelected;
    SetControlText(IDC_IGNORE_LIST_SELECT_ALL, GetText(m_bAllSelected ? "btDeselectAll" : "btSelectAll"));
}
