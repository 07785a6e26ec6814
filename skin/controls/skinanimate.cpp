#include "skin/controls/skinanimate.h"

#include <commctrl.h>
#include <string.h>

#include <vector>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/objects/skincontrolobjects.h"

namespace {

const DWORD StopWait = 1000;
const DWORD LongestFrame = 1000;
const DWORD ShortestFrame = 10;

bool FileExists(LPCSTR path)
{
    return GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}

} // namespace

CSkinAnimate::CSkinAnimate(CSkinWnd* parent)
    : CSkinControl(parent, sotAnimate), m_id(0), m_frame(0), m_first(0), m_last(-1), m_repeat(0), m_frameTime(100),
      m_thread(NULL), m_stop(NULL), m_playing(0)
{
}

CSkinAnimate::~CSkinAnimate()
{
    Stop(false);
    Close();
}

BOOL CSkinAnimate::Attach(HWND hwnd)
{
    if (!m_player.IsUsable())
        return FALSE;
    m_id = (int)GetWindowLongA(hwnd, GWL_ID);
    return CSkinControl::Attach(hwnd);
}

void CSkinAnimate::Detach()
{
    Stop(false);
    Close();
    CSkinControl::Detach();
}

void CSkinAnimate::Close()
{
    m_player.Close();
    // The copy is deleted once the player has let go of it, and with it
    // the name reserved for it.
    if (!m_clipFile.empty())
        DeleteFileA(m_clipFile.c_str());
    if (!m_reservation.empty())
        DeleteFileA(m_reservation.c_str());
    m_clipFile.clear();
    m_reservation.clear();
    m_frame = 0;
}

BOOL CSkinAnimate::Open(HMODULE module, LPCSTR name)
{
    Stop(false);
    Close();
    bool opened = !IS_INTRESOURCE(name) && FileExists(name) && m_player.Open(name);
    if (!opened) {
        char path[MAX_PATH];
        MakeTempFileName(path, "SM$$TEMP", "C:", "AVI");
        m_clipFile = path;
        // The temporary name itself was made as an empty file to keep it
        // ours: it goes with the copy.
        const std::string base = m_clipFile.substr(0, m_clipFile.size() - 4);
        if (base.size() < 8 || base.compare(base.size() - 8, 8, "SM$$TEMP") != 0)
            m_reservation = base;
        if (!module)
            module = (HMODULE)GetWindowLongPtrA(m_hwnd, GWLP_HINSTANCE);
        opened = SaveResourceToFile(path, module, name, "AVI") && m_player.Open(path);
    }
    if (!opened) {
        Close();
        return FALSE;
    }
    m_first = 0;
    m_last = -1;
    m_frame = 0;
    const DWORD style = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE);
    if (!(style & ACS_CENTER)) {
        const SIZE size = m_player.GetFrameSize();
        RECT rect = {0, 0, size.cx, size.cy};
        AdjustWindowRectEx(&rect, style, FALSE, (DWORD)GetWindowLongA(m_hwnd, GWL_EXSTYLE));
        SetWindowPos(m_hwnd, NULL, 0, 0, RectWidth(rect), RectHeight(rect), SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    InvalidateRect(m_hwnd, NULL, TRUE);
    if (style & ACS_AUTOPLAY)
        Play(-1, 0, -1);
    return TRUE;
}

void CSkinAnimate::Command(int code)
{
    HWND parent = GetParent(m_hwnd);
    if (parent)
        SendMessageA(parent, WM_COMMAND, MAKEWPARAM(m_id, code), (LPARAM)m_hwnd);
}

BOOL CSkinAnimate::Play(int repeat, int from, int to)
{
    const LONG length = m_player.GetLength();
    if (length <= 0)
        return FALSE;
    Stop(false);
    m_first = from < 0 || from >= length ? 0 : from;
    m_last = to < 0 || to >= length ? length - 1 : to;
    if (m_last < m_first)
        m_last = m_first;
    m_repeat = repeat;
    const double fps = m_player.GetFramesPerSecond();
    m_frameTime = fps > 0 ? (DWORD)(1000.0 / fps) : 100;
    m_frameTime = m_frameTime < ShortestFrame ? ShortestFrame : m_frameTime > LongestFrame ? LongestFrame : m_frameTime;
    m_frame = m_first;
    m_stop = CreateEventA(NULL, TRUE, FALSE, NULL);
    m_playing = 1;
    m_thread = m_stop ? CreateThread(NULL, 0, PlayThread, this, 0, NULL) : NULL;
    if (!m_thread) {
        m_playing = 0;
        if (m_stop)
            CloseHandle(m_stop);
        m_stop = NULL;
        return FALSE;
    }
    Command(ACN_START);
    return TRUE;
}

DWORD WINAPI CSkinAnimate::PlayThread(LPVOID parameter)
{
    // Steps the frame and asks for a repaint; it never waits on the window's
    // thread, so a stop ends it within a frame.
    CSkinAnimate* self = (CSkinAnimate*)parameter;
    const int passes = self->m_repeat == -1 ? -1 : self->m_repeat < 1 ? 1 : self->m_repeat;
    for (int pass = 0; passes < 0 || pass < passes; ++pass) {
        for (LONG frame = self->m_first; frame <= self->m_last; ++frame) {
            InterlockedExchange(&self->m_frame, frame);
            InvalidateRect(self->m_hwnd, NULL, FALSE);
            if (WaitForSingleObject(self->m_stop, self->m_frameTime) != WAIT_TIMEOUT)
                return 0;
        }
    }
    InterlockedExchange(&self->m_playing, 0);
    return 0;
}

void CSkinAnimate::Stop(bool notify)
{
    const bool wasPlaying = m_thread != NULL;
    if (m_thread) {
        SetEvent(m_stop);
        if (WaitForSingleObject(m_thread, StopWait) == WAIT_TIMEOUT)
            WaitForSingleObject(m_thread, INFINITE);
        CloseHandle(m_thread);
        m_thread = NULL;
    }
    if (m_stop)
        CloseHandle(m_stop);
    m_stop = NULL;
    m_playing = 0;
    if (notify && wasPlaying && m_hwnd)
        Command(ACN_STOP);
}

void CSkinAnimate::Paint(HDC dc)
{
    RECT client;
    GetClientRect(m_hwnd, &client);
    const DWORD style = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE);
    const CSkinAnimateObject* object = ObjectOfType<CSkinAnimateObject>(m_object, sotAnimate);
    if (style & ACS_TRANSPARENT)
        DrawParentBackground(m_hwnd, dc);
    else if (object)
        DrawSkinNineGrid(GetStore(), dc, client, object->m_background, GetSysColor(COLOR_3DFACE), TRUE,
                         IsMirroredWindow(m_hwnd));
    else
        FillSolidRect(dc, client, GetSysColor(COLOR_3DFACE));
    if (!IsOpen())
        return;
    const SIZE size = m_player.GetFrameSize();
    CSkinMemDC frame(dc, size.cx, size.cy);
    if (!frame.IsValid() || !m_player.DrawFrame(frame, m_frame))
        return;
    int x = 0, y = 0;
    if (style & ACS_CENTER) {
        x = (client.right - size.cx) / 2;
        y = (client.bottom - size.cy) / 2;
    }
    if (style & ACS_TRANSPARENT)
        SkinTransparentStretchBlt(dc, x, y, size.cx, size.cy, frame, 0, 0, size.cx, size.cy, GetPixel(frame, 0, 0));
    else
        BitBlt(dc, x, y, size.cx, size.cy, frame, 0, 0, SRCCOPY);
}

