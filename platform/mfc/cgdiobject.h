#pragma once
// GDI objects: an object owns its handle and deletes it when it is destroyed
// or given another one, unless the handle was detached. FromHandle wraps a
// handle the caller does not own in a temporary object that never deletes it.

#include "platform/mfc/afxstate.h"
#include "platform/mfc/cobject.h"

#include <windows.h>

class CDC;

class CGdiObject : public CObject
{
public:
    CGdiObject() : m_hObject(nullptr) {}
    ~CGdiObject() override { DeleteObject(); }

    HGDIOBJ m_hObject;

    operator HGDIOBJ() const { return m_hObject; }
    HGDIOBJ GetSafeHandle() const { return m_hObject; }

    static CGdiObject* FromHandle(HGDIOBJ hObject);
    // FALSE when the object already holds a handle or none is given.
    BOOL Attach(HGDIOBJ hObject);
    HGDIOBJ Detach();
    BOOL DeleteObject();
    int GetObject(int nCount, LPVOID lpObject) const;
    BOOL CreateStockObject(int nIndex);
};

class CBitmap : public CGdiObject
{
public:
    static CBitmap* FromHandle(HBITMAP hBitmap);
    operator HBITMAP() const { return static_cast<HBITMAP>(m_hObject); }

    // From the resource module (AfxGetResourceHandle).
    BOOL LoadBitmap(UINT nIDResource);
    BOOL LoadBitmap(LPCSTR lpszResourceName);
    // One of the system's bitmaps (OBM_CHECK, ...).
    BOOL LoadOEMBitmap(UINT nIDBitmap);
    BOOL CreateBitmap(int nWidth, int nHeight, UINT nPlanes, UINT nBitcount, const void* lpBits);
    BOOL CreateCompatibleBitmap(CDC* pDC, int nWidth, int nHeight);
    int GetBitmap(BITMAP* pBitMap) const;
};

class CBrush : public CGdiObject
{
public:
    CBrush() = default;
    explicit CBrush(COLORREF crColor) { CreateSolidBrush(crColor); }

    static CBrush* FromHandle(HBRUSH hBrush);
    operator HBRUSH() const { return static_cast<HBRUSH>(m_hObject); }

    BOOL CreateSolidBrush(COLORREF crColor);
    BOOL CreatePatternBrush(CBitmap* pBitmap);
    BOOL CreateSysColorBrush(int nIndex);
};

class CFont : public CGdiObject
{
public:
    static CFont* FromHandle(HFONT hFont);
    operator HFONT() const { return static_cast<HFONT>(m_hObject); }

    BOOL CreateFontIndirect(const LOGFONTA* lpLogFont);
    int GetLogFont(LOGFONTA* pLogFont) const;
};

class CPen : public CGdiObject
{
public:
    CPen() = default;
    CPen(int nPenStyle, int nWidth, COLORREF crColor) { CreatePen(nPenStyle, nWidth, crColor); }

    static CPen* FromHandle(HPEN hPen);
    operator HPEN() const { return static_cast<HPEN>(m_hObject); }

    BOOL CreatePen(int nPenStyle, int nWidth, COLORREF crColor);
};

template <class T>
struct AfxGdiTempTraits
{
    static void Wrap(T& o, HGDIOBJ h) { o.m_hObject = h; }
    static void Release(T& o) { o.m_hObject = nullptr; }
    static bool IsStale(const T& o) { return ::GetObjectType(o.m_hObject) == 0; }
};
template <> struct AfxTempTraits<CGdiObject> : AfxGdiTempTraits<CGdiObject> {};
template <> struct AfxTempTraits<CBitmap> : AfxGdiTempTraits<CBitmap> {};
template <> struct AfxTempTraits<CBrush> : AfxGdiTempTraits<CBrush> {};
template <> struct AfxTempTraits<CFont> : AfxGdiTempTraits<CFont> {};
template <> struct AfxTempTraits<CPen> : AfxGdiTempTraits<CPen> {};
