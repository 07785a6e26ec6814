#include "skin/controls/skindatetime.h"

#include <commctrl.h>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinmanager.h"
#include "skin/core/skinstore.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/objects/skincontrolobjects.h"

namespace {

const int ButtonWidth = 17;
const int TextLength = 100;

} // namespace

CSkinDateTime::CSkinDateTime(CSkinWnd* parent) : CSkinControl(parent, sotDateTime), m_calendar(NULL)
{
}

BOOL CSkinDateTime::Attach(HWND hwnd)
{
    if (!CSkinControl::Attach(hwnd))
        return FALSE;
    ChangeWindowStyle(hwnd, DTS_APPCANPARSE, 0, 0);
    return TRUE;
}

RECT CSkinDateTime::ButtonRect() const
{
    RECT rect;
    GetClientRect(m_hwnd, &rect);
    if (GetWindowLongA(m_hwnd, GWL_STYLE) & DTS_UPDOWN) {
        SetRectEmpty(&rect);
        return rect;
    }
    rect.left = rect.right - ButtonWidth;
    return rect;
}

void CSkinDateTime::Paint(HDC dc)
{
    const CSkinDateTimeObject* object = ObjectOfType<CSkinDateTimeObject>(m_object, sotDateTime);
    if (!object)
        return;
    RECT client;
    GetClientRect(m_hwnd, &client);
    CSkinStore* store = GetStore();
    const bool enabled = IsWindowEnabled(m_hwnd) != FALSE, mirrored = IsMirroredWindow(m_hwnd);
    // The picker's own fields (and the one being edited) over the skin's
    // background, its window colour left out.
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    CSkinMemDC own(dc, client.right, client.bottom);
    if (own.IsValid()) {
        FillSolidRect(own, client, window);
        CallSaved(WM_PRINTCLIENT, (WPARAM)own.GetDC(), PRF_CLIENT);
    }
    if (enabled)
        DrawSkinNineGrid(store, dc, client, object->m_background, object->m_colour1, TRUE, mirrored);
    else
        DrawSkinNineGrid(store, dc, client, object->m_grids[0], object->m_colour3, TRUE, mirrored);
    if (own.IsValid())
        SkinTransparentStretchBlt(dc, 0, 0, client.right, client.bottom, own, 0, 0, client.right, client.bottom,
                                  window);
    RECT button = ButtonRect();
    if (IsRectEmpty(&button))
        return;
    FillSolidRect(dc, button, enabled ? object->m_colour1 : object->m_colour3);
    bool drawn = false;
    if (!enabled)
        drawn = !IsImagePartEmpty(object->m_disabledButton)
            && DrawSkinImagePart(store, dc, button, object->m_disabledButton, object->m_colour3, FALSE, mirrored);
    else if (m_calendar)
        drawn = !IsGridEmpty(object->m_grids[1])
            && DrawSkinNineGrid(store, dc, button, object->m_grids[1], object->m_colour1, FALSE, mirrored);
    if (!drawn && enabled)
        drawn = !IsImagePartEmpty(object->m_button)
            && DrawSkinImagePart(store, dc, button, object->m_button, object->m_colour1, FALSE, mirrored);
    if (!drawn)
        DrawFrameControl(dc, &button, DFC_SCROLL,
                         DFCS_SCROLLCOMBOBOX | (enabled ? 0 : DFCS_INACTIVE) | (m_calendar ? DFCS_PUSHED : 0));
}

void CSkinDateTime::Notify(int code, NMHDR* header)
{
    HWND parent = GetParent(m_hwnd);
    if (!parent)
        return;
    header->hwndFrom = m_hwnd;
    header->idFrom = (UINT_PTR)GetWindowLongA(m_hwnd, GWL_ID);
    header->code = (UINT)code;
    SendMessageA(parent, WM_NOTIFY, header->idFrom, (LPARAM)header);
}

