#include "skin/controls/skinscrollcontrol.h"

#include "skin/controls/skincontrolhelpers.h"
#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinstore.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/objects/skincontrolobjects.h"
#include "skin/scrollbars/skinscrollwindow.h"

namespace {

const CSkinEditObject* EditObject(CSkinObject* object)
{
    if (!object)
        return NULL;
    switch (object->GetType()) {
    case sotEdit: case sotListBox: case sotScrollControl: case sotListView: case sotRichEdit: case sotTreeView:
        return static_cast<CSkinEditObject*>(object);
    default:
        return NULL;
    }
}

CSkinScrollBarObject* ScrollBarObjectOf(CSkinStore* store)
{
    CSkinObject* object = store ? store->FindFirstOfType(sotScrollBar) : NULL;
    return object ? static_cast<CSkinScrollBarObject*>(object) : NULL;
}

// Windows 98 and Me: their controls move their bars past any interception.
bool ControlsBypassInterception()
{
    const int os = GetSkinOSVersionCode();
    return os == 3 || os == 4;
}

} // namespace

CSkinScrollControl::CSkinScrollControl(CSkinWnd* parent, int type)
    : CSkinControl(parent, type), m_barsInstalled(false), m_brush(NULL), m_brushColour(0)
{
}

CSkinScrollControl::~CSkinScrollControl()
{
    if (m_brush)
        DeleteObject(m_brush);
}

HBRUSH CSkinScrollControl::BackgroundBrush()
{
    const COLORREF colour = m_object ? m_object->m_colour1 : GetSysColor(COLOR_WINDOW);
    if (!m_brush || m_brushColour != colour) {
        if (m_brush)
            DeleteObject(m_brush);
        m_brush = CreateSolidBrush(colour);
        m_brushColour = colour;
    }
    return m_brush;
}

BOOL CSkinScrollControl::Attach(HWND hwnd)
{
    if (!CSkinControl::Attach(hwnd))
        return FALSE;
    // The bars go in once the control has finished its own creation.
    PostMessageA(hwnd, WM_SKIN_INSTALL_SCROLLBARS, 0, 0);
    return TRUE;
}

void CSkinScrollControl::Detach()
{
    if (m_hwnd && m_barsInstalled)
        SkinSB_Uninstall(m_hwnd);
    m_barsInstalled = false;
    CSkinControl::Detach();
}

