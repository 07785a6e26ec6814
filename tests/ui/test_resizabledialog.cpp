// The resizable dialog base: the template's client size is kept, the
// dialog cannot be made smaller than at initialisation (or a later
// minimum), and the layout and grip parts stay inert unless used.

#include <gtest/gtest.h>

#include "tests/platform/mfc/window_test_support.h"
#include "tests/ui/res/uitest_ids.h"
#include "ui/resizabledialog.h"

namespace {

class CTestResizable : public CResizableDialog
{
public:
    CTestResizable() : CResizableDialog(IDD_PAGE) {}

    // What WM_GETMINMAXINFO gave before initialisation had finished.
    POINT minTrackDuringCreate = {-1, -1};
    mutable int layoutPasses = 0;

    using CResizableLayout::AddAnchor;
    using CResizableLayout::CanClipControl;
    using CResizableLayout::LayoutInfo;
    using CResizableLayout::NeedsRepaint;

protected:
    afx_msg int OnCreate(LPCREATESTRUCTA cs)
    {
        if (CResizableDialog::OnCreate(cs) == -1)
            return -1;
        MINMAXINFO info = {};
        info.ptMinTrackSize = {7, 9};
        SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
        minTrackDuringCreate = info.ptMinTrackSize;
        return 0;
    }
    void GetLayoutClientRect(LPRECT lpRect) const override
    {
        ++layoutPasses;
        CResizableDialog::GetLayoutClientRect(lpRect);
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CTestResizable, CResizableDialog)
    ON_WM_CREATE()
END_MESSAGE_MAP()

CRect WindowRect(CWnd& wnd)
{
    CRect r;
    wnd.GetWindowRect(r);
    return r;
}

CRect ChildRect(CWnd& parent, int id)
{
    CRect r;
    parent.GetDlgItem(id)->GetWindowRect(r);
    parent.ScreenToClient(r);
    return r;
}

} // namespace

TEST(ResizableDialog, KeepsTheTemplatesClientSize)
{
    CTestResizable dlg;
    ASSERT_TRUE(dlg.Create(IDD_PAGE));
    CRect expected(0, 0, PAGE_WIDTH, PAGE_HEIGHT);
    dlg.MapDialogRect(expected);
    CRect client;
    dlg.GetClientRect(client);
    EXPECT_EQ(expected.Width(), client.Width());
    EXPECT_EQ(expected.Height(), client.Height());
    EXPECT_STREQ("CResizableDialog", RUNTIME_CLASS(CResizableDialog)->m_lpszClassName);
    dlg.DestroyWindow();
}

TEST(ResizableDialog, RefusesToShrinkBelowItsInitialSizeOrALaterMinimum)
{
    CTestResizable dlg;
    ASSERT_TRUE(dlg.Create(IDD_PAGE));
    // Before OnInitDialog finished the default answered.
    EXPECT_EQ(7, dlg.minTrackDuringCreate.x);
    EXPECT_EQ(9, dlg.minTrackDuringCreate.y);
    EXPECT_TRUE(dlg.IsInitialised());

    const CRect initial = WindowRect(dlg);
    MINMAXINFO info = {};
    dlg.SendMessage(WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(initial.Width(), info.ptMinTrackSize.x);
    EXPECT_EQ(initial.Height(), info.ptMinTrackSize.y);
    EXPECT_EQ(0, info.ptMaxTrackSize.x);  // only the minimum is set

    dlg.SetWindowPos(nullptr, 0, 0, initial.Width() / 2, initial.Height() / 2, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(initial.Width(), WindowRect(dlg).Width());
    EXPECT_EQ(initial.Height(), WindowRect(dlg).Height());
    dlg.SetWindowPos(nullptr, 0, 0, initial.Width() + 40, initial.Height() + 30, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(initial.Width() + 40, WindowRect(dlg).Width());

    // A later minimum replaces the first one.
    dlg.SetMinTrackSize(CSize(100, 80));
    dlg.SetWindowPos(nullptr, 0, 0, 50, 50, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(100, WindowRect(dlg).Width());
    EXPECT_EQ(80, WindowRect(dlg).Height());
    dlg.DestroyWindow();
}

TEST(ResizableDialog, ResizingMovesNoControlAndShowsNoGrip)
{
    CTestResizable dlg;
    ASSERT_TRUE(dlg.Create(IDD_PAGE));
    const CRect button = ChildRect(dlg, IDC_BUTTON);
    const int passesBefore = dlg.layoutPasses;
    dlg.ShowWindow(SW_MAXIMIZE);
    dlg.ShowWindow(SW_RESTORE);
    dlg.SetWindowPos(nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(button, ChildRect(dlg, IDC_BUTTON));
    EXPECT_GT(dlg.layoutPasses, passesBefore);  // the layout ran, over an empty list

    int children = 0;
    for (CWnd* c = dlg.GetWindow(GW_CHILD); c != nullptr; c = c->GetWindow(GW_HWNDNEXT))
        ++children;
    dlg.ShowSizeGrip(TRUE);
    dlg.UpdateSizeGrip();
    EXPECT_FALSE(dlg.HasSizeGrip());
    int after = 0;
    for (CWnd* c = dlg.GetWindow(GW_CHILD); c != nullptr; c = c->GetWindow(GW_HWNDNEXT))
        ++after;
    EXPECT_EQ(children, after);
    dlg.DestroyWindow();
}

TEST(ResizableDialog, AnchoredControlFollowsItsCorner)
{
    CTestResizable dlg;
    ASSERT_TRUE(dlg.Create(IDD_PAGE));
    const CRect button = ChildRect(dlg, IDC_BUTTON);
    const CRect text = ChildRect(dlg, IDC_TEXT);
    dlg.AddAnchor(dlg.GetDlgItem(IDC_BUTTON)->m_hWnd, CSize(100, 100), CSize(100, 100));
    dlg.AddAnchor(nullptr, CSize(0, 0), CSize(0, 0));  // refused
    const CRect window = WindowRect(dlg);
    dlg.SetWindowPos(nullptr, 0, 0, window.Width() + 40, window.Height() + 30, SWP_NOMOVE | SWP_NOZORDER);
    CRect moved = button;
    moved.OffsetRect(40, 30);
    EXPECT_EQ(moved, ChildRect(dlg, IDC_BUTTON));
    EXPECT_EQ(text, ChildRect(dlg, IDC_TEXT));  // not anchored: stays
    dlg.DestroyWindow();
}

TEST(ResizableDialog, ClippingAndRepaintRulesByClassAndStyle)
{
    CTestResizable dlg;
    ASSERT_TRUE(dlg.Create(IDD_PAGE));
    struct Case
    {
        const char* cls;
        DWORD style;
        BOOL clip;
        BOOL repaint;
    } cases[] = {
        {"Static", SS_LEFT, TRUE, TRUE},
        {"Static", SS_BITMAP, TRUE, TRUE},
        {"Static", SS_ICON, TRUE, FALSE},
        {"Static", SS_ICON | SS_CENTERIMAGE, FALSE, TRUE},
        {"Static", SS_OWNERDRAW, FALSE, FALSE},
        {"Button", BS_GROUPBOX, FALSE, FALSE},
        {"Button", BS_PUSHBUTTON, TRUE, FALSE},
        {"ToolbarWindow32", TBSTYLE_TRANSPARENT, FALSE, FALSE},
        {"ToolbarWindow32", CCS_NODIVIDER, TRUE, FALSE},
        {"Edit", ES_LEFT, TRUE, FALSE},
    };
    EnsureCommonControls();
    for (const Case& c : cases)
    {
        HWND control = CreateWindowExA(0, c.cls, "", WS_CHILD | c.style, 0, 0, 10, 10, dlg.m_hWnd, nullptr,
                                       nullptr, nullptr);
        ASSERT_NE(nullptr, control) << c.cls;
        CTestResizable::LayoutInfo info = {control, c.cls, {0, 0}, {0, 0}, {0, 0}, {0, 0}};
        EXPECT_EQ(c.clip, dlg.CanClipControl(info)) << c.cls << " " << c.style;
        EXPECT_EQ(c.repaint, dlg.NeedsRepaint(info)) << c.cls << " " << c.style;
        ::DestroyWindow(control);
    }
    dlg.DestroyWindow();
}
