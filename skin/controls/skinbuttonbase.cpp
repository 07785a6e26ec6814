#include "skin/controls/skinbuttonbase.h"

#include <string.h>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/core/skinstore.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/objects/skincontrolobjects.h"
#include "skin/windows/skindialog.h"

namespace {

const int TextLength = 300;

template <class Block> bool IsEmptyBlock(const Block& block)
{
    static const Block zero = {};
    return memcmp(&block, &zero, sizeof(Block)) == 0;
}

template <class Block> const Block& Pick(const Block* blocks, int wanted, int second, int third)
{
    if (!IsEmptyBlock(blocks[wanted]))
        return blocks[wanted];
    return !IsEmptyBlock(blocks[second]) ? blocks[second] : blocks[third];
}

// The button's text in its own font, selected into the DC while this lives,
// with its DrawText flags and the size it takes in the client area.
class CButtonText
{
public:
    CButtonText(HWND hwnd, HDC dc, const RECT& client) : m_dc(dc), m_old(NULL)
    {
        text[0] = '\0';
        GetWindowTextA(hwnd, text, sizeof(text));
        if (HFONT font = (HFONT)SendMessageA(hwnd, WM_GETFONT, 0, 0))
            m_old = SelectObject(dc, font);
        format = CSkinButtonBase::TextFlags((DWORD)GetWindowLongA(hwnd, GWL_STYLE),
                                            (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_RTLREADING) != 0);
        RECT measured = client;
        ::DrawTextA(dc, text, -1, &measured, format | DT_CALCRECT);
        extent.cx = RectWidth(measured);
        extent.cy = RectHeight(measured);
        // The system's check boxes and radios leave half a digit's width
        // between the mark and the text.
        INT digit = 0;
        gap = GetCharWidth32A(dc, '0', '0', &digit) && digit > 1 ? digit / 2 : 2;
    }
    ~CButtonText()
    {
        if (m_old)
            SelectObject(m_dc, m_old);
    }

    char text[TextLength + 1];
    UINT format;
    SIZE extent;
    int gap;

private:
    HDC m_dc;
    HGDIOBJ m_old;
};

} // namespace

CSkinButtonBase::CSkinButtonBase(CSkinWnd* parent, int type) : CSkinControl(parent, type), m_pressed(0)
{
}

const SkinButtonState& CSkinButtonBase::PickState(const SkinButtonState* blocks, int wanted, int second, int third)
{
    return Pick(blocks, wanted, second, third);
}

const SkinCheckState& CSkinButtonBase::PickState(const SkinCheckState* blocks, int wanted, int second, int third)
{
    return Pick(blocks, wanted, second, third);
}

CSkinButtonBase::Layout CSkinButtonBase::PlaceContent(DWORD style, const RECT& client, SIZE mark, SIZE text, int gap)
{
    Layout layout;
    // Vertical place of the mark: centred unless only top or only bottom.
    const DWORD vertical = style & BS_VCENTER;
    int markTop = client.top + (RectHeight(client) - mark.cy) / 2;
    if (vertical == BS_TOP)
        markTop = client.top;
    else if (vertical == BS_BOTTOM)
        markTop = client.bottom - mark.cy;
    if (style & BS_LEFTTEXT) {
        SetRect(&layout.mark, client.right - mark.cx, markTop, client.right, markTop + mark.cy);
        SetRect(&layout.text, client.left, client.top, layout.mark.left - (mark.cx ? gap : 0), client.bottom);
    } else {
        SetRect(&layout.mark, client.left, markTop, client.left + mark.cx, markTop + mark.cy);
        SetRect(&layout.text, layout.mark.right + (mark.cx ? gap : 0), client.top, client.right, client.bottom);
    }
    // The text's own extent placed in its area by the alignment bits.
    RECT& t = layout.text;
    const int w = text.cx < RectWidth(t) ? text.cx : RectWidth(t), h = text.cy < RectHeight(t) ? text.cy : RectHeight(t);
    const DWORD horizontal = style & BS_CENTER;
    int left = t.left;
    if (horizontal == BS_CENTER || (horizontal == 0 && mark.cx == 0))
        left = t.left + (RectWidth(t) - w) / 2;
    else if (horizontal == BS_RIGHT)
        left = t.right - w;
    int top = t.top + (RectHeight(t) - h) / 2;
    if (vertical == BS_TOP)
        top = t.top;
    else if (vertical == BS_BOTTOM)
        top = t.bottom - h;
    SetRect(&t, left, top, left + w, top + h);
    return layout;
}