LRESULT CSkinAnimate::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case ACM_OPENA: case ACM_OPENW: {
        if (!lParam) {
            Stop(true);
            Close();
            InvalidateRect(m_hwnd, NULL, TRUE);
            return 1;
        }
        if (message == ACM_OPENA || IS_INTRESOURCE(lParam))
            return Open((HMODULE)wParam, (LPCSTR)lParam);
        char name[MAX_PATH] = "";
        WideCharToMultiByte(CP_ACP, 0, (LPCWSTR)lParam, -1, name, MAX_PATH, NULL, NULL);
        return Open((HMODULE)wParam, name);
    }
    case ACM_PLAY:
        return Play((int)wParam, (short)LOWORD(lParam), (short)HIWORD(lParam));
    case ACM_STOP:
        Stop(true);
        return TRUE;
    case ACM_ISPLAYING:
        return m_playing != 0;
    case WM_ERASEBKGND:
        DrawParentBackground(m_hwnd, (HDC)wParam);
        return 1;
    case WM_NCPAINT: {
        const CSkinAnimateObject* object = ObjectOfType<CSkinAnimateObject>(m_object, sotAnimate);
        const int width = SkinBorderWidth((DWORD)GetWindowLongA(m_hwnd, GWL_STYLE),
                                          (DWORD)GetWindowLongA(m_hwnd, GWL_EXSTYLE));
        if (!object || !width || IsImagePartEmpty(object->m_image))
            break;
        HRGN inside = InsideBorderRegion(m_hwnd, wParam, width);
        CallSaved(message, (WPARAM)inside, 0);
        if (inside)
            DeleteObject(inside);
        DrawSkinBorder(m_hwnd, GetStore(), object->m_image, object->m_colour1, width);
        return 0;
    }
    case WM_DESTROY:
        Stop(false);
        Close();
        break;
    case WM_UPDATEUISTATE:
        return 0;
    default:
        break;
    }
    return CSkinControl::WindowProc(message, wParam, lParam);
}
