#include "ui/animatedpicture.h"

#include "platform/html/resourceuri.h"

#include <cstring>

BEGIN_MESSAGE_MAP(CAnimatedPicture, CStatic)
    ON_WM_PAINT()
    ON_WM_DESTROY()
    ON_MESSAGE(WM_PRINTCLIENT, OnPrintClient)
END_MESSAGE_MAP()

CAnimatedPicture::CAnimatedPicture() = default;

CAnimatedPicture::~CAnimatedPicture()
{
    UnLoad();
}

BOOL CAnimatedPicture::LoadFromResource(LPCSTR lpszName, LPCSTR lpszType)
{
    const BYTE* data = nullptr;
    DWORD size = 0;
    if (!LoadResourceBytes(AfxGetInstanceHandle(), lpszName, lpszType, &data, &size))
        return FALSE;
    HGLOBAL block = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
    void* copy = block ? ::GlobalLock(block) : nullptr;
    if (!copy)
    {
        if (block)
            ::GlobalFree(block);
        return FALSE;
    }
    memcpy(copy, data, size);
    ::GlobalUnlock(block);
    BOOL loaded = Load(block, size);
    ::GlobalFree(block);
    return loaded;
}

BOOL CAnimatedPicture::Load(HGLOBAL hGlobal, DWORD dwSize)
{
    UnLoad();
    const BYTE* data = hGlobal ? static_cast<const BYTE*>(::GlobalLock(hGlobal)) : nullptr;
    if (!data)
        return FALSE;
    // The size the caller gives never reaches past the block.
    SIZE_T blockSize = ::GlobalSize(hGlobal);
    size_t size = dwSize < blockSize ? dwSize : blockSize;
    bool loaded = m_animation.Load(m_hWnd, data, size);
    ::GlobalUnlock(hGlobal);
    return loaded ? TRUE : FALSE;
}

void CAnimatedPicture::UnLoad()
{
    m_animation.Unload();
}

BOOL CAnimatedPicture::Start()
{
    return m_animation.Start() ? TRUE : FALSE;
}

void CAnimatedPicture::Pause(BOOL bSuspend)
{
    m_animation.Pause(bSuspend == 1);
}

void CAnimatedPicture::Stop()
{
    m_animation.Stop();
}

void CAnimatedPicture::SetBackgroundColor(COLORREF color)
{
    m_animation.SetBackgroundColor(color);
}

void CAnimatedPicture::OnPaint()
{
    CPaintDC dc(this);
    m_animation.Paint(dc.m_hDC);
}

LRESULT CAnimatedPicture::OnPrintClient(WPARAM wParam, LPARAM)
{
    m_animation.Paint(reinterpret_cast<HDC>(wParam));
    return 0;
}

void CAnimatedPicture::OnDestroy()
{
    Stop();
    CStatic::OnDestroy();
}