UINT CSkinButtonBase::TextFlags(DWORD style, bool rightToLeft)
{
    UINT flags = style & BS_MULTILINE ? DT_WORDBREAK | DT_EDITCONTROL : DT_SINGLELINE | DT_VCENTER;
    const DWORD horizontal = style & BS_CENTER;
    flags |= horizontal == BS_CENTER ? DT_CENTER : horizontal == BS_RIGHT ? DT_RIGHT : DT_LEFT;
    if (rightToLeft)
        flags |= DT_RTLREADING;
    return flags;
}

CSkinButtonObject* CSkinButtonBase::PushLikeObject() const
{
    if (!m_object)
        return NULL;
    if (m_object->GetType() == sotButton)
        return static_cast<CSkinButtonObject*>(m_object);
    CSkinStore* store = GetStore();
    if (!store)
        return NULL;
    CSkinObject* found = NULL;
    if (m_object->GetType() == sotCheckBox || m_object->GetType() == sotRadio) {
        const char* named = static_cast<CSkinCheckObject*>(m_object)->m_pushLikeButton;
        char name[SKIN_TEXT50_LEN + 1] = "";
        memcpy(name, named, SKIN_TEXT50_LEN);
        if (name[0])
            found = store->FindByName(name);
    }
    if (!found || found->GetType() != sotButton)
        found = store->FindByName("PushLikeButton");
    if (!found || found->GetType() != sotButton)
        found = store->FindFirstOfType(sotButton);
    return found && found->GetType() == sotButton ? static_cast<CSkinButtonObject*>(found) : NULL;
}

const SkinButtonState& CSkinButtonBase::PushLikeState() const
{
    static const SkinButtonState none = {};
    CSkinButtonObject* object = PushLikeObject();
    if (!object || !m_hwnd)
        return none;
    const SkinButtonState* blocks = object->m_states;
    const bool enabled = IsWindowEnabled(m_hwnd) != FALSE;
    const LRESULT state = SendMessageA(m_hwnd, BM_GETSTATE, 0, 0);
    const bool checked = (state & BST_CHECKED) != 0, down = m_pressed || (state & BST_PUSHED) || checked;
    if (enabled && !down)
        return m_hovering && !IsEmptyBlock(blocks[CSkinButtonObject::Hover]) ? blocks[CSkinButtonObject::Hover]
                                                                             : blocks[CSkinButtonObject::Normal];
    if (enabled)
        return Pick(blocks, CSkinButtonObject::Pressed, CSkinButtonObject::Normal, CSkinButtonObject::Normal);
    return checked ? Pick(blocks, CSkinButtonObject::Default, CSkinButtonObject::Normal, CSkinButtonObject::Normal)
                   : Pick(blocks, CSkinButtonObject::Disabled, CSkinButtonObject::Normal, CSkinButtonObject::Normal);
}

BOOL CSkinButtonBase::Attach(HWND hwnd)
{
    if ((GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK) == BS_OWNERDRAW)
        return FALSE;
    if (!CSkinControl::Attach(hwnd))
        return FALSE;
    if (m_object)
        UpdatePushLikeRegion();
    return TRUE;
}

