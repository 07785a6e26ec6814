#pragma once
// A picture for a static control, played when it is an animated GIF: the
// GIF is cut into one small GIF per frame, each decoded by the OLE picture
// loader, and a worker thread renders the frames in turn into an off-screen
// bitmap, timed by a waitable timer. Other pictures (and a GIF of one frame)
// are drawn once.
//
// The off-screen bitmap, the frames and the thread's events live in one
// shared playback object: the thread holds a reference of its own, so
// unloading while a thread that would not stop in time still runs frees
// nothing it uses. Rendering and painting take the playback's lock, so the
// two never use the memory context at the same time. A pause is a state the
// thread waits in between frames, never a suspension that could hold the lock.

#include <windows.h>
#include <ocidl.h>

#include <memory>
#include <vector>

class CGifAnimation
{
    // The off-screen picture, the frames and the thread's events.
    struct Playback;

public:
    CGifAnimation();
    ~CGifAnimation();
    CGifAnimation(const CGifAnimation&) = delete;
    CGifAnimation& operator=(const CGifAnimation&) = delete;

    // Loads a picture for a window (resized to the picture, without moving).
    bool Load(HWND window, const BYTE* data, size_t size);
    bool LoadFromResource(HWND window, HMODULE module, LPCSTR name, LPCSTR type);
    void Unload();

    // An animation starts its thread (and answers FALSE); a still picture is
    // rendered once (TRUE when that worked). A playing animation starts no
    // second thread; a paused one plays on.
    bool Start();
    void Pause(bool pause);
    // Ends the thread (waiting at most 5000 ms), resuming it first if paused.
    void Stop();

    // Only once the off-screen bitmap exists.
    void SetBackgroundColor(COLORREF color);
    COLORREF BackgroundColor() const;
    bool IsAnimated() const;  // a GIF of two frames or more
    bool Playing() const;
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    struct Frame
    {
        IPicture* picture;
        int left, top, width, height;
        int delay;     // hundredths of a second, -1 without a control extension
        int disposal;
    };
    const std::vector<Frame>& Frames() const;

    // Copies the off-screen picture to a context at (0, 0).
    void Paint(HDC dc);
    // Holds the off-screen picture as Paint does, for as long as the holder
    // lives (tests: the thread renders nothing meanwhile, and a Stop then
    // finds a thread that cannot end in time).
    class CPictureHold
    {
    public:
        ~CPictureHold();

    private:
        friend class CGifAnimation;
        explicit CPictureHold(Playback* play);
        Playback* m_play;
    };
    std::unique_ptr<CPictureHold> HoldPicture();
    // The off-screen pixel, for tests.
    COLORREF PixelAt(int x, int y);

    // Milliseconds to show a frame: 100 for 0 to 4, at most 10000, 0 for a
    // frame without a control extension.
    static DWORD FrameWaitMs(int delay);

    // An animation plays at most this many frames, holding together at most
    // this many bytes of frame pixels; later frames are left out.
    static constexpr size_t kMaxFrames = 100;
    static constexpr ULONGLONG kMaxFrameBytes = 32 * 1024 * 1024;

private:
    static DWORD WINAPI Thread(LPVOID param);
    bool Prepare(HWND window, int width, int height);

    Playback* m_play;
    HANDLE m_thread = nullptr;
    HWND m_window = nullptr;
    IPicture* m_picture = nullptr;   // a still picture
    int m_width = 0, m_height = 0;
    bool m_isGif = false;
    COLORREF m_background = RGB(255, 255, 255);
};
