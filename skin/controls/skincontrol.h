#pragma once
// CSkinControl: the base of every control skinner. It lets the parent veto
// the skinning, takes the control's own object from the skinned ancestor's
// object (by control id) with its font and position, follows hovering
// (repainting and showing the tooltip), paints through one memory bitmap
// per WM_PAINT, gives the control's own font back on detach, and tells its
// parent skinner when the control goes.

#include "skin/core/skinwnd.h"

// Asked of the control's parent before skinning (wParam the control id,
// lParam the control): non-zero keeps the control's system look.
const UINT WM_SKIN_ATTACH_VETO = 33768;
// Posted to the control before the skin font: remember the current font.
const UINT WM_SKIN_SAVE_FONT = 6038;

class CSkinControl : public CSkinWnd
{
public:
    CSkinControl(CSkinWnd* parent, int type);

    BOOL Attach(HWND hwnd) override;
    void Detach() override;
    // Re-targets an attached control, its font included: a font of the
    // previous object is never left in the control.
    CSkinObject* SetSkinObject(CSkinObject* object) override;
    void OnNcDestroy() override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    bool IsHovering() const { return m_hovering != 0; }
    HWND GetParentWindow() const { return m_parentWindow; }

protected:
    // Progress bars, scroll bars, sliders and spins draw no text.
    bool TakesFont() const;
    // The object's font when it asks for it (value 5) and the control takes
    // fonts; NULL otherwise.
    HFONT SkinFontOf(CSkinObject* object) const;
    // Posts the font hand-over: remember the control's font, then set the
    // skin font. Posted, because a control skinned while its dialog is
    // being created gets the dialog's font only afterwards.
    void HandFont(bool redraw);
    // Drops a hand-over still in the queue.
    void CancelQueuedFont();
    void RepaintNow();
    // Leaves out of the paint DC what the control must not paint over
    // (windows laid over it); nothing in the base.
    virtual void ClipPaint(HDC) {}

    HFONT m_savedFont;
    bool m_savedFontKnown;
    bool m_fontHanded;
    int m_hovering;
    HWND m_parentWindow;
    int m_type;
};
