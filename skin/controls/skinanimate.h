#pragma once
// CSkinAnimate: the skinner of animation controls. It opens the clip
// itself (a file, or an "AVI" resource written to a temporary file that is
// deleted when the clip is closed), plays it on a thread of its own that
// only steps the frame and asks for a repaint, and paints the frame on the
// object's background or the parent's. The play thread is always ended
// before the skinner lets go of the control.

#include <windows.h>

#include <string>

#include "skin/controls/skinaviplayer.h"
#include "skin/controls/skincontrol.h"

class CSkinAnimate : public CSkinControl
{
public:
    explicit CSkinAnimate(CSkinWnd* parent);
    ~CSkinAnimate() override;

    BOOL Attach(HWND hwnd) override;
    void Detach() override;
    void Paint(HDC dc) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    bool IsPlaying() const { return m_playing != 0; }
    LONG GetFrame() const { return m_frame; }
    bool IsOpen() const { return m_player.GetLength() >= 0; }
    // The temporary copy of a resource clip while it is open; empty
    // otherwise.
    const std::string& GetClipFile() const { return m_clipFile; }

private:
    BOOL Open(HMODULE module, LPCSTR name);
    void Close();
    BOOL Play(int repeat, int from, int to);
    // Ends the play thread; notify sends ACN_STOP.
    void Stop(bool notify);
    void Command(int code);
    static DWORD WINAPI PlayThread(LPVOID self);

    CSkinAviPlayer m_player;
    int m_id;
    volatile LONG m_frame;
    LONG m_first;
    LONG m_last;
    int m_repeat;
    DWORD m_frameTime;
    HANDLE m_thread;
    HANDLE m_stop;
    volatile LONG m_playing;
    std::string m_clipFile;
    std::string m_reservation;
};
