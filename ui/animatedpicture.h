#pragma once
// A static control that shows a picture and plays it when it is an animated
// GIF (CGifAnimation: one OLE picture per frame, rendered in turn by a worker
// thread into an off-screen bitmap the control paints from). Other pictures,
// and a GIF of one frame, are drawn once by Start. The control takes the
// picture's size where it stands.
//
//   m_animation.SubclassDlgItem(IDC_ANIMATION, this);
//   m_animation.LoadFromResource(MAKEINTRESOURCE(172), "ANIMATED_GIF");
//   m_animation.SetBackgroundColor(RGB(255, 255, 255));
//   m_animation.Start();    // Pause(TRUE) / Pause(FALSE) / Stop()
//
// Painting and the thread never use the off-screen bitmap at once; Stop
// wakes a paused thread before waiting for it, and what a thread that does
// not end in time still uses is left to it.

#include "platform/html/gifanimation.h"
#include "platform/mfc/afxwin.h"

class CAnimatedPicture : public CStatic
{
public:
    CAnimatedPicture();
    ~CAnimatedPicture() override;

    // From the program's own module; FALSE when missing or not a picture.
    BOOL LoadFromResource(LPCSTR lpszName, LPCSTR lpszType);
    // The picture in a global memory block of at least dwSize bytes.
    BOOL Load(HGLOBAL hGlobal, DWORD dwSize);
    void UnLoad();

    // An animation starts playing (FALSE); a still picture is drawn once
    // (TRUE when that worked). Starting a playing animation starts no second
    // thread; a paused one plays on.
    BOOL Start();
    // TRUE (1) holds the animation between two frames; anything else lets it go on.
    void Pause(BOOL bSuspend);
    // Ends the animation thread, waiting at most 5000 ms.
    void Stop();

    // Only once a picture is loaded: the colour disposal method 2 restores.
    void SetBackgroundColor(COLORREF color);
    COLORREF GetBackgroundColor() const { return m_animation.BackgroundColor(); }
    // A GIF of two frames or more.
    BOOL IsGIF() const { return m_animation.IsAnimated(); }
    BOOL IsPlaying() const { return m_animation.Playing(); }
    CSize GetSize() const { return CSize(m_animation.Width(), m_animation.Height()); }

protected:
    afx_msg void OnPaint();
    afx_msg void OnDestroy();
    afx_msg LRESULT OnPrintClient(WPARAM wParam, LPARAM lParam);
    DECLARE_MESSAGE_MAP()

private:
    CGifAnimation m_animation;
};
