#include "skin/controls/skincombobox.h"

#include <vector>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/objects/skincontrolobjects.h"

namespace {

const CSkinComboBoxObject* ComboObject(CSkinObject* object)
{
    if (!object || (object->GetType() != sotComboBox && object->GetType() != sotComboBoxEx))
        return NULL;
    return static_cast<CSkinComboBoxObject*>(object);
}

// The edit child of a CBS_DROPDOWN box, which shows the text itself.
HWND EditChild(HWND combo)
{
    COMBOBOXINFO info = {sizeof(info), {0, 0, 0, 0}, {0, 0, 0, 0}, 0, NULL, NULL, NULL};
    return GetComboBoxInfo(combo, &info) && info.hwndItem != combo ? info.hwndItem : NULL;
}

} // namespace

CSkinComboBox::CSkinComboBox(CSkinWnd* parent)
    : CSkinControl(parent, sotComboBox), m_ownerDrawnFixed(false), m_hot(false), m_editBrush(NULL),
      m_listBrush(NULL)
{
}

CSkinComboBox::~CSkinComboBox()
{
    DeleteBrushes();
}

void CSkinComboBox::DeleteBrushes()
{
    if (m_editBrush)
        DeleteObject(m_editBrush);
    if (m_listBrush)
        DeleteObject(m_listBrush);
    m_editBrush = m_listBrush = NULL;
}

void CSkinComboBox::MakeBrushes()
{
    DeleteBrushes();
    if (const CSkinComboBoxObject* object = ComboObject(m_object)) {
        m_editBrush = CreateSolidBrush(object->m_colour1);
        m_listBrush = CreateSolidBrush(object->m_colour4);
    }
}

BOOL CSkinComboBox::Attach(HWND hwnd)
{
    const DWORD style = (DWORD)GetWindowLongA(hwnd, GWL_STYLE);
    if ((style & CBS_OWNERDRAWVARIABLE) || (style & 3) == CBS_SIMPLE)
        return FALSE;
    m_ownerDrawnFixed = (style & CBS_OWNERDRAWFIXED) != 0;
    MakeBrushes();
    return CSkinControl::Attach(hwnd);
}

