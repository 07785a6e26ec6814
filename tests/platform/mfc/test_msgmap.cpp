// Message maps: dispatch by message, command and notification, chaining to
// the base class's map, parameter cracking, reflection of notifications to
// the control that sent them, and run-time class information.

#include <gtest/gtest.h>

#include "res/mfctest_ids.h"
#include "window_test_support.h"

namespace {

const UINT kRegistered = RegisterWindowMessageA("CwTestRegisteredMessage");

class CBaseWnd : public CWnd
{
public:
    CallLog log;
    CPoint lastMouse;
    UINT lastCtlColor = 0;
    int sizeCx = 0, sizeCy = 0;

protected:
    afx_msg LRESULT OnApp1(WPARAM wParam, LPARAM) { log.push_back("base app1"); return 100 + wParam; }
    afx_msg LRESULT OnApp2(WPARAM, LPARAM) { log.push_back("base app2"); return 2; }
    afx_msg void OnSize(UINT, int cx, int cy) { sizeCx = cx; sizeCy = cy; }
    afx_msg void OnCommand100() { log.push_back("base command 100"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CBaseWnd, CWnd)
    ON_MESSAGE(WM_APP + 1, OnApp1)
    ON_MESSAGE(WM_APP + 2, OnApp2)
    ON_WM_SIZE()
    ON_COMMAND(100, OnCommand100)
END_MESSAGE_MAP()

class CDerivedWnd : public CBaseWnd
{
protected:
    afx_msg LRESULT OnApp2(WPARAM, LPARAM) { log.push_back("derived app2"); return 22; }
    afx_msg LRESULT OnRegistered(WPARAM wParam, LPARAM) { log.push_back("registered"); return wParam * 2; }
    afx_msg void OnRange() { log.push_back("range"); }
    afx_msg void OnMouseMove(UINT flags, CPoint point)
    {
        log.push_back("mouse " + std::to_string(flags));
        lastMouse = point;
    }
    afx_msg HBRUSH OnCtlColor(CDC*, CWnd*, UINT nCtlColor)
    {
        lastCtlColor = nCtlColor;
        return static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH));
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDerivedWnd, CBaseWnd)
    ON_MESSAGE(WM_APP + 2, OnApp2)
    ON_REGISTERED_MESSAGE(kRegistered, OnRegistered)
    ON_COMMAND_RANGE(200, 210, OnRange)
    ON_WM_MOUSEMOVE()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

// A tab control that answers its own notifications.
class CReflectingTab : public CTabCtrl
{
public:
    int selChanging = 0;
    BOOL refuse = TRUE;

protected:
    afx_msg void OnSelChanging(NMHDR*, LRESULT* pResult)
    {
        ++selChanging;
        *pResult = refuse;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CReflectingTab, CTabCtrl)
    ON_NOTIFY_REFLECT(TCN_SELCHANGING, OnSelChanging)
END_MESSAGE_MAP()

class CTabsDialog : public CDialog
{
public:
    CTabsDialog() : CDialog(IDD_TABS) {}
    CReflectingTab tabs;
    CallLog log;

protected:
    afx_msg void OnParentSelChanging(NMHDR*, LRESULT* pResult)
    {
        log.push_back("parent selchanging");
        *pResult = 0;
    }
    afx_msg void OnParentSelChange(NMHDR*, LRESULT*) { log.push_back("parent selchange"); }
    afx_msg void OnButton() { log.push_back("button"); }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTabsDialog, CDialog)
    ON_NOTIFY(TCN_SELCHANGING, IDC_TABS, OnParentSelChanging)
    ON_NOTIFY(TCN_SELCHANGE, IDC_TABS, OnParentSelChange)
    ON_BN_CLICKED(IDC_BUTTON, OnButton)
END_MESSAGE_MAP()

} // namespace

TEST(MessageMap, DerivedEntriesWinAndTheBaseMapAnswersTheRest)
{
    CDerivedWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd));
    EXPECT_EQ(105, wnd.SendMessage(WM_APP + 1, 5));       // only the base maps it
    EXPECT_EQ(22, wnd.SendMessage(WM_APP + 2));           // the derived entry hides the base's
    EXPECT_EQ(0, wnd.SendMessage(WM_APP + 3));            // nobody: default handling
    EXPECT_EQ(42, wnd.SendMessage(kRegistered, 21));      // registered at run time
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(100, 0), 0);   // menu command, base entry
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(205, 1), 0);   // accelerator inside the range
    wnd.SendMessage(WM_COMMAND, MAKEWPARAM(211, 0), 0);   // outside the range: nobody
    EXPECT_EQ((CallLog{"base app1", "derived app2", "registered", "base command 100", "range"}), wnd.log);
    wnd.DestroyWindow();
}

