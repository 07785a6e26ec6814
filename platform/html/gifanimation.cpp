#include "platform/html/gifanimation.h"

#include "platform/html/giffile.h"
#include "platform/html/olepicture.h"
#include "platform/html/resourceuri.h"

#include <cstring>

struct CGifAnimation::Playback
{
    LONG refs = 1;
    CRITICAL_SECTION lock;
    HANDLE stopEvent;       // manual reset, set while Stop runs
    HANDLE runEvent;        // manual reset, reset while paused
    volatile LONG stop = 0;
    HWND window = nullptr;
    HDC dc = nullptr;
    HBITMAP bitmap = nullptr;
    HGDIOBJ oldBitmap = nullptr;
    int width = 0, height = 0;
    COLORREF background = RGB(255, 255, 255);
    std::vector<Frame> frames;

    Playback()
    {
        InitializeCriticalSection(&lock);
        stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        runEvent = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    }
    void AddRef() { InterlockedIncrement(&refs); }
    void Release()
    {
        if (InterlockedDecrement(&refs) == 0)
            delete this;
    }

private:
    ~Playback()
    {
        for (Frame& f : frames)
            f.picture->Release();
        if (dc)
        {
            SelectObject(dc, oldBitmap);
            DeleteDC(dc);
        }
        if (bitmap)
            DeleteObject(bitmap);
        CloseHandle(stopEvent);
        CloseHandle(runEvent);
        DeleteCriticalSection(&lock);
    }
};

namespace
{
void FillRectColor(HDC dc, int x, int y, int w, int h, COLORREF color)
{
    RECT r = {x, y, x + w, y + h};
    HBRUSH brush = CreateSolidBrush(color);
    FillRect(dc, &r, brush);
    DeleteObject(brush);
}
}  // namespace

CGifAnimation::CGifAnimation() : m_play(new Playback())
{
}

CGifAnimation::~CGifAnimation()
{
    Unload();
    m_play->Release();
}

DWORD CGifAnimation::FrameWaitMs(int delay)
{
    if (delay < 0)
        return 0;
    if (delay < 5)
        return 100;
    return delay >= 1000 ? 10000 : static_cast<DWORD>(delay) * 10;
}

const std::vector<CGifAnimation::Frame>& CGifAnimation::Frames() const
{
    return m_play->frames;
}

bool CGifAnimation::IsAnimated() const
{
    return m_isGif && m_play->frames.size() >= 2;
}

bool CGifAnimation::Playing() const
{
    return m_thread && WaitForSingleObject(m_thread, 0) == WAIT_TIMEOUT;
}

COLORREF CGifAnimation::BackgroundColor() const
{
    return m_background;
}

bool CGifAnimation::LoadFromResource(HWND window, HMODULE module, LPCSTR name, LPCSTR type)
{
    const BYTE* data = nullptr;
    DWORD size = 0;
    if (!LoadResourceBytes(module ? module : GetModuleHandleA(nullptr), name, type, &data, &size))
        return false;
    // Load keeps copies (one picture per frame), never the resource's bytes.
    return Load(window, data, size);
}

bool CGifAnimation::Load(HWND window, const BYTE* data, size_t size)
{
    Unload();
    if (!data || size == 0)
        return false;
    CGifFile gif;
    int width = 0, height = 0;
    if (gif.Open(data, size))
    {
        m_isGif = true;
        width = gif.Width();
        height = gif.Height();
        COLORREF bg;
        if (gif.BackgroundColor(bg))
            m_background = bg;
        size_t frames = gif.CountFrames();
        if (frames == 0)
        {
            Unload();
            return false;
        }
        if (frames >= 2)
        {
            // Each frame is a picture of its own: past the frame limit or the
            // memory bound the rest of the file is left out.
            size_t pos = gif.FirstBlock();
            GifFrameInfo info;
            ULONGLONG bytes = 0;
            while (m_play->frames.size() < kMaxFrames && gif.NextFrame(pos, info))
            {
                bytes += static_cast<ULONGLONG>(info.width) * info.height * 4;
                if (bytes > kMaxFrameBytes)
                    break;
                std::vector<BYTE> one = gif.FrameGif(info);
                IPicture* picture = one.empty() ? nullptr : LoadOlePicture(one.data(), one.size());
                if (picture)
                    m_play->frames.push_back({picture, info.left, info.top, info.width, info.height, info.delay, info.disposal});
            }
            if (m_play->frames.empty())
            {
                Unload();
                return false;
            }
        }
    }
    if (m_isGif && m_play->frames.empty())
    {
        // One frame, cut out on its own: data cut short after it (where the
        // walk stops) still shows it.
        size_t pos = gif.FirstBlock();
        GifFrameInfo info;
        std::vector<BYTE> one;
        if (gif.NextFrame(pos, info))
            one = gif.FrameGif(info);
        m_picture = one.empty() ? nullptr : LoadOlePicture(one.data(), one.size());
    }
    if (m_play->frames.empty() && !m_picture)
    {
        m_picture = LoadOlePicture(data, size);
        if (!m_picture)
        {
            Unload();
            return false;
        }
        OlePictureSize(m_picture, width, height);
    }
    if (!Prepare(window, width, height))
    {
        Unload();
        return false;
    }
    return true;
}

