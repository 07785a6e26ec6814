#pragma once
// CSkinGroupBox: the skinner of group boxes. The frame picture (a line
// whose inside is the key colour, or a panel) covers the control from the
// middle of the caption down; the caption sits on the parent's picture or
// the object's caption picture, whose margins pad the text. The box paints
// all it covers but the controls laid over it.

#include "skin/controls/skincontrol.h"

class CSkinGroupBox : public CSkinControl
{
public:
    explicit CSkinGroupBox(CSkinWnd* parent);

    BOOL Attach(HWND hwnd) override;
    void Paint(HDC dc) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // The caption's rect for the current text and font (for an empty text
    // the height of "A"), and whether there is a caption to draw.
    RECT CaptionRect(bool* hasText = NULL) const;
    // Where the frame runs: from the caption's middle to the bottom.
    RECT FrameRect(const RECT& caption) const;

protected:
    void ClipPaint(HDC dc) override;
};