bool CSkinDateTime::DropDown()
{
    if (m_calendar)
        return false;
    HWND picker = m_hwnd;
    m_calendar = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_TOPMOST, MONTHCAL_CLASSA, "", WS_POPUP | WS_BORDER, 0, 0, 0,
                                 0, picker, NULL, (HINSTANCE)GetWindowLongPtrA(picker, GWLP_HINSTANCE), NULL);
    if (!m_calendar)
        return false;
    HWND calendar = m_calendar;
    SYSTEMTIME date = {};
    if (CallSaved(DTM_GETSYSTEMTIME, 0, (LPARAM)&date) == GDT_VALID)
        SendMessageA(calendar, MCM_SETCURSEL, 0, (LPARAM)&date);
    if (CSkinObject* look = GetStore() ? GetStore()->FindFirstOfType(sotMonthCalendar) : NULL)
        GetSkinManager().SetControlSkin(calendar, look->GetName(), NULL);
    NMHDR header = {};
    Notify(DTN_DROPDOWN, &header);
    RECT size = {0, 0, 0, 0}, place;
    SendMessageA(calendar, MCM_GETMINREQRECT, 0, (LPARAM)&size);
    ::GetWindowRect(picker, &place);
    place = RECT{place.left, place.bottom, place.left + RectWidth(size) + 2, place.bottom + RectHeight(size) + 2};
    RECT work;
    if (GetRectMonitorRect(place, work, true))
        KeepRectInside(work, place);
    SetWindowPos(calendar, HWND_TOPMOST, place.left, place.top, RectWidth(place), RectHeight(place),
                 SWP_SHOWWINDOW | SWP_NOACTIVATE);
    RepaintNow();

    // The calendar's own loop: it ends on a picked day, a click elsewhere,
    // Escape, the picker or the calendar going, or WM_QUIT (posted again
    // for the loop that waits for it).
    bool picked = false;
    MSG msg;
    while (IsWindow(picker) && IsWindow(calendar)) {
        const BOOL got = GetMessageA(&msg, NULL, 0, 0);
        if (got == 0) {
            PostQuitMessage((int)msg.wParam);
            break;
        }
        if (got == -1)
            break;
        const bool inCalendar = msg.hwnd == calendar || IsChild(calendar, msg.hwnd);
        if ((msg.message == WM_LBUTTONDOWN || msg.message == WM_NCLBUTTONDOWN || msg.message == WM_RBUTTONDOWN
             || msg.message == WM_NCRBUTTONDOWN)
            && !inCalendar)
            break;
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE)
            break;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (msg.message == WM_LBUTTONUP && msg.hwnd == calendar && IsWindow(calendar)) {
            MCHITTESTINFO hit = {};
            hit.cbSize = sizeof(hit);
            hit.pt.x = (short)LOWORD(msg.lParam);
            hit.pt.y = (short)HIWORD(msg.lParam);
            SendMessageA(calendar, MCM_HITTEST, 0, (LPARAM)&hit);
            if (hit.uHit == MCHT_CALENDARDATE) {
                picked = true;
                break;
            }
        }
    }
    if (picked)
        SendMessageA(calendar, MCM_GETCURSEL, 0, (LPARAM)&date);
    if (IsWindow(calendar))
        DestroyWindow(calendar);
    if (!IsWindow(picker) || CSkinWnd::FromHandle(picker) != this)
        return false;
    m_calendar = NULL;
    Notify(DTN_CLOSEUP, &header);
    if (picked) {
        CallSaved(DTM_SETSYSTEMTIME, GDT_VALID, (LPARAM)&date);
        // The system's picker tells its parent of a new date: pages enable
        // their Apply buttons on it.
        NMDATETIMECHANGE change = {};
        change.dwFlags = GDT_VALID;
        change.st = date;
        Notify(DTN_DATETIMECHANGE, &change.nmhdr);
    }
    RepaintNow();
    return picked;
}

LRESULT CSkinDateTime::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    const CSkinDateTimeObject* object = ObjectOfType<CSkinDateTimeObject>(m_object, sotDateTime);
    switch (message) {
    case WM_NCPAINT:
        if (object && !IsGridEmpty(object->m_grids[2]) && DrawNonClientGrid(m_hwnd, GetStore(), object->m_grids[2], object->m_colour1))
            return 0;
        break;
    case WM_LBUTTONDOWN: {
        const POINT point = {(short)LOWORD(lParam), (short)HIWORD(lParam)};
        const RECT button = ButtonRect();
        if (!m_calendar && PtInRect(&button, point) && IsWindowEnabled(m_hwnd)) {
            HideTooltip();
            SetFocus(m_hwnd);
            DropDown();
            return 0;
        }
        break;
    }
    case DTM_GETMONTHCAL:
        return (LRESULT)m_calendar;
    case WM_NOTIFY:
        // The calendar of the skinner talks to its owner; the picker's own
        // code must not take it for its hidden one.
        if (m_calendar && ((NMHDR*)lParam)->hwndFrom == m_calendar)
            return 0;
        if (wParam == 1000) {
            const LRESULT result = CSkinControl::WindowProc(message, wParam, lParam);
            InvalidateRect(m_hwnd, NULL, FALSE);
            return result;
        }
        break;
    default:
        break;
    }
    return CSkinControl::WindowProc(message, wParam, lParam);
}
