// Shows a dialog and the bitmap menu open near the screen's bottom-right
// corner, the way the tray menu looks, with a picture strip, item pictures,
// a grayed item, a checked item and an open sub-menu, so that a person can
// look at it (scripts/screenshot). Ends by itself after the seconds given on
// the command line (default 30).

#include "platform/mfc/afxwin.h"
#include "tests/ui/res/uitest_ids.h"
#include "ui/bmpmenu.h"
#include "ui/tooltipdialog.h"

#include <stdlib.h>

namespace {

const UINT WM_DEMO_OPEN = WM_APP + 1;
const UINT_PTR kEndTimer = 1;
const UINT_PTR kOpenTimer = 2;

class CDemoDialog : public CToolTipDialog
{
public:
    explicit CDemoDialog(UINT seconds) : CToolTipDialog(nullptr, IDD_MENUDEMO), m_seconds(seconds) {}

    BOOL OnInitDialog() override
    {
        CToolTipDialog::OnInitDialog();
        SetWindowPos(nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        ShowWindow(SW_SHOW);
        SetTimer(kEndTimer, m_seconds * 1000, nullptr);
        // The menu a moment later, over a dialog that has painted itself.
        SetTimer(kOpenTimer, 1500, nullptr);
        return TRUE;
    }

protected:
    afx_msg LRESULT OnOpen(WPARAM, LPARAM)
    {
        m_strip.LoadBitmap(IDB_STRIP);
        m_open.LoadBitmap(IDB_OPEN);
        m_about.LoadBitmap(IDB_ABOUT);
        m_exit.LoadBitmap(IDB_EXIT);

        CMenu more;
        more.CreatePopupMenu();
        more.AppendMenu(MF_STRING, 2001, "&Quick scan");
        more.AppendMenu(MF_STRING, 2002, "&Full scan");
        more.AppendMenu(MF_STRING | MF_CHECKED, 2003, "Scan at &start");

        CBmpMenu menu(24, TRUE, m_strip, TRUE);
        menu.CreatePopupMenu();
        menu.AppendMenu(MF_STRING, 1067, "&Open");
        menu.AppendMenu(MF_POPUP, reinterpret_cast<UINT_PTR>(more.Detach()), "&Scan");
        menu.AppendMenu(MF_SEPARATOR);
        menu.AppendMenu(MF_STRING | MF_GRAYED, 1070, "&Update (not now)");
        menu.AppendMenu(MF_STRING, 1068, "&About");
        menu.AppendMenu(MF_STRING, 1069, "E&xit");
        menu.SetMenuItemBitmaps(0, MF_BYPOSITION, &m_open, &m_open);
        menu.SetMenuItemBitmaps(4, MF_BYPOSITION, &m_about, &m_about);
        menu.SetMenuItemBitmaps(5, MF_BYPOSITION, &m_exit, &m_exit);

        // Near the bottom-right corner of the screen, where the tray is: it
        // opens left and up. Opened from the keyboard, then the sub-menu of
        // the hot item, which opens beside it.
        PostMessage(WM_KEYDOWN, VK_DOWN, 0);
        PostMessage(WM_KEYDOWN, VK_RIGHT, 0);
        CRect screen;
        ::GetWindowRect(::GetDesktopWindow(), screen);
        menu.TrackPopup(CBmpMenu::FlagKeyboard, screen.right - 40, screen.bottom - 40, this);
        return 0;
    }
    afx_msg void OnTimer(UINT_PTR id)
    {
        if (id == kOpenTimer)
        {
            KillTimer(kOpenTimer);
            PostMessage(WM_DEMO_OPEN);
            return;
        }
        // Leaves the menu's loop and then the dialog's.
        PostQuitMessage(0);
    }

    DECLARE_MESSAGE_MAP()

private:
    UINT m_seconds;
    CBitmap m_strip, m_open, m_about, m_exit;
};

BEGIN_MESSAGE_MAP(CDemoDialog, CToolTipDialog)
    ON_MESSAGE(WM_DEMO_OPEN, OnOpen)
    ON_WM_TIMER()
END_MESSAGE_MAP()

class CDemoApp : public CWinApp
{
public:
    BOOL InitInstance() override
    {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
        InitCommonControlsEx(&icc);
        const int seconds = m_lpCmdLine && *m_lpCmdLine ? atoi(m_lpCmdLine) : 30;
        CDemoDialog dialog(seconds > 0 ? static_cast<UINT>(seconds) : 30);
        m_pMainWnd = &dialog;
        dialog.DoModal();
        return FALSE;
    }
};

CDemoApp theApp;

} // namespace