void CSkinButtonBase::UpdatePushLikeRegion()
{
    // Push buttons always take their picture's shape.
    if (m_type != sotButton && !(GetWindowLongA(m_hwnd, GWL_STYLE) & BS_PUSHLIKE)) {
        if (m_windowRegion) {
            SetWindowRgn(m_hwnd, NULL, TRUE);
            m_windowRegion = NULL;
        }
        return;
    }
    CSkinButtonObject* object = PushLikeObject();
    RECT client;
    GetClientRect(m_hwnd, &client);
    if (!object || IsRectEmpty(&client))
        return;
    CSkinMemDC picture(NULL, client.right, client.bottom);
    if (!picture.IsValid())
        return;
    FillSolidRect(picture, client, m_transparentColour);
    DrawSkinNineGrid(object->GetStore(), picture, client, object->m_states[CSkinButtonObject::Normal].image,
                     m_transparentColour, FALSE, FALSE);
    HBITMAP bitmap = picture.Detach();
    SetRegion(RegionFromBitmap(bitmap, m_transparentColour), TRUE);
    DeleteObject(bitmap);
}

void CSkinButtonBase::PaintParentBackground(HDC dc)
{
    DrawParentBackground(m_hwnd, dc);
}

void CSkinButtonBase::PaintPushLike(HDC dc)
{
    CSkinButtonObject* object = PushLikeObject();
    RECT client;
    GetClientRect(m_hwnd, &client);
    PaintParentBackground(dc);
    if (!object)
        return;
    const SkinButtonState& block = PushLikeState();
    // The key colour shows the parent through: a system that leaves pixels
    // outside the window's region unpainted shows no key-coloured corners.
    DrawSkinNineGridTransparent(object->GetStore(), dc, client, block.image, m_transparentColour,
                                IsMirroredWindow(m_hwnd));
    // The content keeps to the block's text margins.
    client = InsideMargins(client, block.margins);
    const DWORD style = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE);
    SIZE none = {0, 0}, content = {0, 0};
    if (style & (BS_ICON | BS_BITMAP)) {
        HANDLE image = (HANDLE)SendMessageA(m_hwnd, BM_GETIMAGE, style & BS_ICON ? IMAGE_ICON : IMAGE_BITMAP, 0);
        if (!image)
            return;
        content.cx = content.cy = 32;
        if (style & BS_ICON) {
            ICONINFO info;
            if (GetIconInfo((HICON)image, &info)) {
                BITMAP bm;
                if (GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bm), &bm)) {
                    content.cx = bm.bmWidth;
                    content.cy = info.hbmColor ? bm.bmHeight : bm.bmHeight / 2;
                }
                if (info.hbmColor)
                    DeleteObject(info.hbmColor);
                if (info.hbmMask)
                    DeleteObject(info.hbmMask);
            }
        } else {
            BITMAP bm;
            if (GetObjectA(image, sizeof(bm), &bm)) {
                content.cx = bm.bmWidth;
                content.cy = bm.bmHeight;
            }
        }
        const Layout layout = PlaceContent(style | (style & BS_CENTER ? 0 : BS_CENTER), client, none, content, 0);
        if (style & BS_ICON) {
            DrawIconEx(dc, layout.text.left, layout.text.top, (HICON)image, content.cx, content.cy, 0, NULL, DI_NORMAL);
        } else {
            HDC source = CreateCompatibleDC(dc);
            HGDIOBJ old = SelectObject(source, image);
            BitBlt(dc, layout.text.left, layout.text.top, content.cx, content.cy, source, 0, 0, SRCCOPY);
            SelectObject(source, old);
            DeleteDC(source);
        }
        return;
    }
    const CButtonText text(m_hwnd, dc, client);
    const Layout layout = PlaceContent(style | (style & BS_CENTER ? 0 : BS_CENTER), client, none, text.extent, 0);
    SkinTextStyle textStyle = block.text;
    if (!(textStyle.text[0] | textStyle.text[1] | textStyle.text[2]))
        SetStyleTextColour(textStyle, object->GetFontColour());
    DrawStyledText(dc, textStyle, layout.text, text.text, -1, text.format);
}

