#include "skin/controls/skinrebar.h"

#include <commctrl.h>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/objects/skincontrolobjects.h"

namespace {

const int TextLength = 200;

} // namespace

CSkinRebar::CSkinRebar(CSkinWnd* parent) : CSkinControl(parent, sotRebar)
{
}

void CSkinRebar::Paint(HDC dc)
{
    const CSkinRebarObject* found = ObjectOfType<CSkinRebarObject>(m_object, sotRebar);
    if (!found)
        return;
    const CSkinRebarObject& object = *found;
    CSkinStore* store = GetStore();
    const bool mirrored = IsMirroredWindow(m_hwnd);
    RECT client;
    GetClientRect(m_hwnd, &client);
    DrawSkinNineGrid(store, dc, client, object.m_background, GetSysColor(COLOR_3DFACE), TRUE, mirrored);
    CControlFont font(m_hwnd, dc);
    const int count = (int)CallSaved(RB_GETBANDCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        char text[TextLength + 1] = "";
        REBARBANDINFOA band = {};
        band.cbSize = sizeof(band);
        band.fMask = RBBIM_TEXT | RBBIM_STYLE;
        band.lpText = text;
        band.cch = TextLength;
        RECT rect;
        if (!CallSaved(RB_GETRECT, i, (LPARAM)&rect) || !CallSaved(RB_GETBANDINFOA, i, (LPARAM)&band))
            continue;
        DrawSkinNineGrid(store, dc, rect, object.m_band, object.m_colour1, FALSE, mirrored);
        if (!text[0])
            continue;
        DrawPlainText(dc, text, InsideMargins(rect, object.m_margins), object.GetFontColour(), DT_VCENTER | DT_SINGLELINE | DT_NOCLIP);
    }
}
