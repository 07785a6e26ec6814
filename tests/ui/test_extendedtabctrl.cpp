// The page container: its tabs and titles, the pages it creates in its
// display area and shows one at a time, what it ignores, and what it paints
// (each tab's bitmap and title, the selected one like the others) with the
// dialog font and system colours when there is no skin.

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/mfc/exception.h"
#include "tests/platform/mfc/window_test_support.h"
#include "tests/ui/res/uitest_ids.h"
#include "ui/extendedtabctrl.h"
#include "ui/tooltipdialog.h"

namespace {

const UINT kTabsId = 500;

// A page that creates itself from the child template and notes its rectangle.
class CTestPage : public CToolTipDialog
{
public:
    CTestPage(CWnd* parent, bool* deleted) : CToolTipDialog(parent, IDD_CHILDPAGE), m_deleted(deleted) {}
    ~CTestPage() override
    {
        if (m_deleted)
            *m_deleted = true;
    }
    BOOL CreatePage(int left, int top, int right, int bottom) override
    {
        rect.SetRect(left, top, right, bottom);
        if (!Create(IDD_CHILDPAGE, m_pParentWnd))
            return FALSE;
        MoveWindow(rect);
        return TRUE;
    }
    CRect rect;

private:
    bool* m_deleted;
};

class ExtendedTabTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        EnsureCommonControls();
        ASSERT_TRUE(CreatePopup(parent, nullptr, WS_POPUP | WS_VISIBLE));
        parent.MoveWindow(20, 20, 700, 400);
        tabs.reset(new CExtendedTabCtrl(6, 6, 2, 7));
        ASSERT_TRUE(tabs->Create(WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_FIXEDWIDTH, CRect(10, 50, 650, 380),
                                 &parent, kTabsId));
        tabs->SetItemSize(124, 35);
    }
    void TearDown() override
    {
        tabs.reset();
        parent.DestroyWindow();
    }
    CString ItemText(int tab)
    {
        char text[64] = "";
        TCITEMA item = {};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        tabs->GetItem(tab, &item);
        return text;
    }

    CWnd parent;
    std::unique_ptr<CExtendedTabCtrl> tabs;
};

} // namespace

TEST_F(ExtendedTabTest, TabsTitlesAndTheTitleOutsideTheListIsRefused)
{
    tabs->SetTabCount(3);
    EXPECT_EQ(3, tabs->GetItemCount());
    EXPECT_EQ(3, tabs->GetTitleCount());
    EXPECT_EQ(0, tabs->GetCurSel());
    CRect item;
    ASSERT_TRUE(tabs->GetItemRect(2, item));
    EXPECT_EQ(CSize(124, 35), item.Size());

    tabs->SetTitle(1, "Settings");
    EXPECT_EQ(CString("Settings"), tabs->GetTitle(1));
    EXPECT_EQ(CString("Settings"), ItemText(1));
    for (int tab : {3, -1, 100})
    {
        bool refused = false;
        try
        {
            tabs->SetTitle(tab, "nowhere");
        }
        catch (CInvalidArgException* e)
        {
            refused = true;
            e->Delete();
        }
        EXPECT_TRUE(refused) << tab;
    }

    // A new count starts over with empty titles.
    tabs->SetTabCount(2);
    EXPECT_EQ(2, tabs->GetItemCount());
    EXPECT_EQ(CString(""), tabs->GetTitle(1));
    EXPECT_EQ(CString(""), ItemText(1));
}

