#pragma once
// The arithmetic of a scroll bar along its length: arrows, track and thumb
// for a range, page and position; which part a point falls on; and the
// position a dragged thumb stands for. Shared by the scroll-bar replacement
// of windows and the scroll-bar control skinner.

#include <windows.h>

// Parts of a bar; each equals the scroll code it sends.
enum SkinScrollPart
{
    sspNone = -1,
    sspFirstArrow = SB_LINEUP,
    sspSecondArrow = SB_LINEDOWN,
    sspPageBefore = SB_PAGEUP,
    sspPageAfter = SB_PAGEDOWN,
    sspThumb = SB_THUMBTRACK
};

struct SkinScrollGeometry
{
    int length;      // the whole bar
    int arrow;       // each arrow
    int track;       // between the arrows (0 when the arrows fill the bar)
    int thumbSize;
    int thumbOffset; // from the end of the first arrow
};

// The highest position a bar with this range and page can take: the
// system's rule, maximum - max(page - 1, 0).
int SkinScrollMaxPosition(const SCROLLINFO& info);
// The position clamped to minimum .. SkinScrollMaxPosition.
int SkinScrollClampPosition(const SCROLLINFO& info, int position);
// The page a bar keeps: at most the range plus one, never below zero.
UINT SkinScrollClampPage(const SCROLLINFO& info, UINT page);
// Takes into kept the range, page and position that info's mask gives; the
// page and the position always end up valid for the range, as the system
// keeps them.
void SkinScrollStore(SCROLLINFO& kept, const SCROLLINFO& info);

// Arrows of arrowLength (halves of the bar when two do not fit), the thumb
// for the page (arrowLength without a page) but at least minThumb, placed
// for the position.
SkinScrollGeometry SkinScrollMeasure(int length, int arrowLength, int minThumb, const SCROLLINFO& info);
// Whether the thumb is drawn and can be dragged: it fits the track and the
// bar has something to scroll.
bool SkinScrollHasThumb(const SkinScrollGeometry& g, const SCROLLINFO& info);
// The part under an offset along the bar; sspNone outside it.
int SkinScrollHitTest(const SkinScrollGeometry& g, const SCROLLINFO& info, int offset);
// The position of a thumb dragged to thumbOffset; the position itself when
// the thumb fills the track (nothing to drag).
int SkinScrollDragPosition(const SkinScrollGeometry& g, const SCROLLINFO& info, int thumbOffset);
