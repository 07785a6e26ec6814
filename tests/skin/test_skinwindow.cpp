// The skinned window base, its caption elements and the dialog skinner on
// the colour blocks of tests/skin/data/blocks.skin: the frame captured
// through the window DC, active and inactive; caption buttons in their
// states; hit-test codes; track sizes; the window region; the client
// background; procedures restored on detach and destroy in both character
// sets; and a skin switch with a window open.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <vector>

#include "skin_test_support.h"
#include "skin/core/skinlibrarystate.h"
#include "skin/draw/skindib.h"
#include "skin/elements/skincaptionbutton.h"
#include "skin/elements/skincaptionstatic.h"
#include "skin/objects/skinresourceobjects.h"
#include "skin/objects/skinwindowobjects.h"
#include "skin/windows/skindialog.h"

namespace {

// The window under test answers the messages the skinner passes on.
MINMAXINFO s_ownLimits;
std::vector<UINT> s_seen;
HWND s_destroyedSkinner;
WNDPROC s_procAtNcDestroy;
DRAWITEMSTRUCT s_drawItem;

LRESULT CALLBACK FramedProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_GETMINMAXINFO: {
        MINMAXINFO* info = (MINMAXINFO*)lParam;
        info->ptMinTrackSize = s_ownLimits.ptMinTrackSize;
        info->ptMaxTrackSize = s_ownLimits.ptMaxTrackSize;
        return 0;
    }
    case WM_NCDESTROY:
        s_destroyedSkinner = (HWND)CSkinWnd::FromHandle(hwnd);
        s_procAtNcDestroy = (WNDPROC)GetWindowLongPtrA(hwnd, GWLP_WNDPROC);
        break;
    case WM_DRAWITEM:
        s_drawItem = *(DRAWITEMSTRUCT*)lParam;
        return TRUE;
    case WM_SKIN_ELEMENT_TOOLTIP: {
        TOOLTIPTEXTA* request = (TOOLTIPTEXTA*)lParam;
        if (wParam == 1)
            lstrcpyA(request->szText, "from the window");
        if (wParam == 2) {
            request->hinst = GetModuleHandleA(NULL);
            request->lpszText = MAKEINTRESOURCEA(4711);
        }
        return 0;
    }
    case WM_APP: case WM_STYLECHANGED:
        s_seen.push_back(message);
        return message == WM_APP ? 77 : 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK FramedProcW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCDESTROY)
        s_procAtNcDestroy = (WNDPROC)GetWindowLongPtrW(hwnd, GWLP_WNDPROC);
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

LRESULT CALLBACK LaterSubclass(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallWindowProcA((WNDPROC)GetPropA(hwnd, "test.next"), hwnd, message, wParam, lParam);
}

// Posted WM_SYSCOMMANDs of the thread, in order.
std::vector<WPARAM> TakeSysCommands(HWND hwnd)
{
    std::vector<WPARAM> commands;
    MSG msg;
    while (PeekMessageA(&msg, hwnd, WM_SYSCOMMAND, WM_SYSCOMMAND, PM_REMOVE))
        commands.push_back(msg.wParam);
    return commands;
}

// A child that paints itself green and nothing else.
LRESULT CALLBACK SolidChildProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ERASEBKGND)
        return 1;
    if (message == WM_PAINT) {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd, &ps);
        RECT client;
        GetClientRect(hwnd, &client);
        HBRUSH green = CreateSolidBrush(RGB(0, 0xC0, 0));
        FillRect(dc, &client, green);
        DeleteObject(green);
        EndPaint(hwnd, &ps);
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

int s_menusOpened;
void CountSystemMenu(HWND, POINT)
{
    ++s_menusOpened;
}

class SkinWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        CSkinStore* store = new CSkinStore();
        ASSERT_TRUE(LoadBytes(*store, BlocksSkinFile()));
        ASSERT_TRUE(m_manager.InstallStore(store));
        WNDCLASSA wc = {};
        wc.lpfnWndProc = FramedProc;
        wc.hInstance = GetModuleHandleA(NULL);
        wc.lpszClassName = "CwSkinFramed";
        RegisterClassA(&wc);
        WNDCLASSW wcw = {};
        wcw.lpfnWndProc = FramedProcW;
        wcw.hInstance = GetModuleHandleA(NULL);
        wcw.lpszClassName = L"CwSkinFramedW";
        RegisterClassW(&wcw);
        s_ownLimits.ptMinTrackSize = POINT{1, 1};
        s_ownLimits.ptMaxTrackSize = POINT{5000, 5000};
        CSkinCaptionButton::SetSystemMenuHandler(CountSystemMenu);
        s_menusOpened = 0;
    }
    void TearDown() override
    {
        for (HWND hwnd : m_windows)
            DestroyWindow(hwnd);
        m_manager.RemoveAll();
        CSkinCaptionButton::SetSystemMenuHandler(NULL);
    }
    // A visible popup window with a caption and a 200 x 100 client area.
    HWND Framed(DWORD style = 0)
    {
        RECT r = {0, 0, 200, 100};
        const DWORD full = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_VISIBLE | style;
        AdjustWindowRect(&r, full, FALSE);
        HWND hwnd = CreateWindowExA(0, "CwSkinFramed", "Title", full, 40, 40, r.right - r.left, r.bottom - r.top,
                                    NULL, NULL, NULL, NULL);
        m_windows.push_back(hwnd);
        return hwnd;
    }
    CSkinDialog* Skin(HWND hwnd, LPCSTR object = "Dialog")
    {
        EXPECT_TRUE(m_manager.SetWindowSkin(hwnd, object));
        return dynamic_cast<CSkinDialog*>(m_manager.FindSkinner(hwnd));
    }
    // Skinned, then 210 x 125: a client of 200 x 100 in the blocks' frame.
    CSkinDialog* SkinSized(HWND hwnd)
    {
        CSkinDialog* skinner = Skin(hwnd);
        SetWindowPos(hwnd, NULL, 0, 0, 210, 125, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        return skinner;
    }
    // A pixel of the window, through its window DC.
    static DWORD At(HWND hwnd, int x, int y)
    {
        HDC dc = GetWindowDC(hwnd);
        const COLORREF c = GetPixel(dc, x, y);
        ReleaseDC(hwnd, dc);
        return DibPixel(c);
    }
    // The top strip of the window, through its window DC.
    static void Capture(HWND hwnd, MemoryPicture& picture)
    {
        HDC dc = GetWindowDC(hwnd);
        BitBlt(picture.DC(), 0, 0, picture.Width(), picture.Height(), dc, 0, 0, SRCCOPY);
        ReleaseDC(hwnd, dc);
    }
    static LRESULT Hit(HWND hwnd, int x, int y)
    {
        RECT w;
        GetWindowRect(hwnd, &w);
        return SendMessageA(hwnd, WM_NCHITTEST, 0, MAKELPARAM(w.left + x, w.top + y));
    }
    template <class T> T* Element(CSkinWnd* skinner, size_t index)
    {
        return dynamic_cast<T*>(skinner->GetElements().at(index));
    }

    CSkinManager& m_manager = GetSkinManager();
    std::vector<HWND> m_windows;
};

} // namespace

