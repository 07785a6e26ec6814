#pragma once
// Shared helpers of the skin toolkit tests: test data files, packed skins
// made in memory, and a fake skinner factory.

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

#include "skin/core/skinmanager.h"
#include "skin/core/skinmemstream.h"
#include "skin/core/skinstore.h"
#include "skin/core/skinwnd.h"
#include "skin/draw/skindib.h"

inline std::string SkinTestPath(const std::string& name)
{
    char path[MAX_PATH];
    GetModuleFileNameA(NULL, path, MAX_PATH);
    std::string folder(path);
    folder.resize(folder.find_last_of('\\') + 1);
    return folder + name;
}

inline std::vector<BYTE> ReadTestFile(const std::string& name)
{
    std::vector<BYTE> data;
    HANDLE file = CreateFileA(SkinTestPath(name).c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return data;
    DWORD size = GetFileSize(file, NULL), read = 0;
    data.resize(size);
    if (size)
        ReadFile(file, &data[0], size, &read, NULL);
    CloseHandle(file);
    data.resize(read);
    return data;
}

// The builder's rendering of tests/skin/data/alltypes.skin in one version.
inline std::vector<BYTE> AllTypesFile(int minor)
{
    return ReadTestFile("testdata\\skin\\alltypes_1_" + std::to_string(minor) + ".skn");
}

// The builder's rendering of tests/skin/data/blocks.skin: solid colour
// blocks for pixel tests.
inline std::vector<BYTE> BlocksSkinFile()
{
    return ReadTestFile("testdata\\skin\\blocks_1_18.skn");
}

inline std::vector<BYTE> BuiltinSkinFile()
{
    return ReadTestFile("skin\\builtin.skn");
}

inline std::vector<BYTE> BytesOf(const CSkinMemStream& s)
{
    return std::vector<BYTE>(s.GetBuffer(), s.GetBuffer() + s.GetSize());
}

// Bytes through Pack or Unpack; empty when it fails.
inline std::vector<BYTE> Converted(const std::vector<BYTE>& data,
                                   bool (*convert)(const CSkinMemStream&, CSkinMemStream&))
{
    CSkinMemStream in(data.empty() ? NULL : &data[0], (DWORD)data.size());
    CSkinMemStream out;
    return convert(in, out) ? BytesOf(out) : std::vector<BYTE>();
}

inline std::vector<BYTE> Unpacked(const std::vector<BYTE>& packed)
{
    return Converted(packed, CSkinMemStream::Unpack);
}

inline std::vector<BYTE> Packed(const std::vector<BYTE>& unpacked)
{
    return Converted(unpacked, CSkinMemStream::Pack);
}

// Loads packed bytes into store; answers the load result.
inline BOOL LoadBytes(CSkinStore& store, const std::vector<BYTE>& packed)
{
    CSkinMemStream in(packed.empty() ? NULL : &packed[0], (DWORD)packed.size());
    return store.Load(in);
}

inline std::vector<BYTE> SavedBytes(const CSkinStore& store)
{
    CSkinMemStream out;
    store.Save(out);
    return BytesOf(out);
}

inline bool operator==(const RECT& a, const RECT& b)
{
    return EqualRect(&a, &b) || (a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom);
}

inline std::ostream& operator<<(std::ostream& out, const RECT& r)
{
    return out << "{" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << "}";
}

// A colour written 0xRRGGBB (as the pictures answer) as a COLORREF.
inline COLORREF Rgb(DWORD hex)
{
    return RGB(hex >> 16, (hex >> 8) & 0xFF, hex & 0xFF);
}

// A 32-bit top-down memory picture whose pixels the tests read directly,
// as 0xRRGGBB.
class MemoryPicture
{
public:
    MemoryPicture(int w, int h, DWORD fill) : m_dib(w, h, 32)
    {
        for (int i = 0; i < w * h; ++i)
            m_dib.Pixels()[i] = fill;
    }
    HDC DC() const { return m_dib.GetDC(); }
    int Width() const { return m_dib.Width(); }
    int Height() const { return m_dib.Height(); }
    DWORD At(int x, int y) const
    {
        GdiFlush();
        return m_dib.Pixels()[y * m_dib.Width() + x] & 0xFFFFFF;
    }

private:
    CSkinDib m_dib;
};

// A skinner that only subclasses its window; counts what happens to it.
class CTestSkinner : public CSkinWnd
{
public:
    explicit CTestSkinner(bool attachFails = false) : m_attachFails(attachFails) { ++s_live; }
    ~CTestSkinner() override { --s_live; }
    BOOL Attach(HWND hwnd) override { return m_attachFails ? FALSE : CSkinWnd::Attach(hwnd); }
    LRESULT OnMenuKey(WPARAM wParam, LPARAM) override
    {
        s_lastMenuKey = (int)wParam;
        return s_swallowMenuKeys;
    }

    bool m_attachFails;
    static int s_live;
    static int s_lastMenuKey;
    static LRESULT s_swallowMenuKeys;
};

// Makes CTestSkinner for every kind; failing attaches on request.
class CTestSkinnerFactory : public ISkinnerFactory
{
public:
    CTestSkinnerFactory() : m_attachFails(false), m_dialogs(0), m_controls(0) {}
    CSkinWnd* CreateDialogSkinner() override
    {
        ++m_dialogs;
        return new CTestSkinner(m_attachFails);
    }
    CSkinWnd* CreateFrameSkinner() override { return new CTestSkinner(m_attachFails); }
    CSkinWnd* CreateControlSkinner(int, CSkinWnd*) override
    {
        ++m_controls;
        return new CTestSkinner(m_attachFails);
    }
    bool m_attachFails;
    int m_dialogs;
    int m_controls;
};

// A top-level window of a private class (or a child of parent) for skinners.
HWND MakeTestWindow(HWND parent = NULL, LPCSTR className = NULL, DWORD style = 0);
