#pragma once
// The minimum/maximum part of the resizable dialog: the track sizes and the
// maximized rectangle it answers WM_GETMINMAXINFO with, each only once set.
// The program sets only the minimum.

#include "platform/mfc/crect.h"

class CResizableMinMax
{
public:
    CResizableMinMax();
    virtual ~CResizableMinMax() = default;

    void SetMinTrackSize(SIZE size);
    void SetMaxTrackSize(SIZE size);
    void SetMaximizedRect(const RECT& rect);
    // Copies the sizes that are set into the structure.
    void MinMaxInfo(MINMAXINFO* lpMMI) const;

protected:
    BOOL m_bUseMaxTrack;
    BOOL m_bUseMinTrack;
    BOOL m_bUseMaxRect;
    CSize m_ptMinTrackSize;
    CSize m_ptMaxTrackSize;
    CPoint m_ptMaxPos;
    CSize m_ptMaxSize;
};