TEST_F(SkinWindowTest, FrameKeepsTheClientAndDrawsEachPartActiveAndInactive)
{
    HWND hwnd = Framed();
    RECT before, window, client;
    GetClientRect(hwnd, &before);
    CSkinDialog* skinner = Skin(hwnd);
    ASSERT_TRUE(skinner);
    GetWindowRect(hwnd, &window);
    GetClientRect(hwnd, &client);
    EXPECT_EQ(before, client) << "the client keeps its size";
    EXPECT_EQ(client.right + 10, window.right - window.left) << "left border 4, right 6";
    EXPECT_EQ(client.bottom + 25, window.bottom - window.top) << "title 20, bottom 5";
    POINT origin = {0, 0};
    ClientToScreen(hwnd, &origin);
    EXPECT_EQ(4, origin.x - window.left);
    EXPECT_EQ(20, origin.y - window.top);
    SetWindowPos(hwnd, NULL, 0, 0, 210, 125, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);

    SendMessageA(hwnd, WM_NCACTIVATE, TRUE, 0);
    // Corners at their size, the middle parts stretched to the window.
    const struct { int x, y; DWORD active, inactive; } parts[] = {
        {5, 15, 0xA00000, 0x00A000}, {20, 19, 0xA01000, 0x10A000}, {205, 15, 0xA02000, 0x20A000},
        {2, 60, 0xA03000, 0x30A000}, {207, 60, 0xA05000, 0x50A000}, {5, 122, 0xA06000, 0x60A000},
        {100, 122, 0xA07000, 0x70A000}, {205, 122, 0xA08000, 0x80A000}};
    for (const auto& p : parts)
        EXPECT_EQ(p.active, At(hwnd, p.x, p.y)) << p.x << "," << p.y;
    // The close button (kind 1: WS_SYSMENU) moved with the right edge, its
    // key-coloured corner showing the frame; the maximise button (kind 3)
    // hidden without WS_MAXIMIZEBOX.
    EXPECT_EQ(0x0000C0u, At(hwnd, 190, 10));
    EXPECT_EQ(0xA01000u, At(hwnd, 186, 5));
    EXPECT_EQ(0xA01000u, At(hwnd, 178, 10));
    CSkinCaptionButton* close = Element<CSkinCaptionButton>(skinner, 0);
    ASSERT_TRUE(close);
    close->SetState(CSkinCaptionButton::StateHot);
    EXPECT_EQ(0x0000D0u, At(hwnd, 190, 10));
    close->SetState(CSkinCaptionButton::StatePressed);
    EXPECT_EQ(0x0000E0u, At(hwnd, 190, 10));

    // The title is drawn inside the caption text element (28 to 60, moved
    // to 170 by the wider window) and nowhere else: the pixels a title
    // changes, whatever its glyphs look like.
    SetWindowTextA(hwnd, "");
    MemoryPicture empty(210, 20, 0), titled(210, 20, 0);
    Capture(hwnd, empty);
    SetWindowTextA(hwnd, "WWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWWW");
    Capture(hwnd, titled);
    int first = 210, last = -1;
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 210; ++x) {
            if (empty.At(x, y) != titled.At(x, y)) {
                first = std::min(first, x);
                last = std::max(last, x);
            }
        }
    }
    EXPECT_GE(first, 28);
    EXPECT_LT(last, 170);
    EXPECT_LE(first, last) << "the title is drawn";

    SendMessageA(hwnd, WM_NCACTIVATE, FALSE, 0);
    for (const auto& p : parts)
        EXPECT_EQ(p.inactive, At(hwnd, p.x, p.y)) << p.x << "," << p.y;
    EXPECT_EQ(0x0000E0u, At(hwnd, 190, 10)) << "elements draw in both states";

    // The region leaves out the key-coloured pixel of the top-left corner.
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    ASSERT_NE(ERROR, GetWindowRgn(hwnd, region));
    EXPECT_FALSE(PtInRegion(region, 0, 0));
    EXPECT_TRUE(PtInRegion(region, 1, 0));
    EXPECT_TRUE(PtInRegion(region, 209, 124));
    EXPECT_FALSE(PtInRegion(region, 210, 124));

    // A new size: the parts follow and the region is made for it.
    SetWindowPos(hwnd, NULL, 0, 0, 260, 140, SWP_NOMOVE | SWP_NOZORDER);
    SendMessageA(hwnd, WM_NCACTIVATE, TRUE, 0);
    EXPECT_EQ(0xA02000u, At(hwnd, 255, 15));
    EXPECT_EQ(0xA08000u, At(hwnd, 255, 137));
    ASSERT_NE(ERROR, GetWindowRgn(hwnd, region));
    EXPECT_TRUE(PtInRegion(region, 259, 139));
    DeleteObject(region);
}

