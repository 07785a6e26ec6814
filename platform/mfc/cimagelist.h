#pragma once
// An image list handle. The object deletes the list it holds when it is
// destroyed, unless the list was detached (the system's shared lists must be).

#include "platform/mfc/crect.h"

#include <windows.h>
#include <commctrl.h>

class CBitmap;
class CDC;

class CImageList
{
public:
    CImageList() : m_hImageList(nullptr) {}
    virtual ~CImageList() { DeleteImageList(); }

    HIMAGELIST m_hImageList;

    operator HIMAGELIST() const { return m_hImageList; }
    HIMAGELIST GetSafeHandle() const { return m_hImageList; }

    BOOL Create(int cx, int cy, UINT nFlags, int nInitial, int nGrow);
    // Images of width cx cut from the bitmap resource; crMask is transparent.
    BOOL Create(UINT nBitmapID, int cx, int nGrow, COLORREF crMask);
    BOOL Attach(HIMAGELIST hImageList);
    HIMAGELIST Detach();
    BOOL DeleteImageList();

    int GetImageCount() const;
    int Add(CBitmap* pbmImage, CBitmap* pbmMask);
    int Add(CBitmap* pbmImage, COLORREF crMask);
    int Add(HICON hIcon);
    COLORREF SetBkColor(COLORREF cr);
    BOOL Draw(CDC* pDC, int nImage, POINT pt, UINT nStyle);

private:
    CImageList(const CImageList&) = delete;
    CImageList& operator=(const CImageList&) = delete;
};