CSkinObject* CSkinComboBox::SetSkinObject(CSkinObject* object)
{
    CSkinObject* previous = CSkinControl::SetSkinObject(object);
    MakeBrushes();
    if (m_hwnd)
        RedrawWindow(m_hwnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    return previous;
}

void CSkinComboBox::GetAreas(RECT& edit, RECT& button) const
{
    GetClientRect(m_hwnd, &edit);
    if (const CSkinComboBoxObject* object = ComboObject(m_object))
        edit = InsideMargins(edit, object->m_background.margins);
    button = edit;
    button.left = edit.right - GetSystemMetrics(SM_CYHSCROLL);
    if (button.left < edit.left)
        button.left = edit.left;
    edit.right = button.left;
}

int CSkinComboBox::GetButtonState() const
{
    if (!IsWindowEnabled(m_hwnd))
        return ButtonDisabled;
    if (SendMessageA(m_hwnd, CB_GETDROPPEDSTATE, 0, 0))
        return ButtonPressed;
    return m_hot ? ButtonHot : ButtonNormal;
}

void CSkinComboBox::Paint(HDC dc)
{
    const CSkinComboBoxObject* object = ComboObject(m_object);
    if (!object)
        return;
    if (m_ownerDrawnFixed) {
        PaintOwnerDrawn(dc);
        return;
    }
    CSkinStore* store = GetStore();
    const bool mirrored = IsMirroredWindow(m_hwnd);
    RECT client, edit, button;
    GetClientRect(m_hwnd, &client);
    GetAreas(edit, button);
    DrawParentBackground(m_hwnd, dc);
    DrawSkinNineGrid(store, dc, client, object->m_background, object->m_colour1, FALSE, mirrored);
    const bool enabled = IsWindowEnabled(m_hwnd) != FALSE;
    const bool focused = GetFocus() == m_hwnd;
    FillRect(dc, &edit, enabled ? m_editBrush : m_listBrush);
    if (!enabled)
        FillSolidRect(dc, edit, object->m_colour4);
    else if (focused)
        FillSolidRect(dc, edit, object->m_colour3);
    if (!EditChild(m_hwnd)) {
        const int selected = (int)SendMessageA(m_hwnd, CB_GETCURSEL, 0, 0);
        const int length = selected >= 0 ? (int)SendMessageA(m_hwnd, CB_GETLBTEXTLEN, selected, 0) : -1;
        if (length > 0) {
            std::vector<char> text(length + 1);
            SendMessageA(m_hwnd, CB_GETLBTEXT, selected, (LPARAM)&text[0]);
            RECT area = edit;
            area.left += 3;
            CControlFont font(m_hwnd, dc);
            DrawPlainText(dc, &text[0], area, enabled ? object->m_colour2 : object->m_colour5,
                          DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX | DT_END_ELLIPSIS);
        }
    }
    DrawSkinNineGrid(store, dc, button, GridOr(object->m_grids[GetButtonState()], object->m_grids[0]),
                     object->m_colour1, FALSE, mirrored);
}

void CSkinComboBox::PaintOwnerDrawn(HDC dc)
{
    const CSkinComboBoxObject* object = ComboObject(m_object);
    RECT client, edit, button;
    GetClientRect(m_hwnd, &client);
    GetAreas(edit, button);
    CSkinMemDC own(dc, client.right, client.bottom);
    if (!own.IsValid())
        return;
    CallSaved(WM_PRINTCLIENT, (WPARAM)own.GetDC(), PRF_CLIENT);
    CSkinStore* store = GetStore();
    const bool mirrored = IsMirroredWindow(m_hwnd);
    DrawParentBackground(m_hwnd, dc);
    DrawSkinNineGrid(store, dc, client, object->m_background, object->m_colour1, FALSE, mirrored);
    DrawSkinNineGrid(store, dc, button, GridOr(object->m_grids[GetButtonState()], object->m_grids[0]),
                     object->m_colour1, FALSE, mirrored);
    // The control's own drawing of its item, inside a 2-pixel margin.
    InflateRect(&edit, -2, -2);
    BitBlt(dc, edit.left, edit.top, RectWidth(edit), RectHeight(edit), own, edit.left, edit.top, SRCCOPY);
}

void CSkinComboBox::SetHot(bool hot)
{
    if (hot == m_hot)
        return;
    m_hot = hot;
    RepaintNow();
}

LRESULT CSkinComboBox::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const CSkinComboBoxObject* object = ComboObject(m_object);
    switch (message) {
    case WM_CTLCOLOREDIT:
        if (!object)
            break;
        if (IsWindowEnabled(m_hwnd)) {
            SetTextColor((HDC)wParam, object->m_colour2);
            SetBkColor((HDC)wParam, object->m_colour1);
            return (LRESULT)m_editBrush;
        }
        SetTextColor((HDC)wParam, object->m_colour5);
        SetBkColor((HDC)wParam, object->m_colour4);
        return (LRESULT)m_listBrush;
    case WM_CTLCOLORLISTBOX:
        if (!object)
            break;
        SetTextColor((HDC)wParam, object->m_colour5);
        SetBkColor((HDC)wParam, object->m_colour4);
        return (LRESULT)m_listBrush;
    case CB_SETCURSEL: case CB_SELECTSTRING: {
        // The box would paint its system face while changing the text.
        const DWORD style = (DWORD)GetWindowLongA(m_hwnd, GWL_STYLE);
        const LRESULT result = CallSavedWithStyle(style & ~WS_VISIBLE, message, wParam, lParam);
        if (style & WS_VISIBLE)
            RepaintNow();
        return result;
    }
    case WM_SETFOCUS: case WM_KILLFOCUS: case WM_COMMAND: case WM_ENABLE: {
        const LRESULT result = CSkinControl::WindowProc(message, wParam, lParam);
        if (IsWindow(m_hwnd))
            RepaintNow();
        return result;
    }
    case WM_MOUSEMOVE: {
        RECT edit, button;
        GetAreas(edit, button);
        const POINT point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
        const LRESULT result = CSkinControl::WindowProc(message, wParam, lParam);
        SetHot(PtInRect(&button, point) != FALSE);
        return result;
    }
    case WM_MOUSELEAVE:
        m_hot = false;
        return CSkinControl::WindowProc(message, wParam, lParam);
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_LBUTTONUP: {
        // Pressed while the list is down: the box knows that itself.
        const LRESULT result = CSkinControl::WindowProc(message, wParam, lParam);
        if (IsWindow(m_hwnd))
            RepaintNow();
        return result;
    }
    default:
        break;
    }
    return CSkinControl::WindowProc(message, wParam, lParam);
}