TEST_F(SkinWindowTest, MissingPicturesDrawTheStateColoursAndNoRegionWithoutTheFlag)
{
    CSkinShapeObject* dialog = (CSkinShapeObject*)m_manager.GetStore()->FindByName("Dialog");
    lstrcpyA(dialog->m_frameImages[0].name, "missing.bmp");
    SetRect(&dialog->m_frameImages[3].source, 5, 5, -5, -5);
    dialog->m_frameImages[12].name[0] = '\0';
    ((CSkinApplicationObject*)m_manager.GetStore()->FindByName("Application"))->m_regionFlag = 0;
    HWND hwnd = Framed();
    ASSERT_TRUE(SkinSized(hwnd));
    SendMessageA(hwnd, WM_NCACTIVATE, TRUE, 0);
    EXPECT_EQ(0x123456u, At(hwnd, 5, 15));
    EXPECT_EQ(0x123456u, At(hwnd, 2, 60));
    SendMessageA(hwnd, WM_NCACTIVATE, FALSE, 0);
    EXPECT_EQ(0x00A000u, At(hwnd, 5, 15)) << "the inactive picture is there";
    EXPECT_EQ(0x654321u, At(hwnd, 2, 60)) << "no inactive picture: the broken active one";
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(ERROR, GetWindowRgn(hwnd, region)) << "no window region";
    DeleteObject(region);
}

TEST_F(SkinWindowTest, HitTestCodesOfCornersSidesCaptionAndElements)
{
    HWND fixed = Framed();
    ASSERT_TRUE(SkinSized(fixed));
    EXPECT_EQ(HTCAPTION, Hit(fixed, 1, 1)) << "a fixed dialog moves by its top parts";
    EXPECT_EQ(HTCAPTION, Hit(fixed, 100, 1));
    EXPECT_EQ(HTNOWHERE, Hit(fixed, 2, 60)) << "and does not size";
    EXPECT_EQ(HTNOWHERE, Hit(fixed, 209, 124));
    EXPECT_EQ(HTCLIENT, Hit(fixed, 100, 60));
    EXPECT_EQ(HTCAPTION, Hit(fixed, 190, 10)) << "a caption button";

    HWND sizable = Framed(WS_THICKFRAME | WS_MAXIMIZEBOX);
    ASSERT_TRUE(SkinSized(sizable));
    const struct { int x, y; LRESULT code; } hits[] = {
        {1, 1, HTTOPLEFT}, {6, 10, HTCAPTION}, {20, 1, HTTOP}, {20, 19, HTCAPTION}, {209, 1, HTTOPRIGHT},
        {200, 10, HTCAPTION}, {2, 60, HTLEFT}, {208, 60, HTRIGHT}, {209, 124, HTBOTTOMRIGHT},
        {200, 124, HTBOTTOM}, {1, 124, HTBOTTOMLEFT}, {7, 121, HTBOTTOM}, {100, 122, HTBOTTOM},
        {100, 60, HTCLIENT}, {40, 10, HTCAPTION}, {178, 10, HTCAPTION}};
    for (const auto& h : hits)
        EXPECT_EQ(h.code, Hit(sizable, h.x, h.y)) << h.x << "," << h.y;
    ShowWindow(sizable, SW_MAXIMIZE);
    EXPECT_NE(HTTOPLEFT, Hit(sizable, 1, 1)) << "a maximised window does not size";
}

TEST_F(SkinWindowTest, TrackSizesAreTheStricterOfSkinAndWindow)
{
    HWND hwnd = Framed(WS_THICKFRAME);
    ASSERT_TRUE(Skin(hwnd));
    MINMAXINFO info = {};
    info.ptMaxTrackSize = POINT{3000, 3000};
    SendMessageA(hwnd, WM_GETMINMAXINFO, 0, (LPARAM)&info);
    EXPECT_EQ(24, info.ptMinTrackSize.x) << "the wider corner pair, plus 2";
    EXPECT_EQ(27, info.ptMinTrackSize.y) << "top-left and bottom-left heights, plus 2";
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ(work.right - work.left, info.ptMaxSize.x) << "maximised to the work area";

    s_ownLimits.ptMinTrackSize = POINT{300, 10};
    s_ownLimits.ptMaxTrackSize = POINT{800, 600};
    info = MINMAXINFO{};
    info.ptMaxTrackSize = POINT{3000, 3000};
    SendMessageA(hwnd, WM_GETMINMAXINFO, 0, (LPARAM)&info);
    EXPECT_EQ((POINT{300, 27}).x, info.ptMinTrackSize.x);
    EXPECT_EQ(27, info.ptMinTrackSize.y);
    EXPECT_EQ(800, info.ptMaxTrackSize.x);
    EXPECT_EQ(600, info.ptMaxTrackSize.y);
}

