#pragma once
// The cursor of a dialog with link controls, set on each mouse move (from
// PreTranslateMessage): the application's link cursor over a visible link,
// the given cursor anywhere else.

#include <stddef.h>

#include "platform/mfc/afxwin.h"

// The id of the dialog's visible control under the message's point; 0
// when there is none.
UINT ControlUnderPoint(CWnd& dialog, const MSG& msg);
// True when the message was a mouse move and the cursor was set.
bool SetLinkCursor(CWnd& dialog, const MSG& msg, const UINT* links, size_t count, HCURSOR elsewhere);
template <size_t N>
bool SetLinkCursor(CWnd& dialog, const MSG& msg, const UINT (&links)[N], HCURSOR elsewhere)
{
    return SetLinkCursor(dialog, msg, links, N, elsewhere);
}