TEST_F(ExtendedTabTest, PagesFillTheDisplayAreaOneShownAtATime)
{
    // Before any page: showing and hiding show nothing.
    tabs->SendMessage(WM_SHOWWINDOW, TRUE, 0);
    EXPECT_EQ(nullptr, tabs->GetShownPage());

    bool deleted[3] = {};
    CExtendedTabCtrl::CPageArray pages;
    pages.Add(new CTestPage(&parent, &deleted[0]));
    pages.Add(nullptr);
    pages.Add(new CTestPage(&parent, &deleted[2]));
    tabs->SetTabCount(3);
    tabs->CreatePages(pages, &parent);

    CRect expected;
    tabs->GetWindowRect(expected);
    parent.ScreenToClient(expected);
    CRect item;
    tabs->GetItemRect(0, item);
    expected.DeflateRect(6, 2 + item.Height(), 6, 7);
    EXPECT_EQ(expected, tabs->GetPageRect(&parent));
    CTestPage* first = static_cast<CTestPage*>(tabs->GetPage(0));
    CTestPage* third = static_cast<CTestPage*>(tabs->GetPage(2));
    EXPECT_EQ(expected, first->rect);
    EXPECT_EQ(expected, third->rect);
    EXPECT_EQ(nullptr, tabs->GetPage(1));
    EXPECT_EQ(nullptr, tabs->GetPage(3));
    EXPECT_EQ(first, tabs->GetShownPage());

    // The container being shown shows its page, and hidden hides it.
    tabs->SendMessage(WM_SHOWWINDOW, TRUE, 0);
    EXPECT_TRUE(first->IsWindowVisible());
    tabs->SendMessage(WM_SHOWWINDOW, FALSE, 0);
    EXPECT_FALSE(first->IsWindowVisible());
    tabs->SendMessage(WM_SHOWWINDOW, TRUE, 0);

    // A click on a tab, reflected from the parent.
    tabs->SetCurSel(2);
    NMHDR header = {tabs->m_hWnd, kTabsId, static_cast<UINT>(TCN_SELCHANGE)};
    parent.SendMessage(WM_NOTIFY, kTabsId, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(third, tabs->GetShownPage());
    EXPECT_TRUE(third->IsWindowVisible());
    EXPECT_FALSE(first->IsWindowVisible());

    // The empty slot and tabs beyond the map change nothing.
    for (int tab : {1, 3, -1, 40})
        tabs->SelectPage(tab);
    EXPECT_EQ(third, tabs->GetShownPage());
    EXPECT_TRUE(third->IsWindowVisible());

    // The container owns its pages.
    HWND firstWindow = first->m_hWnd;
    tabs.reset();
    EXPECT_TRUE(deleted[0]);
    EXPECT_TRUE(deleted[2]);
    EXPECT_FALSE(::IsWindow(firstWindow));
}

TEST_F(ExtendedTabTest, EachTabShowsItsBitmapAndTitleInTheDialogFontAndSystemColours)
{
    tabs->SetTabCount(3);
    tabs->SetTitle(0, "Scan");
    tabs->SetTitle(1, "Help");
    EXPECT_TRUE(tabs->AddBitmap(IDB_OPEN));
    EXPECT_TRUE(tabs->AddBitmap(IDB_EXIT));
    EXPECT_FALSE(tabs->AddBitmap(4242));  // no such picture: nothing added
    EXPECT_EQ(2, tabs->GetBitmapCount());

    // Without a skin: the control's font and the button text colour.
    HFONT font = nullptr;
    COLORREF colour = 0;
    tabs->GetTitleFont(font, colour);
    EXPECT_EQ(reinterpret_cast<HFONT>(tabs->SendMessage(WM_GETFONT)) ? reinterpret_cast<HFONT>(tabs->SendMessage(WM_GETFONT))
                                                                     : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)),
              font);
    EXPECT_EQ(GetSysColor(COLOR_BTNTEXT), colour);

    CRect client;
    tabs->GetClientRect(client);
    const COLORREF paper = RGB(0x12, 0x34, 0x56);
    auto paint = [&](MemoryCanvas& canvas) {
        canvas.dc.FillSolidRect(client, paper);
        tabs->DrawTabs(canvas.dc);
    };
    MemoryCanvas canvas(client.Width(), client.Height());
    paint(canvas);

    // Tab i's bitmap at (W * i + 7, H / 2 - bh / 2 + 5): the pictures'
    // black outline shows there, 13 x 13 pixels.
    const int w = 124, h = 35, bh = 13;
    const int top = h / 2 - bh / 2 + 5;
    for (int i = 0; i < 2; ++i)
    {
        const CRect picture(w * i + 7, top, w * i + 7 + 13, top + bh);
        EXPECT_LT(0, canvas.Count(picture, RGB(0, 0, 0))) << i;
        EXPECT_EQ(0, canvas.Count(picture, paper)) << i;  // copied whole
    }
    // The titles right of their bitmaps, in the text colour; tab 2 has
    // neither title nor bitmap.
    CSize text;
    {
        CClientDC dc(tabs.get());
        CFont* old = dc.SelectObject(CFont::FromHandle(font));
        text = dc.GetTextExtent("Scan");
        dc.SelectObject(old);
    }
    const int textTop = h / 2 - text.cy / 2 + 3;
    const CRect title0(7 + 13 + 5, textTop, 7 + 13 + 5 + text.cx, textTop + text.cy);
    EXPECT_LT(0, canvas.Count(title0, colour));
    EXPECT_EQ(0, canvas.Count(CRect(w * 2, 0, w * 3, h), colour));
    EXPECT_EQ(0, canvas.Count(CRect(0, 0, w * 3, std::min(top, textTop)), colour));  // no tab frames above

    // The selected tab is drawn as the others are.
    tabs->SetCurSel(1);
    MemoryCanvas other(client.Width(), client.Height());
    paint(other);
    EXPECT_EQ(canvas.Count(client, colour), other.Count(client, colour));
    EXPECT_EQ(canvas.Count(client, RGB(0, 0, 0)), other.Count(client, RGB(0, 0, 0)));

    // Centred titles, or none at all.
    tabs->SetTextAlignment(CExtendedTabCtrl::NoTitle);
    MemoryCanvas none(client.Width(), client.Height());
    paint(none);
    EXPECT_EQ(0, none.Count(CRect(7 + 13 + 1, 0, w, h), colour));
    tabs->SetTextAlignment(CExtendedTabCtrl::TitleCentred);
    MemoryCanvas centred(client.Width(), client.Height());
    paint(centred);
    const CRect middle(w / 2 - text.cx / 2, textTop, w / 2 - text.cx / 2 + text.cx, textTop + text.cy);
    EXPECT_LT(0, centred.Count(middle, colour));
}