TEST_F(SkinWindowTest, DetachAndDestroyRestoreProceduresInTheirCharacterSet)
{
    HWND ansi = Framed();
    const LONG_PTR own = GetWindowLongPtrA(ansi, GWLP_WNDPROC);
    ASSERT_TRUE(Skin(ansi));
    EXPECT_NE(own, GetWindowLongPtrA(ansi, GWLP_WNDPROC));
    EXPECT_TRUE(m_manager.RemoveSkin(ansi, CSkinManager::RemoveDetach));
    EXPECT_EQ(own, GetWindowLongPtrA(ansi, GWLP_WNDPROC));
    HRGN region = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(ERROR, GetWindowRgn(ansi, region)) << "the region goes with the skin";
    DeleteObject(region);
    RECT client, system = {0, 0, 0, 0};
    GetClientRect(ansi, &client);
    AdjustWindowRect(&system, GetWindowLongA(ansi, GWL_STYLE), FALSE);
    EXPECT_EQ(210 - (system.right - system.left), client.right) << "the system frame is back";

    HWND wide = CreateWindowExW(0, L"CwSkinFramedW", L"W", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0, 0, 200, 100, NULL,
                                NULL, NULL, NULL);
    m_windows.push_back(wide);
    ASSERT_TRUE(IsWindowUnicode(wide));
    const LONG_PTR ownW = GetWindowLongPtrW(wide, GWLP_WNDPROC);
    ASSERT_TRUE(Skin(wide));
    EXPECT_TRUE(IsWindowUnicode(wide)) << "subclassed in its own character set";
    EXPECT_TRUE(m_manager.RemoveSkin(wide, CSkinManager::RemoveDetach));
    EXPECT_EQ(ownW, GetWindowLongPtrW(wide, GWLP_WNDPROC));
    ASSERT_TRUE(Skin(wide));
    s_procAtNcDestroy = NULL;
    DestroyWindow(wide);
    EXPECT_EQ((WNDPROC)ownW, s_procAtNcDestroy) << "the window's own procedure sees WM_NCDESTROY last";

    // Destroyed while skinned: the skinner is gone before the window's own
    // procedure sees WM_NCDESTROY, which comes through the saved procedure.
    HWND destroyed = Framed();
    ASSERT_TRUE(Skin(destroyed));
    s_destroyedSkinner = (HWND)1;
    DestroyWindow(destroyed);
    EXPECT_EQ(NULL, s_destroyedSkinner);
    EXPECT_EQ((WNDPROC)FramedProc, s_procAtNcDestroy);
    EXPECT_EQ(0u, m_manager.GetSkinnerCount());

    // Subclassed again after the skinner: detaching leaves the later
    // procedure in place, and messages still reach the window's own.
    HWND chained = Framed();
    ASSERT_TRUE(Skin(chained));
    SetPropA(chained, "test.next", (HANDLE)SetWindowLongPtrA(chained, GWLP_WNDPROC, (LONG_PTR)LaterSubclass));
    EXPECT_TRUE(m_manager.RemoveSkin(chained, CSkinManager::RemoveDetach));
    EXPECT_EQ((LONG_PTR)LaterSubclass, GetWindowLongPtrA(chained, GWLP_WNDPROC));
    s_seen.clear();
    EXPECT_EQ(77, SendMessageA(chained, WM_APP, 0, 0));
    EXPECT_EQ(1u, s_seen.size());
}

