#pragma once
// Draws a laid-out tree with GDI: backgrounds, borders, text, pictures, form
// check boxes and the scroll bars of overflowing boxes. Only what meets the
// clip rectangle is visited, so a long page costs what its visible part does.

#include <windows.h>

class CHtmlNode;
class CHtmlInlineRun;

class CHtmlPainter
{
public:
    // Paints root with its border box at (x, y) of the device context.
    static void Paint(CHtmlNode* root, HDC dc, int x, int y, const RECT& clip);

    // Parts of a vertical scroll bar of the given height (pixels from its top).
    struct ScrollBar
    {
        int trackTop, trackBottom;  // between the arrows
        int thumbTop, thumbBottom;
        int maxScroll;
    };
    static ScrollBar Measure(int barHeight, int contentHeight, int visibleHeight, int scrollY);
    static void DrawScrollBar(HDC dc, const RECT& bar, const ScrollBar& parts);

    // Scroll bar of an element with overflow, in its border-box coordinates.
    static bool ElementScrollBar(const CHtmlNode* e, RECT& bar, ScrollBar& parts);

private:
    static void PaintElement(CHtmlNode* e, HDC dc, int x, int y, const RECT& clip, int depth);
    static void PaintRun(CHtmlInlineRun& run, HDC dc, int cx, int cy, const RECT& clip, int depth);
    static void PaintBackground(CHtmlNode* e, HDC dc, const RECT& box);
    static void PaintBorders(CHtmlNode* e, HDC dc, const RECT& box);
    static void PaintReplaced(CHtmlNode* e, HDC dc, const RECT& content);
};
