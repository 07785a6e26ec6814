#pragma once
// CSkinStatic: the skinner of static controls: text on the object's
// background picture or the parent's, icons and bitmaps on the parent's.
// Owner-drawn, simple and enhanced-metafile statics are not skinned, nor are
// the frame, rectangle and etched kinds (separators), which keep the
// system's look.

#include "skin/controls/skincontrol.h"

class CSkinStatic : public CSkinControl
{
public:
    explicit CSkinStatic(CSkinWnd* parent);

    BOOL Attach(HWND hwnd) override;
    void Paint(HDC dc) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Whether a static of this style gets a skinner.
    static bool IsSkinnableStyle(DWORD style);
    // The DrawText flags of a text static's style.
    static UINT TextFlags(DWORD style, bool rightToLeft);

private:
    void PaintBackground(HDC dc);
};