TEST_F(SkinWindowTest, SkinSwitchRetargetsOpenWindowsOrRestoresThem)
{
    HWND hwnd = Framed();
    ASSERT_TRUE(Skin(hwnd));
    RECT client;
    GetClientRect(hwnd, &client);

    CSkinStore* builtin = new CSkinStore();
    ASSERT_TRUE(LoadBytes(*builtin, BuiltinSkinFile()));
    ASSERT_TRUE(m_manager.InstallStore(builtin));
    CSkinWnd* skinner = m_manager.FindSkinner(hwnd);
    ASSERT_TRUE(skinner);
    EXPECT_EQ(builtin->FindByName("Dialog"), skinner->GetSkinObject());
    RECT now;
    GetClientRect(hwnd, &now);
    EXPECT_EQ(client, now) << "the client keeps its size in the new frame";
    RECT window;
    GetWindowRect(hwnd, &window);
    EXPECT_EQ(200 + 8, window.right - window.left) << "the new skin's borders of 4";
    SendMessageA(hwnd, WM_NCACTIVATE, TRUE, 0);
    EXPECT_EQ(0x36597Au, At(hwnd, 1, 60)) << "drawn from the new skin";
    for (CSkinElement* element : skinner->GetElements())
        EXPECT_EQ(builtin, element->GetSkinObject()->GetStore());

    // A skin without frame objects: the window gets its own look back.
    const LONG_PTR skinned = GetWindowLongPtrA(hwnd, GWLP_WNDPROC);
    CSkinStore* bare = new CSkinStore();
    bare->AddObject(new CSkinApplicationObject());
    ASSERT_TRUE(m_manager.InstallStore(bare));
    EXPECT_EQ(NULL, m_manager.FindSkinner(hwnd));
    EXPECT_NE(skinned, GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
    EXPECT_EQ((LONG_PTR)FramedProc, GetWindowLongPtrA(hwnd, GWLP_WNDPROC));
}

TEST_F(SkinWindowTest, PagesGetTheSkinBackgroundAndTransparentStatics)
{
    HWND parent = Framed();
    HWND page = CreateWindowExA(0, "CwSkinFramed", "", WS_CHILD | WS_VISIBLE, 0, 0, 120, 80, parent, NULL, NULL, NULL);
    HWND label = CreateWindowExA(0, "Static", "x", WS_CHILD | WS_VISIBLE, 10, 10, 50, 20, page, NULL, NULL, NULL);
    HWND edit = CreateWindowExA(0, "Edit", "x", WS_CHILD | WS_VISIBLE | ES_READONLY, 10, 40, 50, 20, page, NULL,
                                NULL, NULL);
    ASSERT_TRUE(Skin(page, "ChildDialog"));
    RECT window;
    GetWindowRect(page, &window);
    EXPECT_EQ(120, window.right - window.left) << "a page has no frame";

    MemoryPicture picture(120, 80, 0x111111);
    EXPECT_EQ(1, SendMessageA(page, WM_ERASEBKGND, (WPARAM)picture.DC(), 0));
    EXPECT_EQ(0xA04000u, picture.At(0, 0));
    EXPECT_EQ(0xA04000u, picture.At(119, 79));
    MemoryPicture behind(50, 20, 0x111111);
    EXPECT_EQ(1, SendMessageA(page, WM_SKIN_PARENT_BACKGROUND, (WPARAM)behind.DC(), (LPARAM)label));
    EXPECT_EQ(0xA04000u, behind.At(49, 19));

    SetBkMode(picture.DC(), OPAQUE);
    EXPECT_EQ((LRESULT)GetStockObject(NULL_BRUSH),
              SendMessageA(page, WM_CTLCOLORSTATIC, (WPARAM)picture.DC(), (LPARAM)label));
    EXPECT_EQ(TRANSPARENT, GetBkMode(picture.DC()));
    EXPECT_NE((LRESULT)GetStockObject(NULL_BRUSH),
              SendMessageA(page, WM_CTLCOLORSTATIC, (WPARAM)picture.DC(), (LPARAM)edit))
        << "a read-only edit keeps its own background";

    // A page's new text changes nothing of its style: it stays a child.
    s_seen.clear();
    SetWindowTextA(page, "renamed");
    EXPECT_TRUE(s_seen.empty());
    EXPECT_EQ(parent, GetParent(page));
}

TEST_F(SkinWindowTest, TheBackgroundNeverPaintsOverChildWindowsWhateverTheStyle)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SolidChildProc;
    wc.hInstance = GetModuleHandleA(NULL);
    wc.lpszClassName = "CwSolidChild";
    RegisterClassA(&wc);
    HWND hwnd = Framed();
    ASSERT_FALSE(GetWindowLongA(hwnd, GWL_STYLE) & WS_CLIPCHILDREN);
    HWND child = CreateWindowExA(0, "CwSolidChild", "", WS_CHILD | WS_VISIBLE, 20, 20, 40, 30, hwnd, NULL, NULL, NULL);
    HWND hidden = CreateWindowExA(0, "CwSolidChild", "", WS_CHILD, 100, 20, 40, 30, hwnd, NULL, NULL, NULL);
    SkinSized(hwnd);
    UpdateWindow(hwnd);
    RECT window, client;
    GetWindowRect(hwnd, &window);
    GetWindowRect(child, &client);
    const int x = client.left - window.left + 5, y = client.top - window.top + 5;
    GetWindowRect(hidden, &client);
    const int hx = client.left - window.left + 5, hy = client.top - window.top + 5;
    ASSERT_EQ(0x00C000u, At(hwnd, x, y));
    // The dialog alone erased again, after its children painted: they stay.
    RedrawWindow(hwnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN | RDW_ERASENOW | RDW_UPDATENOW);
    EXPECT_EQ(0x00C000u, At(hwnd, x, y));
    EXPECT_EQ(0xA04000u, At(hwnd, x - 10, y)) << "the background beside it";
    EXPECT_EQ(0xA04000u, At(hwnd, hx, hy)) << "and where a hidden child lies";
}