void CSkinButtonBase::PaintCheck(HDC dc, const SkinCheckState& block, bool parentBackground)
{
    RECT client;
    GetClientRect(m_hwnd, &client);
    CSkinStore* store = GetStore();
    const bool mirrored = IsMirroredWindow(m_hwnd);
    if (parentBackground) {
        PaintParentBackground(dc);
        DrawSkinNineGrid(store, dc, client, block.background, 0, FALSE, mirrored);
    } else {
        DrawSkinNineGrid(store, dc, client, block.background, GetSysColor(COLOR_BTNFACE), TRUE, mirrored);
    }
    const DWORD style = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE);
    SIZE mark = {RectWidth(block.mark.source), RectHeight(block.mark.source)};
    if (mark.cx < 0 || mark.cy < 0)
        mark.cx = mark.cy = 0;
    const CButtonText text(m_hwnd, dc, client);
    const Layout layout = PlaceContent(style, client, mark, text.extent, text.gap);
    DrawSkinImagePartTransparent(store, dc, layout.mark, block.mark, m_transparentColour, mirrored);
    if (text.text[0])
        DrawStyledText(dc, block.text, layout.text, text.text, -1, text.format);
}

void CSkinButtonBase::Click()
{
    OnClick();
    HWND parent = GetParent(m_hwnd);
    if (parent)
        PostMessageA(parent, WM_COMMAND, MAKEWPARAM(GetWindowLongA(m_hwnd, GWL_ID), BN_CLICKED), (LPARAM)m_hwnd);
}

LRESULT CSkinButtonBase::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_KEYDOWN:
        if (wParam != VK_SPACE)
            break;
        m_pressed = 1;
        RepaintNow();
        return 0;
    case WM_KEYUP:
        if (wParam != VK_SPACE)
            break;
        m_pressed = 0;
        Click();
        RepaintNow();
        return 0;
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK:
        HideTooltip();
        if (GetFocus() != m_hwnd)
            SetFocus(m_hwnd);
        SetCapture(m_hwnd);
        m_pressed = 1;
        RepaintNow();
        return 0;
    case WM_MOUSEMOVE:
        if ((wParam & MK_LBUTTON) && GetCapture() == m_hwnd) {
            RECT client;
            GetClientRect(m_hwnd, &client);
            POINT point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
            const int inside = PtInRect(&client, point) ? 1 : 0;
            if (inside != m_pressed) {
                m_pressed = inside;
                RepaintNow();
            }
        }
        break;
    case WM_LBUTTONUP:
        if (GetCapture() == m_hwnd) {
            ReleaseCapture();
            RECT client;
            GetClientRect(m_hwnd, &client);
            POINT point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
            m_pressed = 0;
            if (PtInRect(&client, point))
                Click();
            RepaintNow();
        }
        return 0;
    case WM_CHAR: case WM_DEADCHAR:
        if (GetCapture() == m_hwnd)
            ReleaseCapture();
        m_pressed = 0;
        RepaintNow();
        break;
    case BM_GETCHECK:
        return CallSaved(message, wParam, lParam);
    case BM_SETCHECK: {
        CallSaved(WM_SETREDRAW, FALSE, 0);
        const LRESULT result = CallSaved(message, wParam, lParam);
        CallSaved(WM_SETREDRAW, TRUE, 0);
        RepaintNow();
        return result;
    }
    case BM_SETSTATE: case WM_ENABLE: case WM_SETTEXT: case WM_SETFOCUS: case WM_KILLFOCUS: {
        const LRESULT result = CallSaved(message, wParam, lParam);
        RepaintNow();
        return result;
    }
    case WM_STYLECHANGED: {
        const LRESULT result = CallSaved(message, wParam, lParam);
        if (wParam == (WPARAM)GWL_STYLE)
            UpdatePushLikeRegion();
        return result;
    }
    default:
        break;
    }
    return CSkinControl::WindowProc(message, wParam, lParam);
}
