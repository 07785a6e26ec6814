// Edits, list boxes, combo boxes, list views and tree views under their
// skinners: the skin's colours and border, the kinds left alone, and
// selection, keys and notifications that stay the control's own.

#include "skin_control_fixture.h"

#include <richedit.h>

#include "skin/controls/skincombobox.h"
#include "skin/controls/skincontrolhelpers.h"
#include "skin/controls/skinedit.h"
#include "skin/controls/skinlistbox.h"
#include "skin/controls/skinlistview.h"
#include "skin/controls/skintreeview.h"
#include "skin/draw/skindib.h"

namespace {

COLORREF BrushColour(LRESULT brush)
{
    LOGBRUSH info = {};
    GetObjectA((HBRUSH)brush, sizeof(info), &info);
    return info.lbColor;
}

DWORD FramePixel(HWND hwnd, int x, int y)
{
    RedrawWindow(hwnd, NULL, NULL, RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW);
    HDC dc = GetWindowDC(hwnd);
    const COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(hwnd, dc);
    return DibPixel(c);
}

class ListSkinnersTest : public SkinControlsTest
{
protected:
    // The notification codes of WM_COMMAND from one control.
    std::vector<int> Codes(int id)
    {
        std::vector<int> codes;
        for (const ControlMessage& m : Take(WM_COMMAND))
            if (LOWORD(m.wParam) == id)
                codes.push_back(HIWORD(m.wParam));
        return codes;
    }
    LRESULT CtlColour(UINT message, HWND control, MemoryPicture& picture)
    {
        return SendMessageA(m_dialog, message, (WPARAM)picture.DC(), (LPARAM)control);
    }
};

} // namespace

TEST_F(ListSkinnersTest, EditsTakeTheSkinsColoursAndBorder)
{
    HWND edit = Child("Edit", "text", 0, 10, 10, 100, 20, 61, WS_EX_CLIENTEDGE);
    HWND readOnly = Child("Edit", "text", WS_BORDER | ES_READONLY, 10, 40, 100, 20, 62);
    HWND edged = Child("Edit", "", 0, 10, 70, 100, 20, 63, WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
    LoadLibraryA("riched32.dll");
    HWND rich = Child("RICHEDIT", "", WS_BORDER, 10, 100, 100, 40, 64);
    Skin();
    ASSERT_TRUE(Skinner<CSkinEdit>(edit));
    MemoryPicture picture(4, 4, 0);
    EXPECT_EQ(Rgb(0xF0F0E0), BrushColour(CtlColour(WM_CTLCOLOREDIT, edit, picture)));
    EXPECT_EQ(Rgb(0x102030), GetTextColor(picture.DC()));
    EXPECT_EQ(Rgb(0xD0D0D0), BrushColour(CtlColour(WM_CTLCOLORSTATIC, readOnly, picture))) << "read-only: colour 3";
    EnableWindow(edit, FALSE);
    EXPECT_EQ(Rgb(0xD0D0D0), BrushColour(CtlColour(WM_CTLCOLORSTATIC, edit, picture))) << "disabled: colour 3";

    EXPECT_EQ(GetSystemMetrics(SM_CXEDGE) + 1, SkinBorderWidth(0, WS_EX_CLIENTEDGE | WS_EX_STATICEDGE));
    EXPECT_EQ(1, SkinBorderWidth(WS_BORDER, 0));
    EXPECT_EQ(0x500000u, FramePixel(edit, 0, 0)) << "the skin's border";
    EXPECT_EQ(0x500000u, FramePixel(edit, 1, 10));
    const int width = SkinBorderWidth(0, WS_EX_CLIENTEDGE | WS_EX_STATICEDGE);
    EXPECT_EQ(0x500000u, FramePixel(edged, width - 1, 5));

    if (rich) {
        ASSERT_TRUE(Skinner<CSkinEdit>(rich));
        EXPECT_EQ(Rgb(0xE0F0E0), (COLORREF)SendMessageA(rich, EM_SETBKGNDCOLOR, FALSE, RGB(1, 2, 3)))
            << "the RichEdit object's background";
    }
}

TEST_F(ListSkinnersTest, ListBoxesSelectAndNotifyAsTheSystemsDo)
{
    HWND list = Child("ListBox", "", WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT, 10, 10, 120, 100, 71);
    HWND multi = Child("ListBox", "", LBS_EXTENDEDSEL | LBS_NOTIFY, 140, 10, 120, 100, 72);
    HWND owner = Child("ListBox", "", LBS_OWNERDRAWFIXED | LBS_HASSTRINGS, 140, 120, 120, 50, 73);
    for (int i = 0; i < 30; ++i) {
        SendMessageA(list, LB_ADDSTRING, 0, (LPARAM)"item");
        SendMessageA(multi, LB_ADDSTRING, 0, (LPARAM)"item");
    }
    Skin();
    ASSERT_TRUE(Skinner<CSkinListBox>(list));
    EXPECT_EQ(NULL, SkinnerOf(owner)) << "owner-drawn lists keep their look";
    MemoryPicture picture(4, 4, 0);
    EXPECT_EQ(Rgb(0xE0E0F0), BrushColour(CtlColour(WM_CTLCOLORLISTBOX, list, picture)));
    EXPECT_EQ(Rgb(0x201010), GetTextColor(picture.DC()));

    RECT item;
    SendMessageA(list, LB_GETITEMRECT, 2, (LPARAM)&item);
    SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, item.top + 2));
    SendMessageA(list, WM_LBUTTONUP, 0, MAKELPARAM(5, item.top + 2));
    EXPECT_EQ(2, SendMessageA(list, LB_GETCURSEL, 0, 0));
    EXPECT_TRUE(Contains(Codes(71), LBN_SELCHANGE)) << "a click tells the parent";
    SendMessageA(list, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(3, SendMessageA(list, LB_GETCURSEL, 0, 0));
    EXPECT_TRUE(Contains(Codes(71), LBN_SELCHANGE));

    SendMessageA(multi, LB_GETITEMRECT, 1, (LPARAM)&item);
    SendMessageA(multi, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, item.top + 2));
    SendMessageA(multi, WM_LBUTTONUP, 0, MAKELPARAM(5, item.top + 2));
    SendMessageA(multi, LB_GETITEMRECT, 4, (LPARAM)&item);
    SendMessageA(multi, WM_LBUTTONDOWN, MK_LBUTTON | MK_SHIFT, MAKELPARAM(5, item.top + 2));
    SendMessageA(multi, WM_LBUTTONUP, MK_SHIFT, MAKELPARAM(5, item.top + 2));
    EXPECT_EQ(4, SendMessageA(multi, LB_GETSELCOUNT, 0, 0)) << "a shift-click extends the selection";
}

