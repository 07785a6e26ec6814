#pragma once
// The windows the toolkit makes for its own objects (popup menus and the
// tooltip) share one window procedure: the object given at creation is kept
// in the property "this" and receives every message. CSkinHostWnd is their
// base: the window base's frame of the object's nine parts as non-client
// area, and its window region.

#include <windows.h>

#include "skin/core/skinwnd.h"

extern const char SKIN_POPUP_MENU_CLASS[];
extern const char SKIN_TOOLTIP_CLASS[];
extern const char SKIN_HOST_THIS_PROP[];

LRESULT CALLBACK SkinHostWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
bool RegisterSkinPopupMenuClass(HINSTANCE instance);
void UnregisterSkinPopupMenuClass(HINSTANCE instance);
bool RegisterSkinTooltipClass(HINSTANCE instance);
void UnregisterSkinTooltipClass(HINSTANCE instance);

class CSkinHostWnd : public CSkinWnd
{
public:
    CSkinHostWnd();
    ~CSkinHostWnd() override;

    // The frame's widths from the object's parts: left part, top-left part,
    // right part, bottom-left part (left and right swap when mirrored).
    RECT GetBorderSizes() const override;
    // The non-client frame, the client through PaintClient, no erase;
    // everything else to DefWindowProc.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    // WM_PAINT: the client drawn into a picture of its size, then copied.
    virtual void PaintClient(HDC, const RECT&) {}
    // WM_NCCALCSIZE with wParam TRUE: the proposed rectangle less the frame.
    void ShrinkByFrame(RECT* proposed) const;
    // WM_NCPAINT: a new size gets a new region first; otherwise the frame is
    // drawn into a picture and its four strips copied to the window.
    void PaintFrame();
    // The client background: the centre image, else the fill colour.
    void DrawClientBackground(HDC dc, const RECT& rect, COLORREF fill);
    bool IsMirrored() const;
    // Drops the remembered size so that the next frame paint builds the
    // region again (a new object).
    void ForgetSize() { m_lastSize.cx = m_lastSize.cy = -1; }

private:
    void OnPaint();

    SIZE m_lastSize;
};
