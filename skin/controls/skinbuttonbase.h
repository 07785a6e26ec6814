#pragma once
// CSkinButtonBase: the base of the check box and radio button skinners.
// It presses and clicks by mouse and space key itself (the concrete
// skinner's click action decides what a click does), lays out the mark and
// the text from the button style, picks state blocks with fallbacks, and
// paints the push-like look (BS_PUSHLIKE) from a Button object and the
// check look from a state block.

#include "skin/controls/skincontrol.h"
#include "skin/objects/skintypes.h"

class CSkinButtonObject;

class CSkinButtonBase : public CSkinControl
{
public:
    CSkinButtonBase(CSkinWnd* parent, int type);

    BOOL Attach(HWND hwnd) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    bool IsPressed() const { return m_pressed != 0; }

    // Where the mark and the text go in the client area for the style, the
    // text gap pixels away from the mark.
    struct Layout
    {
        RECT mark;
        RECT text;
    };
    static Layout PlaceContent(DWORD style, const RECT& client, SIZE mark, SIZE text, int gap);
    // DrawText flags of the button's text for the style and layout.
    static UINT TextFlags(DWORD style, bool rightToLeft);
    // The wanted block when it is not empty, else the second, else the
    // third.
    static const SkinButtonState& PickState(const SkinButtonState* blocks, int wanted, int second, int third);
    static const SkinCheckState& PickState(const SkinCheckState* blocks, int wanted, int second, int third);
    // The Button object of the push-like look.
    CSkinButtonObject* PushLikeObject() const;
    // The push-like state block for the button's state now.
    virtual const SkinButtonState& PushLikeState() const;

protected:
    // What a click does (toggle, select); nothing in the base.
    virtual void OnClick() {}
    void PaintPushLike(HDC dc);
    // The background (through the parent's picture and the block's grid, or
    // a grid filled with the button face colour), then the mark and text.
    void PaintCheck(HDC dc, const SkinCheckState& block, bool parentBackground);
    // Asks the window behind the control (a tab control holding it, else
    // the parent) to draw the background into dc.
    void PaintParentBackground(HDC dc);
    void UpdatePushLikeRegion();
    // The click action, then BN_CLICKED to the parent.
    void Click();

    int m_pressed;
};
