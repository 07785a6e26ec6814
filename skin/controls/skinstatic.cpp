#include "skin/controls/skinstatic.h"

#include "skin/controls/skincontrolhelpers.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/objects/skincontrolobjects.h"

namespace {

const int TextLength = 1024;

enum StaticKind { TextStatic, IconStatic, BitmapStatic };

StaticKind KindOf(DWORD style)
{
    const DWORD type = style & SS_TYPEMASK;
    if ((type & 3) == 3)
        return IconStatic;
    if ((type & 0x0E) == 0x0E)
        return BitmapStatic;
    return TextStatic;
}

} // namespace

CSkinStatic::CSkinStatic(CSkinWnd* parent) : CSkinControl(parent, sotStatic)
{
}

bool CSkinStatic::IsSkinnableStyle(DWORD style)
{
    const DWORD type = style & SS_TYPEMASK;
    if ((type & 0x0B) == 0x0B || (type & 0x0D) == 0x0D)
        return false;
    // Rectangles, frames and etched lines have no text to draw.
    return !(type >= SS_BLACKRECT && type <= SS_WHITEFRAME) && !(type >= SS_ETCHEDHORZ && type <= SS_ETCHEDFRAME);
}

UINT CSkinStatic::TextFlags(DWORD style, bool rightToLeft)
{
    const DWORD type = style & SS_TYPEMASK;
    UINT flags = 0;
    if (type & SS_CENTER)
        flags |= DT_CENTER;
    else if (type & SS_RIGHT)
        flags |= DT_RIGHT;
    if (style & SS_CENTERIMAGE)
        flags |= DT_VCENTER | DT_SINGLELINE;
    if ((type & 0x0C) == 0x0C || (type & 0x0B) == 0x0B)
        flags |= DT_SINGLELINE;
    else if (!(flags & DT_SINGLELINE))
        flags |= DT_WORDBREAK;
    if (style & SS_NOPREFIX)
        flags |= DT_NOPREFIX;
    if (rightToLeft)
        flags |= DT_RTLREADING;
    if (style & SS_EDITCONTROL)
        flags |= DT_EDITCONTROL | DT_WORDBREAK;
    switch (style & SS_ELLIPSISMASK) {
    case SS_ENDELLIPSIS: flags |= DT_END_ELLIPSIS; break;
    case SS_PATHELLIPSIS: flags |= DT_PATH_ELLIPSIS; break;
    case SS_WORDELLIPSIS: flags |= DT_WORD_ELLIPSIS; break;
    default: break;
    }
    return flags;
}

BOOL CSkinStatic::Attach(HWND hwnd)
{
    if (!IsSkinnableStyle((DWORD)GetWindowLongA(hwnd, GWL_STYLE)))
        return FALSE;
    if (!CSkinControl::Attach(hwnd))
        return FALSE;
    const CSkinStaticObject* object = ObjectOfType<CSkinStaticObject>(m_object, sotStatic);
    if (object && !IsGridEmpty(object->m_background))
        SetWindowLongA(hwnd, GWL_EXSTYLE, GetWindowLongA(hwnd, GWL_EXSTYLE) | WS_EX_TRANSPARENT);
    return TRUE;
}

void CSkinStatic::PaintBackground(HDC dc)
{
    const CSkinStaticObject* object = ObjectOfType<CSkinStaticObject>(m_object, sotStatic);
    RECT client;
    GetClientRect(m_hwnd, &client);
    if (object && !IsGridEmpty(object->m_background))
        DrawSkinNineGrid(GetStore(), dc, client, object->m_background, object->m_colour1, TRUE,
                         IsMirroredWindow(m_hwnd));
    else
        DrawParentBackground(m_hwnd, dc);
}

void CSkinStatic::Paint(HDC dc)
{
    const DWORD style = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE);
    const StaticKind kind = KindOf(style);
    if (kind != TextStatic) {
        DrawParentBackground(m_hwnd, dc);
        RECT client;
        GetClientRect(m_hwnd, &client);
        if (kind == IconStatic) {
            HICON icon = (HICON)SendMessageA(m_hwnd, STM_GETICON, 0, 0);
            if (icon && (style & SS_CENTERIMAGE))
                DrawIconEx(dc, 0, 0, icon, 0, 0, 0, NULL, DI_NORMAL);
            else if (icon)
                DrawIcon(dc, 0, 0, icon);
            return;
        }
        HBITMAP bitmap = (HBITMAP)SendMessageA(m_hwnd, STM_GETIMAGE, IMAGE_BITMAP, 0);
        BITMAP info;
        if (!bitmap || !GetObjectA(bitmap, sizeof(info), &info))
            return;
        int x = 0, y = 0;
        if (style & SS_CENTERIMAGE) {
            x = (client.right - info.bmWidth) / 2;
            y = (client.bottom - info.bmHeight) / 2;
        }
        HDC source = CreateCompatibleDC(dc);
        HGDIOBJ old = SelectObject(source, bitmap);
        BitBlt(dc, x, y, info.bmWidth, info.bmHeight, source, 0, 0, SRCCOPY);
        SelectObject(source, old);
        DeleteDC(source);
        return;
    }
    PaintBackground(dc);
    const CSkinStaticObject* object = ObjectOfType<CSkinStaticObject>(m_object, sotStatic);
    char text[TextLength + 1] = "";
    GetWindowTextA(m_hwnd, text, sizeof(text));
    if (!object || !text[0])
        return;
    SkinTextStyle look = object->m_text;
    if (!IsWindowEnabled(m_hwnd) && !(style & SS_EDITCONTROL))
        SetStyleTextColour(look, GetSysColor(COLOR_GRAYTEXT));
    RECT client;
    GetClientRect(m_hwnd, &client);
    const bool rightToLeft = (GetWindowLongA(m_hwnd, GWL_EXSTYLE) & WS_EX_RTLREADING) != 0;
    CControlFont font(m_hwnd, dc);
    DrawStyledText(dc, look, client, text, -1, TextFlags(style, rightToLeft));
}

LRESULT CSkinStatic::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_ENABLE: case WM_SETTEXT: {
        // The static's own procedure would paint the system's text first.
        const DWORD style = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE);
        const LRESULT result = CallSavedWithStyle(style & ~WS_VISIBLE, message, wParam, lParam);
        if (style & WS_VISIBLE)
            RedrawWindow(m_hwnd, NULL, NULL, RDW_INVALIDATE | RDW_UPDATENOW);
        return result;
    }
    case WM_ERASEBKGND:
        if (KindOf((DWORD)GetWindowLongA(m_hwnd, GWL_STYLE)) != TextStatic)
            break;
        PaintBackground((HDC)wParam);
        return 1;
    default:
        break;
    }
    return CSkinControl::WindowProc(message, wParam, lParam);
}