TEST_F(ListSkinnersTest, ComboBoxesPaintTheirStatesAndKeepTheirSelection)
{
    HWND simple = Child("ComboBox", "", CBS_SIMPLE, 10, 10, 100, 80, 81);
    HWND combo = Child("ComboBox", "", CBS_DROPDOWNLIST | WS_VSCROLL, 120, 10, 120, 120, 82);
    HWND editable = Child("ComboBox", "", CBS_DROPDOWN, 120, 60, 120, 120, 83);
    for (const char* text : {"one", "two", "three"}) {
        SendMessageA(combo, CB_ADDSTRING, 0, (LPARAM)text);
        SendMessageA(editable, CB_ADDSTRING, 0, (LPARAM)text);
    }
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    Skin();
    EXPECT_EQ(NULL, SkinnerOf(simple)) << "simple combo boxes keep their look";
    CSkinComboBox* skinner = Skinner<CSkinComboBox>(combo);
    ASSERT_TRUE(skinner);
    RECT client, edit, button;
    GetClientRect(combo, &client);
    skinner->GetAreas(edit, button);
    EXPECT_EQ(client.right - 2, button.right) << "inside the frame's margins";
    const POINT b = {(button.left + button.right) / 2, (button.top + button.bottom) / 2};
    SetFocus(NULL);
    EXPECT_EQ(0x510000u, PixelOf(combo, 0, 0)) << "frame";
    EXPECT_EQ(0x512000u, PixelOf(combo, b.x, b.y)) << "button";
    EXPECT_EQ(0xF0F0F0u, PixelOf(combo, edit.left, edit.bottom - 1)) << "edit area";
    SendMessageA(combo, WM_MOUSEMOVE, 0, MAKELPARAM(b.x, b.y));
    EXPECT_EQ(0x513000u, PixelOf(combo, b.x, b.y)) << "hot";
    SendMessageA(combo, CB_SHOWDROPDOWN, TRUE, 0);
    EXPECT_EQ(0x514000u, PixelOf(combo, b.x, b.y)) << "pressed while the list is down";
    SendMessageA(combo, CB_SHOWDROPDOWN, FALSE, 0);
    SetFocus(combo);
    EXPECT_EQ(0xC0D0E0u, PixelOf(combo, edit.left, edit.bottom - 1)) << "focused";
    EnableWindow(combo, FALSE);
    EXPECT_EQ(0x515000u, PixelOf(combo, b.x, b.y)) << "disabled";
    EXPECT_EQ(0xA0A0A0u, PixelOf(combo, edit.left, edit.bottom - 1));
    EnableWindow(combo, TRUE);

    Take(WM_COMMAND);
    SetFocus(combo);
    SendMessageA(combo, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(1, SendMessageA(combo, CB_GETCURSEL, 0, 0));
    EXPECT_TRUE(Contains(Codes(82), CBN_SELCHANGE));
    MemoryPicture picture(4, 4, 0);
    EXPECT_EQ(Rgb(0xA0A0A0), BrushColour(SendMessageA(combo, WM_CTLCOLORLISTBOX, (WPARAM)picture.DC(), 0)))
        << "the dropped list: the second colour pair";

    // The edit box of a drop-down combo box: the combo box's colours.
    COMBOBOXINFO info = {sizeof(info), {0, 0, 0, 0}, {0, 0, 0, 0}, 0, NULL, NULL, NULL};
    ASSERT_TRUE(GetComboBoxInfo(editable, &info));
    EXPECT_EQ(Rgb(0xF0F0F0), BrushColour(SendMessageA(editable, WM_CTLCOLOREDIT, (WPARAM)picture.DC(),
                                                      (LPARAM)info.hwndItem)));
}

TEST_F(ListSkinnersTest, ListAndTreeViewsWearTheSkinsColoursAndGiveTheirOwnBack)
{
    HWND view = Child(WC_LISTVIEWA, "", LVS_REPORT, 10, 10, 150, 100, 91);
    HWND owner = Child(WC_LISTVIEWA, "", LVS_REPORT | LVS_OWNERDRAWFIXED, 10, 120, 150, 50, 92);
    HWND tree = Child(WC_TREEVIEWA, "", TVS_HASLINES, 170, 10, 140, 100, 93);
    const COLORREF viewBack = (COLORREF)SendMessageA(view, LVM_GETBKCOLOR, 0, 0);
    const COLORREF treeLines = (COLORREF)SendMessageA(tree, TVM_GETLINECOLOR, 0, 0);
    TVINSERTSTRUCTA insert = {};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = (LPSTR) "node";
    HTREEITEM first = (HTREEITEM)SendMessageA(tree, TVM_INSERTITEMA, 0, (LPARAM)&insert);
    HTREEITEM second = (HTREEITEM)SendMessageA(tree, TVM_INSERTITEMA, 0, (LPARAM)&insert);
    Skin();
    ASSERT_TRUE(Skinner<CSkinListView>(view));
    EXPECT_EQ(NULL, SkinnerOf(owner)) << "owner-drawn list views keep their look";
    EXPECT_EQ(Rgb(0xE0F0F0), (COLORREF)SendMessageA(view, LVM_GETBKCOLOR, 0, 0));
    EXPECT_EQ(Rgb(0x202010), (COLORREF)SendMessageA(view, LVM_GETTEXTCOLOR, 0, 0));
    ASSERT_TRUE(Skinner<CSkinTreeView>(tree));
    EXPECT_EQ(Rgb(0xF0E0F0), (COLORREF)SendMessageA(tree, TVM_GETBKCOLOR, 0, 0));
    EXPECT_EQ(Rgb(0x808000), (COLORREF)SendMessageA(tree, TVM_GETLINECOLOR, 0, 0));

    SendMessageA(tree, TVM_SELECTITEM, TVGN_CARET, (LPARAM)first);
    SetFocus(tree);
    SendMessageA(tree, WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ((LRESULT)second, SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)) << "keys move the selection";

    ASSERT_TRUE(m_manager.RemoveSkin(m_dialog, CSkinManager::RemoveDetach));
    EXPECT_EQ(viewBack, (COLORREF)SendMessageA(view, LVM_GETBKCOLOR, 0, 0));
    EXPECT_EQ(treeLines, (COLORREF)SendMessageA(tree, TVM_GETLINECOLOR, 0, 0));
}
