#include "skin/scrollbars/skinscrollgeometry.h"

namespace {

// (a * b) / c in 64 bits, truncated; 0 for a zero divisor.
int Scale(int a, int b, int c)
{
    return c ? (int)((LONGLONG)a * b / c) : 0;
}

// The positions the thumb can stand on beyond the minimum.
int Span(const SCROLLINFO& info)
{
    const int span = SkinScrollMaxPosition(info) - info.nMin;
    return span > 0 ? span : 0;
}

} // namespace

int SkinScrollMaxPosition(const SCROLLINFO& info)
{
    const int page = (int)info.nPage;
    return info.nMax - (page > 1 ? page - 1 : 0);
}

int SkinScrollClampPosition(const SCROLLINFO& info, int position)
{
    const int high = SkinScrollMaxPosition(info);
    if (position > high)
        position = high;
    return position < info.nMin ? info.nMin : position;
}

UINT SkinScrollClampPage(const SCROLLINFO& info, UINT page)
{
    const LONGLONG range = (LONGLONG)info.nMax - info.nMin + 1;
    if (range <= 0)
        return 0;
    return (LONGLONG)page > range ? (UINT)range : page;
}

void SkinScrollStore(SCROLLINFO& kept, const SCROLLINFO& info)
{
    if (info.fMask & SIF_RANGE) {
        kept.nMin = info.nMin;
        kept.nMax = info.nMax < info.nMin ? info.nMin : info.nMax;
    }
    if (info.fMask & SIF_PAGE)
        kept.nPage = info.nPage;
    kept.nPage = SkinScrollClampPage(kept, kept.nPage);
    kept.nPos = SkinScrollClampPosition(kept, (info.fMask & SIF_POS) ? info.nPos : kept.nPos);
}

SkinScrollGeometry SkinScrollMeasure(int length, int arrowLength, int minThumb, const SCROLLINFO& info)
{
    SkinScrollGeometry g = {length > 0 ? length : 0, arrowLength, 0, 0, 0};
    if (g.length <= 2 * g.arrow) {
        g.arrow = g.length / 2;
        return g;
    }
    g.track = g.length - 2 * g.arrow;
    const int range = info.nMax - info.nMin + 1;
    g.thumbSize = info.nPage ? Scale((int)info.nPage, g.track, range) : g.arrow;
    if (g.thumbSize < minThumb)
        g.thumbSize = minThumb;
    const int room = g.track - g.thumbSize;
    if (room > 0 && Span(info) > 0)
        g.thumbOffset = Scale(info.nPos - info.nMin, room, Span(info));
    if (g.thumbOffset > room)
        g.thumbOffset = room;
    if (g.thumbOffset < 0)
        g.thumbOffset = 0;
    return g;
}

bool SkinScrollHasThumb(const SkinScrollGeometry& g, const SCROLLINFO& info)
{
    return g.track > 0 && g.thumbSize >= 1 && g.thumbSize <= g.track && info.nMax > info.nMin
        && (int)info.nPage <= info.nMax - info.nMin;
}

int SkinScrollHitTest(const SkinScrollGeometry& g, const SCROLLINFO& info, int offset)
{
    if (offset < 0 || offset >= g.length)
        return sspNone;
    if (offset < g.arrow)
        return sspFirstArrow;
    if (offset >= g.length - g.arrow)
        return sspSecondArrow;
    if (!SkinScrollHasThumb(g, info))
        return sspNone;
    const int thumb = g.arrow + g.thumbOffset;
    if (offset < thumb)
        return sspPageBefore;
    if (offset < thumb + g.thumbSize)
        return sspThumb;
    return sspPageAfter;
}

int SkinScrollDragPosition(const SkinScrollGeometry& g, const SCROLLINFO& info, int thumbOffset)
{
    const int room = g.track - g.thumbSize;
    if (room <= 0)
        return SkinScrollClampPosition(info, info.nPos);
    return SkinScrollClampPosition(info, info.nMin + Scale(thumbOffset, Span(info), room));
}