bool CGifAnimation::Prepare(HWND window, int width, int height)
{
    if (width <= 0 || height <= 0 || width > 4096 || height > 4096)
        return false;
    m_width = width;
    m_height = height;
    m_window = window;
    if (window)
        SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    HDC windowDC = GetDC(window);
    Playback* p = m_play;
    p->dc = CreateCompatibleDC(windowDC);
    p->bitmap = p->dc ? CreateCompatibleBitmap(windowDC, width, height) : nullptr;
    ReleaseDC(window, windowDC);
    if (!p->bitmap)
        return false;
    p->oldBitmap = SelectObject(p->dc, p->bitmap);
    p->width = width;
    p->height = height;
    p->window = window;
    m_background = GetSysColor(COLOR_BTNFACE);
    p->background = m_background;
    RECT all = {0, 0, width, height};
    FillRect(p->dc, &all, GetSysColorBrush(COLOR_MENU));
    return true;
}

void CGifAnimation::Unload()
{
    Stop();
    if (m_picture)
    {
        m_picture->Release();
        m_picture = nullptr;
    }
    // The playback goes with whatever thread still holds it; a fresh one
    // takes its place.
    m_play->Release();
    m_play = new Playback();
    m_width = m_height = 0;
    m_isGif = false;
    m_background = RGB(255, 255, 255);
    m_window = nullptr;
}

void CGifAnimation::SetBackgroundColor(COLORREF color)
{
    Playback* p = m_play;
    if (!p->dc)
        return;
    m_background = color;
    EnterCriticalSection(&p->lock);
    p->background = color;
    FillRectColor(p->dc, 0, 0, p->width, p->height, color);
    LeaveCriticalSection(&p->lock);
}

bool CGifAnimation::Start()
{
    Playback* p = m_play;
    if (!p->dc)
        return false;
    if (IsAnimated())
    {
        if (Playing())
        {
            SetEvent(p->runEvent);
            return false;
        }
        if (m_thread)
        {
            CloseHandle(m_thread);
            m_thread = nullptr;
        }
        ResetEvent(p->stopEvent);
        InterlockedExchange(&p->stop, 0);
        SetEvent(p->runEvent);
        p->AddRef();  // the thread's own reference
        m_thread = CreateThread(nullptr, 0, Thread, p, CREATE_SUSPENDED, nullptr);
        if (!m_thread)
        {
            p->Release();
            return false;
        }
        ResumeThread(m_thread);
        return false;
    }
    if (!m_picture)
        return false;
    EnterCriticalSection(&p->lock);
    bool ok = RenderOlePicture(m_picture, p->dc, 0, 0, m_width, m_height);
    LeaveCriticalSection(&p->lock);
    if (ok && m_window)
        InvalidateRect(m_window, nullptr, FALSE);
    return ok;
}

void CGifAnimation::Pause(bool pause)
{
    if (pause)
        ResetEvent(m_play->runEvent);
    else
        SetEvent(m_play->runEvent);
}

void CGifAnimation::Stop()
{
    Playback* p = m_play;
    InterlockedExchange(&p->stop, 1);
    SetEvent(p->stopEvent);
    SetEvent(p->runEvent);  // a paused thread must see the stop
    bool ended = true;
    if (m_thread)
    {
        ended = WaitForSingleObject(m_thread, 5000) == WAIT_OBJECT_0;
        CloseHandle(m_thread);
        m_thread = nullptr;
    }
    if (ended)
    {
        ResetEvent(p->stopEvent);
        InterlockedExchange(&p->stop, 0);
        return;
    }
    // A thread that did not end keeps its playback and ends on its own; the
    // picture is loaded again into a new one only by the next Load.
    m_play = new Playback();
    p->Release();
    if (m_picture)
    {
        m_picture->Release();
        m_picture = nullptr;
    }
    m_isGif = false;
}

