#include "skin/controls/skinheader.h"

#include <commctrl.h>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/objects/skincontrolobjects.h"

namespace {

const int TextLength = 260;

} // namespace

CSkinHeader::CSkinHeader(CSkinWnd* parent) : CSkinControl(parent, sotHeader)
{
}

void CSkinHeader::Paint(HDC dc)
{
    const CSkinHeaderObject* found = ObjectOfType<CSkinHeaderObject>(m_object, sotHeader);
    if (!found)
        return;
    const CSkinHeaderObject& object = *found;
    CSkinStore* store = GetStore();
    const bool mirrored = IsMirroredWindow(m_hwnd);
    RECT client;
    GetClientRect(m_hwnd, &client);
    DrawSkinNineGrid(store, dc, client, object.m_background, GetSysColor(COLOR_3DFACE), TRUE, mirrored);
    CControlFont font(m_hwnd, dc);
    const int count = (int)CallSaved(HDM_GETITEMCOUNT, 0, 0);
    for (int i = 0; i < count; ++i) {
        char text[TextLength] = "";
        HDITEMA item = {};
        item.mask = HDI_TEXT | HDI_FORMAT;
        item.pszText = text;
        item.cchTextMax = TextLength;
        RECT rect;
        if (!CallSaved(HDM_GETITEMA, i, (LPARAM)&item) || !CallSaved(HDM_GETITEMRECT, i, (LPARAM)&rect))
            continue;
        DrawSkinNineGrid(store, dc, rect, object.m_item, object.m_colour1, FALSE, mirrored);
        rect = InsideMargins(rect, object.m_margins);
        UINT format = DT_VCENTER | DT_SINGLELINE | DT_WORD_ELLIPSIS | DT_NOPREFIX;
        if ((item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER)
            format |= DT_CENTER;
        else if ((item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT)
            format |= DT_RIGHT;
        DrawPlainText(dc, text, rect, object.GetFontColour(), format);
    }
}
