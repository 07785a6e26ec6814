#include "pages/scanmenudialog.h"

#include "app/appmessages.h"
#include "pages/linkcursor.h"
#include "pages/pagelayout.h"
#include "pages/pagehost.h"
#include "resources/pages/scanids.h"
#include "ui/programresources.h"

IMPLEMENT_DYNAMIC(CScanMenuDialog, CToolTipDialog)

BEGIN_MESSAGE_MAP(CScanMenuDialog, CToolTipDialog)
    ON_STN_CLICKED(IDC_LINK_QUARANTINE, OnQuarantine)
    ON_STN_CLICKED(IDC_LINK_IGNORE, OnIgnoreList)
    ON_STN_CLICKED(IDC_LINK_LOGS, OnScanLogs)
    ON_BN_CLICKED(IDC_ICON_QUARANTINE, OnQuarantine)
    ON_BN_CLICKED(IDC_ICON_IGNORE, OnIgnoreList)
    ON_BN_CLICKED(IDC_ICON_LOGS, OnScanLogs)
END_MESSAGE_MAP()

namespace {

struct MenuPicture
{
    UINT control;
    const char* skin;
    int cx, cy;
    UINT bitmap;
};
const MenuPicture kPictures[3] = {{IDC_ICON_IGNORE, "IgnoreIcon", 24, 23, IDB_TAB_IGNORE},
                              {IDC_ICON_LOGS, "ScanLogIcon", 24, 24, IDB_TAB_LOGS},
                              {IDC_ICON_QUARANTINE, "QuarantineIcon", 24, 21, IDB_TAB_QUARANTINE}};

} // namespace

CScanMenuDialog::CScanMenuDialog(CWnd* pParent)
    : CToolTipDialog(pParent, IDD_SCAN_MENU), CLocalizedTextSource("ScanMenuDialog"), CDialogControlHelper(this),
      m_hCursor(nullptr), m_hPictures{}
{
}

CScanMenuDialog::~CScanMenuDialog()
{
    for (HBITMAP picture : m_hPictures)
        if (picture)
            ::DeleteObject(picture);
}

BOOL CScanMenuDialog::CreatePage(int left, int top, int right, int bottom)
{
    m_rcPage.SetRect(left, top, right, bottom);
    return Create(IDD_SCAN_MENU, m_pParentWnd);
}

BOOL CScanMenuDialog::OnInitDialog()
{
    if (!CToolTipDialog::OnInitDialog())
        return FALSE;
    m_hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    for (UINT link : {IDC_LINK_QUARANTINE, IDC_LINK_IGNORE, IDC_LINK_LOGS})
        SetControlSkin(link, "LinkStatic", "Dialog");
    SetControlSkin(IDC_GROUP_FRAME, "DialogFrame", "Dialog");
    for (int i = 0; i < 3; ++i)
    {
        SetControlSkin(kPictures[i].control, kPictures[i].skin, "Dialog");
        if (!m_hPictures[i])
            m_hPictures[i] = static_cast<HBITMAP>(::LoadImageA(
                AfxGetResourceHandle(), MAKEINTRESOURCEA(kPictures[i].bitmap), IMAGE_BITMAP, 0, 0, 0));
        if (CWnd* button = GetDlgItem(kPictures[i].control))
            button->SendMessage(BM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_hPictures[i]));
    }
    LoadTexts();
    UpdateLayout();
    return TRUE;
}

void CScanMenuDialog::UpdateLayout()
{
    PlaceRightAligned(*this, m_rcPage);
    PlaceGroupFrame(*this);
    for (const MenuPicture& picture : kPictures)
        SetControlPos(picture.control, nullptr, 0, 0, picture.cx, picture.cy, SWP_NOMOVE | SWP_NOZORDER);
}

void CScanMenuDialog::LoadTexts()
{
    SetControlText(IDC_LINK_QUARANTINE, GetText("link.QuarantineList"));
    SetControlText(IDC_LINK_IGNORE, GetText("link.IgnoreList"));
    SetControlText(IDC_LINK_LOGS, GetText("link.ScanLogs"));
}

BOOL CScanMenuDialog::PreTranslateMessage(MSG* pMsg)
{
    static const UINT kLinks[] = {IDC_LINK_QUARANTINE, IDC_LINK_IGNORE, IDC_LINK_LOGS};
    SetLinkCursor(*this, *pMsg, kLinks, m_hCursor);
    return CToolTipDialog::PreTranslateMessage(pMsg);
}

void CScanMenuDialog::PostToParent(UINT message)
{
    if (CWnd* parent = GetParent())
        parent->PostMessage(message, 0, 0);
}

void CScanMenuDialog::OnQuarantine()
{
    PostToParent(WM_SHOW_QUARANTINE);
}

void CScanMenuDialog::OnIgnoreList()
{
    PostToParent(WM_SHOW_IGNORE_LIST);
}

void CScanMenuDialog::OnScanLogs()
{
    PostToParent(WM_SHOW_SCAN_LOGS);
}