CSkinObject* CSkinScrollControl::SetSkinObject(CSkinObject* object)
{
    CSkinObject* previous = CSkinControl::SetSkinObject(object);
    if (m_hwnd && m_barsInstalled)
        ApplyScrollBarSizes(ScrollBarObjectOf(GetStore()));
    if (m_hwnd)
        RedrawWindow(m_hwnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return previous;
}

void CSkinScrollControl::ApplyScrollBarSizes(CSkinScrollBarObject* object)
{
    if (!object)
        return;
    // Square arrows: the arrow picture's width is both the arrows' length
    // and the bars' width.
    const SkinScrollBarState& vertical = object->m_states[4];
    const SkinImageRef& arrow = IsImagePartEmpty(vertical.arrow1) ? object->m_states[0].arrow1 : vertical.arrow1;
    const int size = RectWidth(arrow.source);
    if (size > 0)
        SkinSB_SetSize(m_hwnd, SB_BOTH, size, size);
    const int thumb = RectWidth(object->m_states[0].thumb.source);
    SkinSB_SetMinThumbSize(m_hwnd, SB_BOTH, thumb > 0 ? thumb : -1);
}

void CSkinScrollControl::InstallScrollBars()
{
    CSkinScrollBarObject* object = ScrollBarObjectOf(GetStore());
    if (m_barsInstalled || !object || !SkinSB_Install(m_hwnd))
        return;
    SkinSB_SetStyle(m_hwnd, SB_BOTH, 2);
    ApplyScrollBarSizes(object);
    m_barsInstalled = true;
}

int CSkinScrollControl::TrackPosition(int bar) const
{
    SCROLLINFO info = {sizeof(info), SIF_TRACKPOS, 0, 0, 0, 0, 0};
    SkinSB_GetScrollInfo(m_hwnd, bar, &info);
    return info.nTrackPos;
}

void CSkinScrollControl::SyncScrollBars()
{
    if (!m_barsInstalled)
        return;
    if (!ControlsBypassInterception() || !SkinSB_IsRouted()) {
        // Without the interception the replacement reads the system's
        // values itself: the picture only needs to follow.
        SkinSB_Redraw(m_hwnd);
        return;
    }
    const SkinUser32Entries& real = GetSkinUser32Entries();
    for (int bar = SB_HORZ; bar <= SB_VERT; ++bar) {
        SCROLLINFO system = {sizeof(system), SIF_ALL, 0, 0, 0, 0, 0}, ours = system;
        if (!real.GetScrollInfo(m_hwnd, bar, &system) || !SkinSB_GetScrollInfo(m_hwnd, bar, &ours))
            continue;
        if (system.nMin == ours.nMin && system.nMax == ours.nMax)
            SkinSB_SetScrollPos(m_hwnd, bar, system.nPos, TRUE);
        else
            SkinSB_UpdateScrollInfo(m_hwnd, bar, &system, TRUE);
        const bool show = system.nPage < (UINT)system.nMax && system.nMax != system.nMin && system.nPage != 0;
        SkinSB_ShowScrollBar(m_hwnd, bar, show);
    }
}

LRESULT CSkinScrollControl::OnScroll(UINT message, WPARAM wParam, LPARAM lParam)
{
    // A control that asks user32 itself where a dragged thumb is (past any
    // interception) finds the replacement's track position there.
    const WORD code = LOWORD(wParam);
    if (m_barsInstalled && !lParam && (code == SB_THUMBTRACK || code == SB_THUMBPOSITION)) {
        const int bar = message == WM_HSCROLL ? SB_HORZ : SB_VERT;
        GetSkinUser32Entries().SetScrollPos(m_hwnd, bar, TrackPosition(bar), FALSE);
    }
    return CallSaved(message, wParam, lParam);
}

bool CSkinScrollControl::PaintsBackground() const
{
    const CSkinEditObject* object = EditObject(m_object);
    return object && !IsGridEmpty(object->m_background);
}

void CSkinScrollControl::Paint(HDC dc)
{
    const CSkinEditObject* object = EditObject(m_object);
    RECT client;
    GetClientRect(m_hwnd, &client);
    if (!object)
        return;
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    CSkinMemDC content(dc, client.right, client.bottom);
    if (!content.IsValid())
        return;
    FillSolidRect(content, client, window);
    CallSaved(WM_PRINTCLIENT, (WPARAM)content.GetDC(), PRF_CLIENT);
    DrawSkinNineGrid(GetStore(), dc, client, object->m_background, object->m_colour1, TRUE, IsMirroredWindow(m_hwnd));
    SkinTransparentStretchBlt(dc, 0, 0, client.right, client.bottom, content, 0, 0, client.right, client.bottom,
                              window);
}

LRESULT CSkinScrollControl::OnNcPaint(WPARAM wParam)
{
    const CSkinEditObject* object = EditObject(m_object);
    const int width = SkinBorderWidth((DWORD)GetWindowLongA(m_hwnd, GWL_STYLE), (DWORD)GetWindowLongA(m_hwnd, GWL_EXSTYLE));
    if (!object || IsImagePartEmpty(object->m_border) || width == 0)
        return CallSaved(WM_NCPAINT, wParam, 0);
    // The control paints what lies inside the border (its scroll bars),
    // the skin the border.
    HRGN inside = InsideBorderRegion(m_hwnd, wParam, width);
    CallSaved(WM_NCPAINT, (WPARAM)inside, 0);
    if (inside)
        DeleteObject(inside);
    DrawSkinBorder(m_hwnd, GetStore(), object->m_border, object->m_colour1, width);
    return 0;
}

LRESULT CSkinScrollControl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_SKIN_INSTALL_SCROLLBARS:
        InstallScrollBars();
        return 0;
    case WM_SKIN_SYNC_SCROLLBARS:
        SyncScrollBars();
        return 0;
    case WM_NCPAINT:
        return OnNcPaint(wParam);
    case WM_HSCROLL: case WM_VSCROLL:
        return OnScroll(message, wParam, lParam);
    case WM_PAINT:
        // A control without a background picture paints itself in the
        // object's colours.
        if (!PaintsBackground())
            return CallSaved(message, wParam, lParam);
        return CSkinControl::WindowProc(message, wParam, lParam);
    case WM_ERASEBKGND:
        if (PaintsBackground())
            return 1;
        return CallSaved(message, wParam, lParam);
    case WM_MOUSEMOVE: case WM_MOUSELEAVE:
        // Nothing of a list or an edit shows the mouse over it: no repaint
        // of the whole control when it comes and goes.
        return CallSaved(message, wParam, lParam);
    case WM_SIZE: {
        const LRESULT result = CSkinControl::WindowProc(message, wParam, lParam);
        if (ControlsBypassInterception())
            PostMessageA(m_hwnd, WM_SKIN_SYNC_SCROLLBARS, 0, 0);
        return result;
    }
    default:
        return CSkinControl::WindowProc(message, wParam, lParam);
    }
}
