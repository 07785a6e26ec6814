// Shows an HTML page in the engine's window.
//   cw_html_viewer PAGE [--fill ID=FILE] [--size WxH] [--fit 1] [--save OUT.bmp]
// PAGE is a file or "res:N" (an HTML resource of this program). --fill puts
// a file's markup into the element of that id, as the pages do with their
// generated lists. --fit sizes the root element to the window with
// overflow auto, as the help page's view does. --save writes the window's
// picture and exits.

#include "platform/html/htmlayout.h"
#include "platform/html/htmlnode.h"
#include "platform/html/htmlview.h"
#include "tests/platform/html/threatlist_functions.h"

#include <cstdio>
#include <string>
#include <vector>

namespace
{
std::vector<BYTE> ReadAll(const char* path)
{
    std::vector<BYTE> data;
    FILE* f = fopen(path, "rb");
    if (!f)
        return data;
    BYTE buf[65536];
    size_t n;
    while ((n = fread(buf, 1, sizeof(buf), f)) > 0)
        data.insert(data.end(), buf, buf + n);
    fclose(f);
    return data;
}

bool SaveBitmap(HWND hwnd, const char* path)
{
    RECT rc;
    GetClientRect(hwnd, &rc);
    BITMAPINFO bi = {};
    bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
    bi.bmiHeader.biWidth = rc.right;
    bi.bmiHeader.biHeight = rc.bottom;
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(nullptr);
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    SendMessageA(hwnd, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(mem), PRF_CLIENT);
    GdiFlush();
    // GDI leaves the fourth byte as it finds it; the file's readers take it
    // for opacity.
    for (DWORD i = 0, n = rc.right * rc.bottom; i < n; ++i)
        static_cast<DWORD*>(bits)[i] |= 0xFF000000;
    BITMAPFILEHEADER fh = {};
    DWORD size = rc.right * rc.bottom * 4;
    fh.bfType = 0x4D42;
    fh.bfOffBits = sizeof(fh) + sizeof(bi.bmiHeader);
    fh.bfSize = fh.bfOffBits + size;
    FILE* f = fopen(path, "wb");
    bool ok = f != nullptr;
    if (f)
    {
        fwrite(&fh, sizeof(fh), 1, f);
        fwrite(&bi.bmiHeader, sizeof(bi.bmiHeader), 1, f);
        fwrite(bits, size, 1, f);
        fclose(f);
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}
}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        fprintf(stderr, "usage: cw_html_viewer PAGE [--fill ID=FILE] [--size WxH] [--fit 1] [--save OUT.bmp]\n");
        return 2;
    }
    int width = 480, height = 360;
    const char* save = nullptr;
    bool fit = false;
    std::vector<std::pair<std::string, std::string>> fills;
    for (int i = 2; i + 1 < argc; i += 2)
    {
        std::string opt = argv[i], value = argv[i + 1];
        if (opt == "--size")
            sscanf(value.c_str(), "%dx%d", &width, &height);
        else if (opt == "--save")
            save = argv[i + 1];
        else if (opt == "--fit")
            fit = value != "0";
        else if (opt == "--fill" && value.find('=') != std::string::npos)
            fills.emplace_back(value.substr(0, value.find('=')), value.substr(value.find('=') + 1));
    }
    RECT frame = {0, 0, width, height};
    AdjustWindowRect(&frame, WS_OVERLAPPEDWINDOW, FALSE);
    HWND top = CreateWindowA("STATIC", "HTML viewer", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                             frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, nullptr, nullptr);
    HWND view = CreateWindowA(HTMLayoutClassNameA(), "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, 0, width, height, top,
                              reinterpret_cast<HMENU>(100), nullptr, nullptr);
    CHtmlView* html = CHtmlView::FromWindow(view);
    if (!html)
        return 1;
    RegisterThreatListFunctions(html->Script());
    std::string page = argv[1];
    if (page.compare(0, 4, "res:") == 0)
        html->LoadUrl(L"res://" + std::wstring(page.begin() + 4, page.end()));
    else
    {
        std::vector<BYTE> bytes = ReadAll(page.c_str());
        if (bytes.empty())
        {
            fprintf(stderr, "cannot read %s\n", page.c_str());
            return 1;
        }
        wchar_t full[MAX_PATH];
        GetFullPathNameW(std::wstring(page.begin(), page.end()).c_str(), MAX_PATH, full, nullptr);
        html->LoadHtml(bytes.data(), bytes.size(), std::wstring(L"file://") + full);
    }
    if (fit)
    {
        HELEMENT root = nullptr;
        HTMLayoutGetRootElement(view, &root);
        HTMLayoutSetStyleAttribute(root, "width", std::to_wstring(width).c_str());
        HTMLayoutSetStyleAttribute(root, "height", std::to_wstring(height).c_str());
        HTMLayoutSetStyleAttribute(root, "overflow", L"auto");
    }
    for (const auto& fill : fills)
    {
        std::vector<BYTE> bytes = ReadAll(fill.second.c_str());
        HELEMENT root = nullptr;
        HTMLayoutGetRootElement(view, &root);
        CHtmlNode* target = html->Document().GetElementById(std::wstring(fill.first.begin(), fill.first.end()));
        if (!target)
        {
            fprintf(stderr, "no element %s\n", fill.first.c_str());
            return 1;
        }
        HTMLayoutSetElementHtml(reinterpret_cast<HELEMENT>(target), bytes.data(), static_cast<DWORD>(bytes.size()), 0);
        HTMLayoutUpdateElement(root, TRUE);
    }
    ShowWindow(top, SW_SHOW);
    UpdateWindow(top);
    if (save)
        return SaveBitmap(view, save) ? 0 : 1;
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0)
    {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
        if (!IsWindow(top))
            break;
    }
    return 0;
}