TEST_F(SkinWindowTest, CaptionButtonsClickByTimeAndPerformOnRelease)
{
    HWND hwnd = Framed(WS_MAXIMIZEBOX | WS_THICKFRAME);
    CSkinDialog* skinner = SkinSized(hwnd);
    ASSERT_TRUE(skinner);
    CSkinCaptionButton* close = Element<CSkinCaptionButton>(skinner, 0);
    CSkinCaptionButton* maximize = Element<CSkinCaptionButton>(skinner, 1);
    CSkinCaptionButton* system = Element<CSkinCaptionButton>(skinner, 2);
    ASSERT_TRUE(close && maximize && system);
    TakeSysCommands(hwnd);

    // The system button: a second click within the double-click time
    // closes; a slower one opens the menu again. Message times wrap.
    const POINT at = {15, 10};
    system->OnLButtonDown(at, 1000);
    system->OnLButtonDown(at, 1400);
    EXPECT_EQ(1, s_menusOpened);
    EXPECT_EQ(std::vector<WPARAM>{SC_CLOSE}, TakeSysCommands(hwnd));
    system->OnLButtonDown(at, 5000);
    system->OnLButtonDown(at, 5600);
    EXPECT_EQ(3, s_menusOpened);
    EXPECT_TRUE(TakeSysCommands(hwnd).empty());
    system->OnLButtonDown(at, 0xFFFFFF00u);
    system->OnLButtonDown(at, 0xC8u);
    EXPECT_EQ(std::vector<WPARAM>{SC_CLOSE}, TakeSysCommands(hwnd)) << "456 ms across the wrap";

    // Pressed, then released outside: nothing happens, and the button rests
    // again once the cursor is seen outside.
    const POINT onClose = {190, 10}, outside = {100, 60};
    EXPECT_TRUE(skinner->RouteMouseToElements(WM_LBUTTONDOWN, onClose));
    EXPECT_EQ(CSkinCaptionButton::StatePressed, close->GetState());
    EXPECT_FALSE(skinner->RouteMouseToElements(WM_LBUTTONUP, outside));
    close->CheckHover(outside);
    EXPECT_EQ(CSkinCaptionButton::StateNormal, close->GetState());
    EXPECT_FALSE(close->IsTracking());
    EXPECT_TRUE(TakeSysCommands(hwnd).empty());
    skinner->RouteMouseToElements(WM_LBUTTONDOWN, onClose);
    skinner->RouteMouseToElements(WM_LBUTTONUP, onClose);
    EXPECT_EQ(std::vector<WPARAM>{SC_CLOSE}, TakeSysCommands(hwnd));

    // A double click on the title toggles a sizable window's size; one on a
    // caption button is a second press, not a double click on the caption.
    RECT window;
    GetWindowRect(hwnd, &window);
    const LPARAM title = MAKELPARAM(window.left + 40, window.top + 10);
    SendMessageA(hwnd, WM_NCLBUTTONDBLCLK, HTCAPTION, title);
    EXPECT_TRUE(IsZoomed(hwnd));
    GetWindowRect(hwnd, &window);
    SendMessageA(hwnd, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(window.left + 40, window.top + 10));
    EXPECT_FALSE(IsZoomed(hwnd));
    GetWindowRect(hwnd, &window);
    SendMessageA(hwnd, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(window.left + 190, window.top + 10));
    EXPECT_FALSE(IsZoomed(hwnd));
    EXPECT_EQ(CSkinCaptionButton::StatePressed, close->GetState());
    close->CheckHover(outside);

    // Maximise restores a zoomed window.
    ShowWindow(hwnd, SW_MAXIMIZE);
    maximize->PerformAction();
    EXPECT_EQ(std::vector<WPARAM>{SC_RESTORE}, TakeSysCommands(hwnd));
    ShowWindow(hwnd, SW_RESTORE);
    maximize->PerformAction();
    EXPECT_EQ(std::vector<WPARAM>{SC_MAXIMIZE}, TakeSysCommands(hwnd));
}