TEST(MessageMap, HandlersGetTheirParametersCrackedAsTheFrameworkDoes)
{
    CDerivedWnd wnd;
    ASSERT_TRUE(CreatePopup(wnd));
    wnd.SetWindowPos(nullptr, 0, 0, 300, 200, SWP_NOMOVE | SWP_NOZORDER);
    CRect client;
    wnd.GetClientRect(client);
    EXPECT_EQ(client.Width(), wnd.sizeCx);
    EXPECT_EQ(client.Height(), wnd.sizeCy);

    // Positions left of and above the window are negative.
    wnd.SendMessage(WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-3, -40));
    EXPECT_EQ(-3, wnd.lastMouse.x);
    EXPECT_EQ(-40, wnd.lastMouse.y);
    EXPECT_EQ("mouse 1", wnd.log.back());

    // Every WM_CTLCOLORxxx reaches the one entry, with the kind of control.
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    LRESULT brush = wnd.SendMessage(WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    EXPECT_EQ(CTLCOLOR_STATIC, wnd.lastCtlColor);
    EXPECT_EQ(reinterpret_cast<LRESULT>(GetStockObject(GRAY_BRUSH)), brush);
    wnd.SendMessage(WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc.m_hDC), 0);
    EXPECT_EQ(CTLCOLOR_EDIT, wnd.lastCtlColor);
    wnd.DestroyWindow();
}

TEST(MessageMap, ReflectedNotificationAnswersForTheParent)
{
    EnsureCommonControls();
    CTabsDialog dlg;
    ASSERT_TRUE(dlg.Create(IDD_TABS));
    ASSERT_TRUE(dlg.tabs.SubclassDlgItem(IDC_TABS, &dlg));
    dlg.tabs.InsertItem(0, "One");
    dlg.tabs.InsertItem(1, "Two");
    dlg.tabs.SetCurSel(0);

    // The control's own handler answers the parent's WM_NOTIFY; the parent's
    // ON_NOTIFY entry does not run.
    NMHDR header = {dlg.tabs.m_hWnd, IDC_TABS, static_cast<UINT>(TCN_SELCHANGING)};
    EXPECT_EQ(TRUE, dlg.SendMessage(WM_NOTIFY, IDC_TABS, reinterpret_cast<LPARAM>(&header)));
    EXPECT_EQ(1, dlg.tabs.selChanging);
    EXPECT_TRUE(dlg.log.empty());

    // A click on the second tab: the tab control asks, is refused, and stays.
    CRect second;
    dlg.tabs.GetItemRect(1, second);
    dlg.tabs.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(second.left + 4, second.top + 4));
    dlg.tabs.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(second.left + 4, second.top + 4));
    EXPECT_EQ(2, dlg.tabs.selChanging);
    EXPECT_EQ(0, dlg.tabs.GetCurSel());

    // Allowed now: the selection moves and the notification the control does
    // not reflect reaches the parent's map.
    dlg.tabs.refuse = FALSE;
    dlg.tabs.SendMessage(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(second.left + 4, second.top + 4));
    dlg.tabs.SendMessage(WM_LBUTTONUP, 0, MAKELPARAM(second.left + 4, second.top + 4));
    EXPECT_EQ(1, dlg.tabs.GetCurSel());
    EXPECT_EQ((CallLog{"parent selchange"}), dlg.log);

    // A button's click reaches ON_BN_CLICKED.
    dlg.GetDlgItem(IDC_BUTTON)->SendMessage(BM_CLICK);
    EXPECT_EQ("button", dlg.log.back());
    dlg.DestroyWindow();
}

TEST(MessageMap, RuntimeClassesNameTheirClassAndBase)
{
    EXPECT_STREQ("CDialog", RUNTIME_CLASS(CDialog)->m_lpszClassName);
    EXPECT_STREQ("CWnd", RUNTIME_CLASS(CDialog)->m_pBaseClass->m_lpszClassName);
    CTabsDialog dlg;
    EXPECT_TRUE(dlg.IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_TRUE(dlg.IsKindOf(RUNTIME_CLASS(CCmdTarget)));
    EXPECT_FALSE(dlg.tabs.IsKindOf(RUNTIME_CLASS(CDialog)));
    CWnd* asWnd = &dlg.tabs;
    EXPECT_EQ(&dlg.tabs, DYNAMIC_DOWNCAST(CTabCtrl, asWnd));
    EXPECT_EQ(nullptr, DYNAMIC_DOWNCAST(CDialog, asWnd));
}
