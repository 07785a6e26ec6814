#include "ui/resizableminmax.h"

CResizableMinMax::CResizableMinMax() : m_bUseMaxTrack(FALSE), m_bUseMinTrack(FALSE), m_bUseMaxRect(FALSE)
{
}

void CResizableMinMax::SetMinTrackSize(SIZE size)
{
    m_ptMinTrackSize = size;
    m_bUseMinTrack = TRUE;
}

void CResizableMinMax::SetMaxTrackSize(SIZE size)
{
    m_ptMaxTrackSize = size;
    m_bUseMaxTrack = TRUE;
}

void CResizableMinMax::SetMaximizedRect(const RECT& rect)
{
    m_ptMaxPos = CPoint(rect.left, rect.top);
    m_ptMaxSize = CSize(rect.right - rect.left, rect.bottom - rect.top);
    m_bUseMaxRect = TRUE;
}

void CResizableMinMax::MinMaxInfo(MINMAXINFO* lpMMI) const
{
    if (m_bUseMinTrack)
    {
        lpMMI->ptMinTrackSize.x = m_ptMinTrackSize.cx;
        lpMMI->ptMinTrackSize.y = m_ptMinTrackSize.cy;
    }
    if (m_bUseMaxTrack)
    {
        lpMMI->ptMaxTrackSize.x = m_ptMaxTrackSize.cx;
        lpMMI->ptMaxTrackSize.y = m_ptMaxTrackSize.cy;
    }
    if (m_bUseMaxRect)
    {
        lpMMI->ptMaxPosition = m_ptMaxPos;
        lpMMI->ptMaxSize.x = m_ptMaxSize.cx;
        lpMMI->ptMaxSize.y = m_ptMaxSize.cy;
    }
}
