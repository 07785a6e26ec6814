#include "skin/controls/skinstatusbar.h"

#include <commctrl.h>

#include <vector>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/objects/skincontrolobjects.h"

CSkinStatusBar::CSkinStatusBar(CSkinWnd* parent) : CSkinControl(parent, sotStatusBar)
{
}

BOOL CSkinStatusBar::Attach(HWND hwnd)
{
    if (!CSkinControl::Attach(hwnd))
        return FALSE;
    ChangeWindowStyle(hwnd, 0, WS_CLIPCHILDREN, 0);
    return TRUE;
}

void CSkinStatusBar::Paint(HDC dc)
{
    const CSkinStatusBarObject* found = ObjectOfType<CSkinStatusBarObject>(m_object, sotStatusBar);
    if (!found)
        return;
    const CSkinStatusBarObject& object = *found;
    CSkinStore* store = GetStore();
    const COLORREF face = GetSysColor(COLOR_3DFACE);
    const bool mirrored = IsMirroredWindow(m_hwnd);
    RECT client;
    GetClientRect(m_hwnd, &client);
    DrawSkinNineGrid(store, dc, client, object.m_background, face, TRUE, mirrored);
    const bool simple = CallSaved(SB_ISSIMPLE, 0, 0) != 0;
    const int parts = simple ? 1 : (int)CallSaved(SB_GETPARTS, 0, 0);
    CControlFont font(m_hwnd, dc);
    for (int part = 0; part < parts; ++part) {
        const int index = simple ? SB_SIMPLEID : part;
        RECT rect = client;
        if (!simple && !CallSaved(SB_GETRECT, part, (LPARAM)&rect))
            continue;
        DrawSkinNineGrid(store, dc, rect, object.m_part, face, FALSE, mirrored);
        const int length = LOWORD(CallSaved(SB_GETTEXTLENGTHA, index, 0));
        if (length <= 0)
            continue;
        std::vector<char> text(length + 1);
        CallSaved(SB_GETTEXTA, index, (LPARAM)&text[0]);
        rect.left += object.m_part.margins.left;
        rect.right -= object.m_part.margins.right;
        DrawPlainText(dc, &text[0], rect, object.GetFontColour(), DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
    }
    if (GetWindowLongA(m_hwnd, GWL_STYLE) & SBARS_SIZEGRIP) {
        const int w = RectWidth(object.m_grip.source), h = RectHeight(object.m_grip.source);
        const RECT grip = {client.right - w, client.bottom - h, client.right, client.bottom};
        DrawSkinImagePartTransparent(store, dc, grip, object.m_grip, 0xFF00FF, mirrored);
    }
}