void CGifAnimation::Paint(HDC dc)
{
    Playback* p = m_play;
    EnterCriticalSection(&p->lock);
    if (p->dc)
        BitBlt(dc, 0, 0, p->width, p->height, p->dc, 0, 0, SRCCOPY);
    LeaveCriticalSection(&p->lock);
}

CGifAnimation::CPictureHold::CPictureHold(Playback* play) : m_play(play)
{
    m_play->AddRef();
    EnterCriticalSection(&m_play->lock);
}

CGifAnimation::CPictureHold::~CPictureHold()
{
    LeaveCriticalSection(&m_play->lock);
    m_play->Release();
}

std::unique_ptr<CGifAnimation::CPictureHold> CGifAnimation::HoldPicture()
{
    return std::unique_ptr<CPictureHold>(new CPictureHold(m_play));
}

COLORREF CGifAnimation::PixelAt(int x, int y)
{
    Playback* p = m_play;
    EnterCriticalSection(&p->lock);
    COLORREF c = p->dc ? GetPixel(p->dc, x, y) : CLR_INVALID;
    LeaveCriticalSection(&p->lock);
    return c;
}

DWORD WINAPI CGifAnimation::Thread(LPVOID param)
{
    Playback* p = static_cast<Playback*>(param);
    HANDLE timer = CreateWaitableTimerA(nullptr, TRUE, nullptr);
    if (!timer)
    {
        p->Release();
        return 0;
    }
    size_t i = 0;
    while (!p->stop)
    {
        if (i == p->frames.size())
        {
            i = 0;
            EnterCriticalSection(&p->lock);
            RECT all = {0, 0, p->width, p->height};
            FillRect(p->dc, &all, GetSysColorBrush(COLOR_MENU));
            LeaveCriticalSection(&p->lock);
        }
        // A pause holds the thread here, between frames and without the lock.
        HANDLE run[2] = {p->stopEvent, p->runEvent};
        WaitForMultipleObjects(2, run, FALSE, INFINITE);
        if (p->stop)
            break;
        Frame& f = p->frames[i++];
        HDC saved = nullptr;
        HBITMAP savedBitmap = nullptr;
        HGDIOBJ savedOld = nullptr;
        EnterCriticalSection(&p->lock);
        if (f.disposal == 3 && f.width > 0 && f.height > 0)
        {
            saved = CreateCompatibleDC(p->dc);
            savedBitmap = CreateCompatibleBitmap(p->dc, f.width, f.height);
            if (saved && savedBitmap)
            {
                savedOld = SelectObject(saved, savedBitmap);
                BitBlt(saved, 0, 0, f.width, f.height, p->dc, f.left, f.top, SRCCOPY);
            }
        }
        bool drawn = RenderOlePicture(f.picture, p->dc, f.left, f.top, f.width, f.height);
        LeaveCriticalSection(&p->lock);
        if (drawn && p->window)
            InvalidateRect(p->window, nullptr, FALSE);
        DWORD wait = FrameWaitMs(f.delay);
        if (wait && !p->stop)
        {
            LARGE_INTEGER due;
            due.QuadPart = -10000LL * wait;
            SetWaitableTimer(timer, &due, 0, nullptr, nullptr, FALSE);
            HANDLE both[2] = {timer, p->stopEvent};
            WaitForMultipleObjects(2, both, FALSE, 10000);
        }
        EnterCriticalSection(&p->lock);
        if (!p->stop)
        {
            if (f.disposal == 2)
                FillRectColor(p->dc, f.left, f.top, f.width, f.height, p->background);
            else if (f.disposal == 3 && savedOld)
                BitBlt(p->dc, f.left, f.top, f.width, f.height, saved, 0, 0, SRCCOPY);
        }
        if (saved)
        {
            if (savedOld)
                SelectObject(saved, savedOld);
            DeleteDC(saved);
        }
        if (savedBitmap)
            DeleteObject(savedBitmap);
        LeaveCriticalSection(&p->lock);
    }
    CloseHandle(timer);
    p->Release();
    return 0;
}
