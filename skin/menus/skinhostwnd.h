#pragma once
// The windows the toolkit makes for its own objects (popup menus and the
// tooltip) share one window procedure: the object given at creation is kept
// in the property "this" and receives every message. CSkinHostWnd is their
// base: a non-client frame of the nine parts of the object's shape, made
// into a window region when the skin asks for regions.

#include <windows.h>

#include "skin/core/skinwnd.h"

class CSkinShapeObject;

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

    // The object's shape, NULL when the object is none.
    const CSkinShapeObject* GetShape() const;
    // The frame's widths: left part, top-left part, right part, bottom-left
    // part (left and right swap in a mirrored window).
    RECT GetBorders() const;
    // The nine parts fitted to a window of that size.
    void FitFrame(int width, int height, RECT parts[9]) const;

protected:
    // WM_NCCALCSIZE with wParam TRUE: the proposed rectangle less the frame
    // (and extraTop more at the top).
    void ShrinkByFrame(RECT* proposed, int extraTop) const;
    // WM_NCPAINT: a new size gets a new region first; otherwise the frame is
    // drawn into a picture and its four strips copied to the window.
    void PaintFrame();
    // The frame's parts into a DC of the window's size, missing pictures
    // filled with the frame colour.
    void DrawFrame(HDC dc, int width, int height);
    virtual COLORREF GetFrameColour() const;
    // The client background: the centre image, else the fill colour.
    void DrawClientBackground(HDC dc, const RECT& rect, COLORREF fill);
    // The transparent colour of the skin's images (the Application
    // object's colour 3).
    COLORREF GetKeyColour() const;
    bool IsMirrored() const;

    // Drops the remembered size so that the next frame paint builds the
    // region again (a new object).
    void ForgetSize() { m_lastSize.cx = m_lastSize.cy = -1; }

private:
    HRGN BuildRegion(int width, int height) const;

    SIZE m_lastSize;
};
