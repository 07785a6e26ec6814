#include "skin/controls/skinaviplayer.h"

#include <string.h>

namespace {

template <class F> void Load(HMODULE module, const char* name, F& function)
{
    function = module ? (F)(void*)GetProcAddress(module, name) : NULL;
}

// The pixels of a packed DIB: after its header, colour masks and palette.
LPVOID PixelsOf(LPBITMAPINFOHEADER header)
{
    DWORD colours = header->biClrUsed;
    if (!colours && header->biBitCount <= 8)
        colours = 1u << header->biBitCount;
    DWORD masks = header->biCompression == BI_BITFIELDS && header->biSize == sizeof(BITMAPINFOHEADER) ? 3 : 0;
    return (BYTE*)header + header->biSize + (masks + colours) * sizeof(RGBQUAD);
}

} // namespace

CSkinAviPlayer::CSkinAviPlayer()
    : m_avifil(LoadLibraryA("avifil32.dll")), m_msvfw(LoadLibraryA("msvfw32.dll")), m_file(NULL), m_stream(NULL),
      m_drawDib(NULL), m_initialised(false)
{
    memset(&m_info, 0, sizeof(m_info));
    Load(m_msvfw, "DrawDibOpen", m_drawDibOpen);
    Load(m_msvfw, "DrawDibClose", m_drawDibClose);
    Load(m_msvfw, "DrawDibDraw", m_drawDibDraw);
    Load(m_avifil, "AVIFileInit", m_fileInit);
    Load(m_avifil, "AVIFileExit", m_fileExit);
    Load(m_avifil, "AVIFileGetStream", m_fileGetStream);
    Load(m_avifil, "AVIStreamGetFrameOpen", m_getFrameOpen);
    Load(m_avifil, "AVIStreamGetFrame", m_getFrame);
    Load(m_avifil, "AVIStreamGetFrameClose", m_getFrameClose);
    Load(m_avifil, "AVIStreamStart", m_streamStart);
    Load(m_avifil, "AVIFileRelease", m_fileRelease);
    Load(m_avifil, "AVIStreamRelease", m_streamRelease);
    Load(m_avifil, "AVIStreamLength", m_streamLength);
    Load(m_avifil, "AVIFileOpenA", m_fileOpen);
    Load(m_avifil, "AVIFileInfoA", m_fileInfo);
    if (IsUsable()) {
        m_fileInit();
        m_initialised = true;
    }
}

CSkinAviPlayer::~CSkinAviPlayer()
{
    Close();
    if (m_drawDib)
        m_drawDibClose(m_drawDib);
    if (m_initialised)
        m_fileExit();
    if (m_avifil)
        FreeLibrary(m_avifil);
    if (m_msvfw)
        FreeLibrary(m_msvfw);
}

bool CSkinAviPlayer::IsUsable() const
{
    return m_drawDibOpen && m_drawDibClose && m_drawDibDraw && m_fileInit && m_fileExit && m_fileGetStream
        && m_getFrameOpen && m_getFrame && m_getFrameClose && m_streamStart && m_fileRelease && m_streamRelease
        && m_streamLength && m_fileOpen && m_fileInfo;
}

bool CSkinAviPlayer::Open(LPCSTR path)
{
    Close();
    if (!m_initialised || !path)
        return false;
    if (m_fileOpen(&m_file, path, OF_READ | OF_SHARE_DENY_WRITE, NULL) != 0) {
        m_file = NULL;
        return false;
    }
    if (m_fileInfo(m_file, &m_info, sizeof(m_info)) != 0
        || m_fileGetStream(m_file, &m_stream, streamtypeVIDEO, 0) != 0) {
        m_stream = NULL;
        Close();
        return false;
    }
    return true;
}

void CSkinAviPlayer::Close()
{
    if (m_stream)
        m_streamRelease(m_stream);
    if (m_file)
        m_fileRelease(m_file);
    m_stream = NULL;
    m_file = NULL;
    memset(&m_info, 0, sizeof(m_info));
}

LONG CSkinAviPlayer::GetLength() const
{
    return m_stream ? m_streamLength(m_stream) : -1;
}

double CSkinAviPlayer::GetFramesPerSecond() const
{
    return m_file && m_info.dwScale ? (double)m_info.dwRate / m_info.dwScale : 0;
}

SIZE CSkinAviPlayer::GetFrameSize() const
{
    SIZE size = {(LONG)m_info.dwWidth, (LONG)m_info.dwHeight};
    return size;
}

BOOL CSkinAviPlayer::DrawFrame(HDC dc, LONG frame)
{
    if (!m_file || !m_stream)
        return 0;
    PGETFRAME decoder = m_getFrameOpen(m_stream, NULL);
    if (!decoder)
        return 0;
    BOOL drawn = 0;
    LPBITMAPINFOHEADER picture = (LPBITMAPINFOHEADER)m_getFrame(decoder, m_streamStart(m_stream) + frame);
    if (!m_drawDib)
        m_drawDib = m_drawDibOpen();
    if (picture && m_drawDib)
        drawn = m_drawDibDraw(m_drawDib, dc, 0, 0, (int)m_info.dwWidth, (int)m_info.dwHeight, picture,
                              PixelsOf(picture), 0, 0, picture->biWidth, picture->biHeight, 0);
    m_getFrameClose(decoder);
    return drawn ? 1 : 0;
}
