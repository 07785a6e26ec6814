#include "pages/maintenancepage.h"

#include <algorithm>
#include <iterator>

#include "app/appmessages.h"
#include "pages/pagekeys.h"
#include "pages/pagelayout.h"

IMPLEMENT_DYNAMIC(CMaintenancePage, CToolTipDialogEx)

BEGIN_MESSAGE_MAP(CMaintenancePage, CToolTipDialogEx)
END_MESSAGE_MAP()


const char CMaintenancePage::kErrorCaption[] = "Error";

CMaintenancePage::CMaintenancePage(const CString& sectionName, UINT templateId, CWnd* pParent)
    : CToolTipDialogEx(sectionName, pParent, templateId), CDialogControlHelper(this), m_templateId(templateId)
{
}

BOOL CMaintenancePage::CreatePage(int left, int top, int right, int bottom)
{
    m_rcPage.SetRect(left, top, right, bottom);
    return Create(m_templateId, m_pParentWnd);
}

BOOL CMaintenancePage::PreTranslateMessage(MSG* pMsg)
{
    IgnoreEnterAndEscape(pMsg);
    return CToolTipDialogEx::PreTranslateMessage(pMsg);
}

void CMaintenancePage::PlacePage(UINT frameId)
{
    PlacePageAt(*this, m_rcPage);
    PlaceGroupFrame(*this, frameId);
}

int CMaintenancePage::PlaceBottomButton(UINT id, int x)
{
    CRect client;
    GetClientRect(&client);
    CRect button(0, 0, 0, 0);
    if (CWnd* control = Control(id))
        control->GetWindowRect(&button);
    const int top = client.Height() - BottomMargin - button.Height();
    const int left = x >= 0 ? x : client.Width() + x - button.Width();
    SetControlPos(id, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    return top;
}

void CMaintenancePage::PlaceTopRow(UINT chooserId, std::initializer_list<UINT> buttonIds)
{
    CRect client;
    GetClientRect(&client);
    int right = client.Width() - Margin;
    for (auto id = std::rbegin(buttonIds); id != std::rend(buttonIds); ++id)
    {
        CWnd* button = GetDlgItem(static_cast<int>(*id));
        if (!button)
            continue;
        CRect rc;
        button->GetWindowRect(&rc);
        ScreenToClient(&rc);
        right -= rc.Width();
        button->SetWindowPos(nullptr, right, rc.top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
        right -= Margin / 2;
    }
    if (CWnd* chooser = GetDlgItem(static_cast<int>(chooserId)))
    {
        // A combo box's height given to SetWindowPos is that of it dropped down.
        CRect rc, dropped;
        chooser->GetWindowRect(&rc);
        ScreenToClient(&rc);
        if (!chooser->SendMessage(CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped)))
            dropped = rc;
        // The chooser takes the room the buttons leave, never running under them.
        const int width = std::max(static_cast<int>(MinChooserWidth), right - Margin / 2 - static_cast<int>(rc.left));
        chooser->SetWindowPos(nullptr, 0, 0, width, std::max(rc.Height(), dropped.Height()),
                              SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void CMaintenancePage::PlaceList(CWnd& list, int top, int rowTop, UINT frameId)
{
    if (!list.GetSafeHwnd())
        return;
    const int width = m_rcPage.Width() - 2 * Margin, height = std::max(0, rowTop - Margin - top);
    list.SetWindowPos(nullptr, Margin, top, width, height, SWP_NOZORDER | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    SetControlPos(frameId, nullptr, Margin - 1, top - 7, width + 1, height + 8, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CMaintenancePage::SkinFrames(UINT first, UINT second)
{
    SetControlSkin(first, "DialogFrame", "Dialog");
    if (second)
        SetControlSkin(second, "DialogFrame", "Dialog");
}

LRESULT CMaintenancePage::SendItem(UINT id, UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::SendDlgItemMessageA(m_hWnd, static_cast<int>(id), message, wParam, lParam);
}

void CMaintenancePage::ShowError(const CString& text)
{
    AfxShowMessageBox(m_hWnd, text, kErrorCaption, MB_OK | MB_ICONERROR);
}

void CMaintenancePage::OnBack()
{
    if (CWnd* parent = GetParent())
        parent->PostMessage(WM_PAGE_BACK, 0, 0);
}
