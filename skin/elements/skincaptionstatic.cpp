#include "skin/elements/skincaptionstatic.h"

#include <string.h>

#include "skin/core/skinwnd.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/image/ximage.h"
#include "skin/objects/skinwindowobjects.h"

namespace {

const int TitleLength = 300;

// The element's text style, alignment and anchor flags, kept in the
// object's 20 bytes and its words.
const SkinTextStyle& StyleOf(const CSkinCaptionStaticObject& object)
{
    static_assert(sizeof(object.m_bytes) >= sizeof(SkinTextStyle) + 2, "style and alignment fit");
    return *(const SkinTextStyle*)object.m_bytes;
}

UINT AlignmentOf(const CSkinCaptionStaticObject& object)
{
    static const UINT horizontal[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
    static const UINT vertical[] = {DT_TOP, DT_VCENTER, DT_BOTTOM};
    const BYTE h = object.m_bytes[sizeof(SkinTextStyle)], v = object.m_bytes[sizeof(SkinTextStyle) + 1];
    return (h < 3 ? horizontal[h] : DT_LEFT) | (v < 3 ? vertical[v] : DT_TOP);
}

} // namespace

CSkinCaptionStatic::CSkinCaptionStatic(CSkinWnd* owner, CSkinCaptionStaticObject* object)
    : CSkinElement(owner, object)
{
}

CSkinCaptionStaticObject* CSkinCaptionStatic::Object() const
{
    return static_cast<CSkinCaptionStaticObject*>(m_object);
}

DWORD CSkinCaptionStatic::GetKind() const
{
    return Object() ? Object()->m_word4 : 0;
}

int CSkinCaptionStatic::GetHitCode() const
{
    switch (GetKind()) {
    case KindTitle: case KindCaption: return HTCAPTION;
    case KindLeft: return HTLEFT;
    case KindTopLeft: return HTTOPLEFT;
    case KindTop: return HTTOP;
    case KindTopRight: return HTTOPRIGHT;
    case KindRight: return HTRIGHT;
    case KindBottomRight: return HTBOTTOMRIGHT;
    case KindBottom: return HTBOTTOM;
    case KindBottomLeft: return HTBOTTOMLEFT;
    default: return 0;
    }
}

void CSkinCaptionStatic::Anchor(int width, int height)
{
    CSkinCaptionStaticObject* object = Object();
    const DWORD flags = object ? object->m_words[1] : 0;
    CSkinShapeObject* shape = m_owner ? m_owner->GetShape() : NULL;
    if (!flags || !shape || shape->GetType() == sotTooltip) {
        CSkinElement::Anchor(width, height);
        return;
    }
    // Each edge keeps its distance to the window edge it is anchored to;
    // anchored on both sides, the element stretches.
    const RECT design = shape->GetDesignRect();
    const int dW = width - design.right, dH = height - design.bottom;
    m_bounds = object->m_bounds;
    if (flags & AnchorRight) {
        m_bounds.right += dW;
        if (!(flags & AnchorLeft))
            m_bounds.left += dW;
    }
    if (flags & AnchorBottom) {
        m_bounds.bottom += dH;
        if (!(flags & AnchorTop))
            m_bounds.top += dH;
    }
}

HRGN CSkinCaptionStatic::MakeShapeRegion() const
{
    CSkinCaptionStaticObject* object = Object();
    const SkinImagePiece* piece = object ? &object->GetImagePiece() : NULL;
    if (!piece || !piece->region || !piece->image)
        return NULL;
    const int pw = (int)piece->image->GetWidth(), ph = (int)piece->image->GetHeight();
    const int w = m_bounds.right - m_bounds.left, h = m_bounds.bottom - m_bounds.top;
    if (pw <= 0 || ph <= 0 || w <= 0 || h <= 0)
        return NULL;
    switch (object->m_word5) {
    case 1:
        return TileRegion(piece->region, pw, ph, m_bounds);
    case 2:
        return TransformRegion(piece->region, (float)w / pw, (float)h / ph, m_bounds.left, m_bounds.top);
    default: {
        HRGN shape = CreateRectRgn(0, 0, 0, 0);
        HRGN bounds = CreateRectRgnIndirect(&m_bounds);
        if (shape && bounds) {
            CombineRgn(shape, piece->region, NULL, RGN_COPY);
            OffsetRgn(shape, m_bounds.left, m_bounds.top);
            CombineRgn(shape, shape, bounds, RGN_AND);
        }
        if (bounds)
            DeleteObject(bounds);
        return shape;
    }
    }
}

bool CSkinCaptionStatic::HitTest(POINT point) const
{
    if (!CSkinElement::HitTest(point))
        return false;
    HRGN shape = MakeShapeRegion();
    if (!shape)
        return true;
    const bool inside = PtInRegion(shape, point.x, point.y) != FALSE;
    DeleteObject(shape);
    return inside;
}

void CSkinCaptionStatic::CombineRegion(HRGN region)
{
    // Only a picture with a shape changes the window's outline.
    HRGN shape = region && IsVisible() ? MakeShapeRegion() : NULL;
    if (!shape)
        return;
    static const int modes[] = {RGN_AND, RGN_DIFF, RGN_OR, RGN_XOR};
    const DWORD mode = Object()->m_words[0];
    if (mode < 4) {
        CombineRgn(region, region, shape, modes[mode]);
    } else if (mode == 4) {
        HRGN bounds = CreateRectRgnIndirect(&m_bounds);
        if (bounds) {
            CombineRgn(region, region, bounds, RGN_DIFF);
            DeleteObject(bounds);
        }
        CombineRgn(region, region, shape, RGN_OR);
    }
    DeleteObject(shape);
}

void CSkinCaptionStatic::Draw(HDC dc)
{
    CSkinCaptionStaticObject* object = Object();
    if (!object)
        return;
    HWND frame = OwnerWindow();
    const DWORD kind = GetKind();
    if (kind == KindOwnerDraw && frame) {
        DRAWITEMSTRUCT item;
        memset(&item, 0, sizeof(item));
        item.CtlType = ODT_STATIC;
        item.CtlID = GetCommand();
        item.itemID = (UINT)-1;
        item.itemAction = ODA_DRAWENTIRE;
        item.itemState = ODS_DEFAULT;
        item.hwndItem = frame;
        item.hDC = dc;
        item.rcItem = m_bounds;
        SendMessageA(frame, WM_DRAWITEM, item.CtlID, (LPARAM)&item);
        return;
    }

    HFONT font = CreateFontIndirectA(&object->m_font.font);
    const int saved = SaveDC(dc);
    if (font)
        SelectObject(dc, font);
    UINT format = AlignmentOf(*object) | DT_SINGLELINE;
    if (frame && (GetWindowLongA(frame, GWL_EXSTYLE) & WS_EX_RTLREADING))
        format |= DT_RTLREADING;
    const SkinTextStyle& style = StyleOf(*object);
    if (kind == KindOwnerDraw) {
        // Drawn by a frame window that is not there.
        DrawStyledText(dc, style, m_bounds, "OD", -1, format);
    } else {
        // The picture's pixels of the transparent colour show the frame.
        DrawSkinImagePartTransparent(object->GetStore(), dc, m_bounds, object->m_image,
                                     object->GetTransparentColour(), frame && IsMirroredWindow(frame));
        char text[TitleLength + 1] = "";
        if (kind == KindTitle && frame)
            GetWindowTextA(frame, text, sizeof(text));
        else if (kind != KindTitle)
            lstrcpynA(text, object->m_caption, sizeof(text));
        if (text[0])
            DrawStyledText(dc, style, m_bounds, text, -1, format);
    }
    RestoreDC(dc, saved);
    if (font)
        DeleteObject(font);
}
