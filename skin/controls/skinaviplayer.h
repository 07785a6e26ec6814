#pragma once
// CSkinAviPlayer: draws the frames of an AVI clip through the system's
// Video for Windows functions, loaded at run time ("avifil32.dll" and
// "msvfw32.dll"), for the animation control's skinner.

#include <windows.h>
#include <vfw.h>

class CSkinAviPlayer
{
public:
    CSkinAviPlayer();
    ~CSkinAviPlayer();

    // Both libraries and every function were found.
    bool IsUsable() const;
    // Opens the clip's first video stream; closes what was open first.
    bool Open(LPCSTR path);
    void Close();
    // Frames of the open stream, -1 without one.
    LONG GetLength() const;
    // Frames per second (rate / scale of the file), 0 without a file.
    double GetFramesPerSecond() const;
    SIZE GetFrameSize() const;
    // Draws the frame at 0, 0 in the clip's frame size; 0 without a clip.
    BOOL DrawFrame(HDC dc, LONG frame);

private:
    CSkinAviPlayer(const CSkinAviPlayer&);
    CSkinAviPlayer& operator=(const CSkinAviPlayer&);

    HMODULE m_avifil;
    HMODULE m_msvfw;
    HDRAWDIB (VFWAPI* m_drawDibOpen)();
    BOOL (VFWAPI* m_drawDibClose)(HDRAWDIB);
    BOOL (VFWAPI* m_drawDibDraw)(HDRAWDIB, HDC, int, int, int, int, LPBITMAPINFOHEADER, LPVOID, int, int, int, int,
                                 UINT);
    void (STDAPICALLTYPE* m_fileInit)();
    void (STDAPICALLTYPE* m_fileExit)();
    HRESULT (STDAPICALLTYPE* m_fileGetStream)(PAVIFILE, PAVISTREAM*, DWORD, LONG);
    PGETFRAME (STDAPICALLTYPE* m_getFrameOpen)(PAVISTREAM, LPBITMAPINFOHEADER);
    LPVOID (STDAPICALLTYPE* m_getFrame)(PGETFRAME, LONG);
    HRESULT (STDAPICALLTYPE* m_getFrameClose)(PGETFRAME);
    LONG (STDAPICALLTYPE* m_streamStart)(PAVISTREAM);
    ULONG (STDAPICALLTYPE* m_fileRelease)(PAVIFILE);
    ULONG (STDAPICALLTYPE* m_streamRelease)(PAVISTREAM);
    LONG (STDAPICALLTYPE* m_streamLength)(PAVISTREAM);
    HRESULT (STDAPICALLTYPE* m_fileOpen)(PAVIFILE*, LPCSTR, UINT, LPCLSID);
    HRESULT (STDAPICALLTYPE* m_fileInfo)(PAVIFILE, AVIFILEINFOA*, LONG);

    PAVIFILE m_file;
    PAVISTREAM m_stream;
    AVIFILEINFOA m_info;
    HDRAWDIB m_drawDib;
    bool m_initialised;
};
