#pragma once
// CSkinDialog: the skinner of every dialog (class "#32770"). A framed
// dialog (WS_DLGFRAME or DS_MODALFRAME) gets its non-client area from its
// FrameWnd object: frame, caption, caption elements, window region, hit
// testing, mouse handling and track sizes. Every dialog gets the skinned
// client background (the object's centre picture), which its child
// controls copy behind themselves, and transparent static texts.

#include <memory>

#include "skin/core/skinwnd.h"
#include "skin/draw/skinmemdc.h"

// Sent by a control skinner to its parent: copy the background behind the
// control (lParam) into the control's DC (wParam).
const UINT WM_SKIN_PARENT_BACKGROUND = 6037;

class CSkinDialog : public CSkinWnd
{
public:
    CSkinDialog();

    BOOL Attach(HWND hwnd) override;
    void Detach() override;
    CSkinObject* SetSkinObject(CSkinObject* object) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Alt+Space opens the skinned system menu of a framed dialog.
    LRESULT OnMenuKey(WPARAM key, LPARAM keyData) override;
    RECT GetBorderSizes() const override;
    void RedrawFrameRect(const RECT& rect) override;

    bool IsFramed() const;
    // The non-client hit-test code of a screen point.
    LRESULT HitTest(POINT screen);

private:
    LRESULT FramedProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT FramelessProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Resizes a framed dialog so that a client area of this size fits the
    // skin's frame.
    void FitWindowToClient(const RECT& client);
    void OnGetMinMaxInfo(MINMAXINFO* info);
    void OnNcCalcSize(RECT* proposed);
    // Paints the frame within the update region (screen coordinates; 1:
    // all of it); render draws the picture anew, else the kept one serves.
    void PaintFrame(HRGN update, bool render);
    // Repaints the frame after the dialog's own procedure had a message
    // that may have drawn into it.
    void RepaintFrame();
    BOOL EraseBackground(HDC dc);
    // The client background of the current client size, made when missing
    // or out of size.
    bool MakeBackground();
    void DeleteBackground();
    LRESULT OnNcButton(UINT message, WPARAM wParam, LPARAM lParam);
    POINT WindowPoint(LPARAM screen) const;

    RECT m_lastWindowRect;
    bool m_laidOut;
    int m_redrawPending;
    DWORD m_styleAtAttach;
    // The frame as last drawn, window-sized.
    std::unique_ptr<CSkinMemDC> m_frame;
};
