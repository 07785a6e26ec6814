#include "skin_control_fixture.h"

std::vector<ControlMessage> SkinControlsTest::s_received;

namespace {

INT_PTR CALLBACK RecordingDialogProc(HWND, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_INITDIALOG:
        return FALSE;
    case WM_COMMAND: case WM_HSCROLL: case WM_VSCROLL:
        SkinControlsTest::s_received.push_back(ControlMessage{message, wParam, lParam, 0});
        return TRUE;
    case WM_NOTIFY:
        SkinControlsTest::s_received.push_back(
            ControlMessage{message, wParam, lParam, (int)((NMHDR*)lParam)->code});
        return FALSE;
    }
    return FALSE;
}

} // namespace

void SkinControlsTest::SetUp()
{
    // Tests that hold the mouse on a part move the pointer: it goes back
    // where it was for the tests that follow.
    GetCursorPos(&m_cursor);
    m_manager.SetSkinnerFactory(NULL);
    CSkinStore* store = new CSkinStore();
    ASSERT_TRUE(LoadBytes(*store, ControlsSkinFile()));
    ASSERT_TRUE(m_manager.InstallStore(store));
    // An empty popup dialog template; the controls come later.
    struct
    {
        DLGTEMPLATE header;
        WORD menu, cls, title;
    } dialog = {};
    dialog.header.style = WS_POPUP | WS_VISIBLE;
    dialog.header.cx = 200;
    dialog.header.cy = 150;
    m_dialog = CreateDialogIndirectParamA(GetModuleHandleA(NULL), &dialog.header, NULL, RecordingDialogProc, 0);
    ASSERT_TRUE(m_dialog != NULL);
    SetWindowPos(m_dialog, NULL, 20, 20, 320, 240, SWP_NOZORDER | SWP_NOACTIVATE);
    SetForegroundWindow(m_dialog);
    SetActiveWindow(m_dialog);
    s_received.clear();
}

void SkinControlsTest::TearDown()
{
    SetCursorPos(m_cursor.x, m_cursor.y);
    if (m_dialog)
        DestroyWindow(m_dialog);
    m_manager.RemoveAll();
    Pump();
}

HWND SkinControlsTest::Child(LPCSTR cls, LPCSTR text, DWORD style, int x, int y, int w, int h, int id, DWORD exStyle)
{
    HWND child = CreateWindowExA(exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, m_dialog,
                                 (HMENU)(INT_PTR)id, GetModuleHandleA(NULL), NULL);
    EXPECT_TRUE(child != NULL) << cls;
    SendMessageA(child, WM_SETFONT, (WPARAM)GetStockObject(DEFAULT_GUI_FONT), FALSE);
    return child;
}

void SkinControlsTest::Skin(LPCSTR object)
{
    ASSERT_TRUE(m_manager.SetWindowSkin(m_dialog, object));
    Pump();
}

void SkinControlsTest::Paint(HWND hwnd, MemoryPicture& picture)
{
    CSkinWnd* skinner = SkinnerOf(hwnd);
    ASSERT_TRUE(skinner != NULL);
    skinner->Paint(picture.DC());
}

DWORD SkinControlsTest::PixelOf(HWND hwnd, int x, int y)
{
    RECT client;
    GetClientRect(hwnd, &client);
    MemoryPicture picture(client.right, client.bottom, 0x010203);
    Paint(hwnd, picture);
    return picture.At(x, y);
}

void SkinControlsTest::Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

std::vector<ControlMessage> SkinControlsTest::Take(UINT message)
{
    Pump();
    std::vector<ControlMessage> taken, kept;
    for (const ControlMessage& m : s_received)
        (m.message == message ? taken : kept).push_back(m);
    s_received = kept;
    return taken;
}