TEST_F(SkinWindowTest, CaptionElementsVisibilityTooltipsAndOwnerDrawing)
{
    HWND hwnd = Framed(WS_MAXIMIZEBOX | WS_THICKFRAME);
    CSkinDialog* skinner = Skin(hwnd);
    ASSERT_TRUE(skinner);

    CSkinCaptionButtonObject zoomedOnly;
    zoomedOnly.m_visibility = CSkinElement::ShowMaximized;
    zoomedOnly.m_command = 1;
    lstrcpyA(zoomedOnly.m_text, "own text");
    CSkinCaptionButton button(skinner, &zoomedOnly);
    EXPECT_FALSE(button.IsVisible());
    ShowWindow(hwnd, SW_MAXIMIZE);
    EXPECT_TRUE(button.IsVisible());
    ShowWindow(hwnd, SW_RESTORE);
    EXPECT_EQ("from the window", button.GetTooltipText());
    zoomedOnly.m_command = 2;
    EXPECT_EQ("own text", button.GetTooltipText()) << "a string id without a string";
    zoomedOnly.m_command = 3;
    EXPECT_EQ("own text", button.GetTooltipText()) << "a window that does not answer";

    CSkinCaptionStaticObject drawn;
    drawn.m_word4 = CSkinCaptionStatic::KindOwnerDraw;
    drawn.m_command = 42;
    SetRect(&drawn.m_bounds, 3, 4, 13, 14);
    CSkinCaptionStatic owned(skinner, &drawn);
    MemoryPicture picture(20, 20, 0);
    s_drawItem = DRAWITEMSTRUCT{};
    owned.Draw(picture.DC());
    EXPECT_EQ((UINT)ODT_STATIC, s_drawItem.CtlType);
    EXPECT_EQ(42u, s_drawItem.CtlID);
    EXPECT_EQ((UINT)-1, s_drawItem.itemID);
    EXPECT_EQ((UINT)ODA_DRAWENTIRE, s_drawItem.itemAction);
    EXPECT_EQ(picture.DC(), s_drawItem.hDC);
    EXPECT_EQ((RECT{3, 4, 13, 14}), s_drawItem.rcItem);
    EXPECT_EQ(0, owned.GetHitCode()) << "an owner-drawn area marks nothing";
    drawn.m_word4 = CSkinCaptionStatic::KindBottomRight;
    EXPECT_EQ(HTBOTTOMRIGHT, owned.GetHitCode());
}
