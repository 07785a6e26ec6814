#include "skin/draw/skindrawutils.h"

#include <commctrl.h>
#include <limits.h>
#include <shellapi.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <vector>

#include "skin/core/skinchildwindows.h"
#include "skin/draw/skindib.h"

int GetOSVersionCode()
{
    DWORD version = GetVersion();
    const BYTE major = LOBYTE(LOWORD(version));
    OSVERSIONINFOA info;
    memset(&info, 0, sizeof(info));
    info.dwOSVersionInfoSize = sizeof(info);
    const bool refined = GetVersionExA(&info) != FALSE;
    if (version & 0x80000000) {
        if (major < 4)
            return 0;
        if (refined && info.dwMajorVersion == 4 && info.dwMinorVersion == 10)
            return 3;
        if (refined && info.dwMajorVersion == 4 && info.dwMinorVersion == 90)
            return 4;
        return 2;
    }
    if (refined && info.dwMajorVersion == 4)
        return 5;
    if (refined && info.dwMajorVersion == 5 && info.dwMinorVersion == 0)
        return 6;
    if (refined && info.dwMajorVersion == 5 && info.dwMinorVersion == 1)
        return 7;
    return 1;
}

HRGN RegionFromBitmap(HBITMAP bitmap, COLORREF key)
{
    BITMAP bm;
    if (!bitmap || !GetObjectA(bitmap, sizeof(bm), &bm) || bm.bmWidth <= 0 || bm.bmHeight <= 0)
        return NULL;
    const LONG w = bm.bmWidth, h = bm.bmHeight;
    std::vector<DWORD> pixels;
    if (!ReadTopDownPixels(bitmap, w, h, pixels))
        return NULL;

    const DWORD keyPixel = DibPixel(key);
    std::vector<RECT> rects;
    for (LONG y = 0; y < h; ++y) {
        const DWORD* row = &pixels[(size_t)y * w];
        for (LONG x = 0; x < w;) {
            while (x < w && (row[x] & 0xFFFFFF) == keyPixel)
                ++x;
            LONG first = x;
            while (x < w && (row[x] & 0xFFFFFF) != keyPixel)
                ++x;
            if (x > first) {
                RECT r = {first, y, x, y + 1};
                rects.push_back(r);
            }
        }
    }
    const DWORD bytes = sizeof(RGNDATAHEADER) + (DWORD)(rects.size() * sizeof(RECT));
    RGNDATA* data = (RGNDATA*)malloc(bytes);
    if (!data)
        return NULL;
    data->rdh.dwSize = sizeof(RGNDATAHEADER);
    data->rdh.iType = RDH_RECTANGLES;
    data->rdh.nCount = (DWORD)rects.size();
    data->rdh.nRgnSize = (DWORD)(rects.size() * sizeof(RECT));
    SetRect(&data->rdh.rcBound, 0, 0, w, h);
    if (!rects.empty())
        memcpy(data->Buffer, &rects[0], rects.size() * sizeof(RECT));
    HRGN region = ExtCreateRegion(NULL, bytes, data);
    free(data);
    return region;
}

HRGN TransformRegion(HRGN region, float xScale, float yScale, int dx, int dy)
{
    if (!region)
        return NULL;
    const DWORD bytes = GetRegionData(region, 0, NULL);
    if (!bytes)
        return NULL;
    std::vector<BYTE> data(bytes);
    if (GetRegionData(region, bytes, (RGNDATA*)&data[0]) != bytes)
        return NULL;
    XFORM scale = {xScale, 0, 0, yScale, 0, 0};
    HRGN result = ExtCreateRegion(&scale, bytes, (const RGNDATA*)&data[0]);
    if (result)
        OffsetRgn(result, dx, dy);
    return result;
}

HRGN TileRegion(HRGN region, int stepX, int stepY, const RECT& rect)
{
    if (!region || stepX < 1 || stepY < 1)
        return NULL;
    HRGN result = CreateRectRgn(0, 0, 0, 0);
    HRGN copy = CreateRectRgn(0, 0, 0, 0);
    HRGN clip = CreateRectRgnIndirect(&rect);
    bool ok = result && copy && clip;
    for (int y = rect.top; ok && y < rect.bottom; y += stepY) {
        for (int x = rect.left; ok && x < rect.right; x += stepX) {
            ok = CombineRgn(copy, region, NULL, RGN_COPY) != ERROR;
            OffsetRgn(copy, x, y);
            ok = ok && CombineRgn(result, result, copy, RGN_OR) != ERROR;
        }
    }
    ok = ok && CombineRgn(result, result, clip, RGN_AND) != ERROR;
    if (copy)
        DeleteObject(copy);
    if (clip)
        DeleteObject(clip);
    if (!ok && result) {
        DeleteObject(result);
        result = NULL;
    }
    return result;
}

// ---------------------------------------------------------------- fills and text

COLORREF SkinColorToColorRef(const BYTE rgb[3])
{
    return RGB(rgb[0], rgb[1], rgb[2]);
}

void FillSolidRect(HDC dc, const RECT& rect, COLORREF colour)
{
    // ExtTextOut with an opaque rectangle fills without making a brush.
    const COLORREF old = SetBkColor(dc, colour);
    ExtTextOutA(dc, 0, 0, ETO_OPAQUE, &rect, NULL, 0, NULL);
    SetBkColor(dc, old);
}

void FillTriangle(HDC dc, const POINT points[3], COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    if (!brush)
        return;
    HGDIOBJ old = SelectObject(dc, brush);
    Polygon(dc, points, 3);
    SelectObject(dc, old);
    DeleteObject(brush);
}

namespace {

// The underline of an underlined font, drawn by the skin instead of the
// system: the system underlines the measured width of the text, and where
// the letters come out narrower than they measure (as under Wine) it runs
// past the last letter, the further the longer the text. These are the
// underlines under the letters actually drawn, one per line.
std::vector<RECT> UnderlinesUnderInk(HDC dc, HFONT plain, const RECT& rect, LPCSTR text, int length, UINT format)
{
    std::vector<RECT> lines;
    const int w = rect.right - rect.left, h = rect.bottom - rect.top;
    TEXTMETRICA tm;
    if (w <= 0 || h <= 0 || !GetTextMetricsA(dc, &tm) || tm.tmHeight <= 0)
        return lines;
    int position = -1, thickness = 1;
    OUTLINETEXTMETRICA otm;
    otm.otmSize = sizeof(otm);
    if (GetOutlineTextMetricsA(dc, sizeof(otm), &otm)) {
        position = otm.otmsUnderscorePosition;
        thickness = otm.otmsUnderscoreSize > 0 ? (int)otm.otmsUnderscoreSize : 1;
    }
    // The letters alone, black on white, where the real ones will go.
    CSkinDib scratch(w, h, 32);
    if (!scratch.IsValid())
        return lines;
    memset(scratch.Bits(), 0xFF, (size_t)scratch.Stride() * h);
    HGDIOBJ old = SelectObject(scratch.GetDC(), plain);
    SetBkMode(scratch.GetDC(), TRANSPARENT);
    SetTextColor(scratch.GetDC(), RGB(0, 0, 0));
    RECT local = {0, 0, w, h};
    DrawTextA(scratch.GetDC(), text, length, &local, format);
    SelectObject(scratch.GetDC(), old);
    GdiFlush();
    const int lineHeight = tm.tmHeight + (format & DT_EXTERNALLEADING ? tm.tmExternalLeading : 0);
    int top = 0, count = (h + lineHeight - 1) / lineHeight;
    if (format & DT_SINGLELINE) {
        count = 1;
        if (format & DT_VCENTER)
            top = (h - tm.tmHeight) / 2;
        else if (format & DT_BOTTOM)
            top = h - tm.tmHeight;
    }
    for (int line = 0; line < count; ++line, top += lineHeight) {
        int left = w, right = -1;
        for (int y = top < 0 ? 0 : top; y < top + lineHeight && y < h; ++y) {
            const DWORD* row = scratch.Pixels() + (size_t)y * w;
            for (int x = 0; x < w; ++x)
                if ((row[x] & 0xFF) < 0x80) {
                    left = x < left ? x : left;
                    right = x > right ? x : right;
                }
        }
        if (right < left)
            continue;
        const int y = top + tm.tmAscent - position - thickness / 2;
        RECT underline = {rect.left + left, rect.top + y, rect.left + right + 1, rect.top + y + thickness};
        if (format & DT_NOCLIP || IntersectRect(&underline, &underline, &rect))
            lines.push_back(underline);
    }
    return lines;
}

} // namespace

int DrawShadowText(HDC dc, const RECT& rect, DWORD shadowOffset, DWORD flags, COLORREF shadowColour,
                   COLORREF textColour, LPCSTR text, int length, UINT format)
{
    if (!text)
        return 0;
    const int saved = SaveDC(dc);
    SetBkMode(dc, TRANSPARENT);
    std::vector<RECT> underlines;
    HFONT plain = NULL;
    LOGFONTA lf;
    HGDIOBJ font = GetCurrentObject(dc, OBJ_FONT);
    if (!(format & DT_CALCRECT) && font && GetObjectA(font, sizeof(lf), &lf) == sizeof(lf) && lf.lfUnderline) {
        lf.lfUnderline = FALSE;
        plain = CreateFontIndirectA(&lf);
        if (plain) {
            underlines = UnderlinesUnderInk(dc, plain, rect, text, length, format);
            SelectObject(dc, plain);
        }
    }
    const int dx = (signed char)LOBYTE(shadowOffset), dy = (signed char)HIBYTE(shadowOffset);
    if (flags & 1) {
        RECT shadow = rect;
        OffsetRect(&shadow, dx, dy);
        SetTextColor(dc, shadowColour);
        DrawTextA(dc, text, length, &shadow, format);
        for (RECT line : underlines) {
            OffsetRect(&line, dx, dy);
            FillSolidRect(dc, line, shadowColour);
        }
    }
    SetTextColor(dc, textColour);
    RECT target = rect;
    const int height = DrawTextA(dc, text, length, &target, format);
    for (const RECT& line : underlines)
        FillSolidRect(dc, line, textColour);
    RestoreDC(dc, saved);
    if (plain)
        DeleteObject(plain);
    return height;
}

int DrawStyledText(HDC dc, const SkinTextStyle& style, const RECT& rect, LPCSTR text, int length, UINT format)
{
    return DrawShadowText(dc, rect, LOWORD(style.effect), HIWORD(style.effect), SkinColorToColorRef(style.shadow),
                          SkinColorToColorRef(style.text), text, length, format);
}

BOOL DrawWindowSmallIcon(HWND hwnd, HDC dc, POINT point)
{
    HICON icon = (HICON)SendMessageA(hwnd, WM_GETICON, ICON_SMALL, 0);
    if (!icon)
        icon = (HICON)SendMessageA(hwnd, WM_GETICON, ICON_BIG, 0);
    if (!icon)
        icon = (HICON)GetClassLongPtrA(hwnd, GCLP_HICONSM);
    HICON extracted = NULL;
    if (!icon) {
        char path[MAX_PATH];
        HINSTANCE module = (HINSTANCE)GetWindowLongPtrA(hwnd, GWLP_HINSTANCE);
        if (GetModuleFileNameA(module, path, MAX_PATH) && ExtractIconExA(path, 0, NULL, &extracted, 1) == 1)
            icon = extracted;
    }
    BOOL drawn = icon ? DrawIconEx(dc, point.x, point.y, icon, 16, 16, 0, NULL, DI_NORMAL) : FALSE;
    if (extracted)
        DestroyIcon(extracted);
    return drawn;
}

// ---------------------------------------------------------------- windows and monitors

bool IsMirroredWindow(HWND hwnd)
{
    return (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_LAYOUTRTL) != 0;
}

void ExcludeWindowsFromClip(HDC dc, HWND hwnd, HWND parent, HWND skip, bool (*seeThrough)(HWND))
{
    RECT box;
    const int clip = parent ? GetClipBox(dc, &box) : NULLREGION;
    if (clip == NULLREGION)
        return;
    if (clip == ERROR)
        SetRect(&box, INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2);
    HRGN shape = CreateRectRgn(0, 0, 0, 0);
    for (HWND other : GetSkinChildWindows(parent)) {
        if (other == skip || !IsWindowVisible(other))
            continue;
        RECT rect, common;
        GetWindowRect(other, &rect);
        MapWindowPoints(NULL, hwnd, (POINT*)&rect, 2);
        // A window outside the clip changes nothing; its region is not
        // worth the trip to the window server.
        if (!IntersectRect(&common, &rect, &box) || (seeThrough && seeThrough(other)))
            continue;
        DWORD size = 0;
        if (!shape || GetWindowRgn(other, shape) == ERROR || !(size = GetRegionData(shape, 0, NULL))) {
            ExcludeClipRect(dc, rect.left, rect.top, rect.right, rect.bottom);
            continue;
        }
        std::vector<BYTE> data(size);
        RGNDATA* region = (RGNDATA*)&data[0];
        if (!GetRegionData(shape, size, region))
            continue;
        const RECT* parts = (const RECT*)region->Buffer;
        for (DWORD i = 0; i < region->rdh.nCount; ++i)
            ExcludeClipRect(dc, rect.left + parts[i].left, rect.top + parts[i].top, rect.left + parts[i].right,
                            rect.top + parts[i].bottom);
    }
    if (shape)
        DeleteObject(shape);
}

int MirrorPointX(HWND hwnd, int x)
{
    if (!IsMirroredWindow(hwnd))
        return x;
    RECT window;
    GetWindowRect(hwnd, &window);
    return window.right - x + window.left;
}

void MirrorRectX(HWND hwnd, RECT& rect)
{
    if (!IsMirroredWindow(hwnd))
        return;
    RECT window;
    GetWindowRect(hwnd, &window);
    const LONG left = window.right - rect.right + window.left;
    rect.right = window.right - rect.left + window.left;
    rect.left = left;
}

bool IsSizableToolWindow(HWND hwnd)
{
    return (GetWindowLongA(hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) && (GetWindowLongA(hwnd, GWL_STYLE) & WS_THICKFRAME);
}

void ScreenToClientRect(HWND hwnd, RECT& rect)
{
    ScreenToClient(hwnd, (POINT*)&rect.left);
    ScreenToClient(hwnd, (POINT*)&rect.right);
}

void ClientToScreenRect(HWND hwnd, RECT& rect)
{
    ClientToScreen(hwnd, (POINT*)&rect.left);
    ClientToScreen(hwnd, (POINT*)&rect.right);
}

static BOOL MonitorRect(HMONITOR monitor, RECT& out, bool workArea)
{
    MONITORINFO info;
    info.cbSize = sizeof(info);
    if (!monitor || !GetMonitorInfoA(monitor, &info))
        return FALSE;
    out = workArea ? info.rcWork : info.rcMonitor;
    return TRUE;
}

BOOL GetWindowMonitorRect(HWND hwnd, RECT& out, bool workArea)
{
    return MonitorRect(MonitorFromWindow(hwnd, MONITOR_DEFAULTTONEAREST), out, workArea);
}

BOOL GetPointMonitorRect(POINT point, RECT& out, bool workArea)
{
    return MonitorRect(MonitorFromPoint(point, MONITOR_DEFAULTTONEAREST), out, workArea);
}

BOOL GetRectMonitorRect(const RECT& rect, RECT& out, bool workArea)
{
    return MonitorRect(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), out, workArea);
}

void KeepRectInside(const RECT& bounds, RECT& rect)
{
    if (rect.right > bounds.right)
        OffsetRect(&rect, bounds.right - rect.right, 0);
    if (rect.bottom > bounds.bottom)
        OffsetRect(&rect, 0, bounds.bottom - rect.bottom);
    if (rect.left < bounds.left)
        OffsetRect(&rect, bounds.left - rect.left, 0);
    if (rect.top < bounds.top)
        OffsetRect(&rect, 0, bounds.top - rect.top);
}

// ---------------------------------------------------------------- menus and keys

static const UINT MenuCopyMask = MIIM_STATE | MIIM_ID | MIIM_SUBMENU | MIIM_CHECKMARKS | MIIM_DATA | MIIM_STRING | MIIM_FTYPE;
static const int MenuTextLength = 400;

BOOL CopyMenuItems(HMENU source, HMENU target)
{
    const int count = GetMenuItemCount(source);
    for (int i = 0; i < count; ++i) {
        char text[MenuTextLength] = "";
        MENUITEMINFOA item;
        memset(&item, 0, sizeof(item));
        item.cbSize = sizeof(item);
        item.fMask = MenuCopyMask;
        item.dwTypeData = text;
        item.cch = sizeof(text);
        if (!GetMenuItemInfoA(source, (UINT)i, TRUE, &item))
            continue;
        if (item.hSubMenu) {
            HMENU copy = CreatePopupMenu();
            CopyMenuItems(item.hSubMenu, copy);
            item.hSubMenu = copy;
        }
        item.dwTypeData = text;
        InsertMenuItemA(target, (UINT)i, TRUE, &item);
    }
    return TRUE;
}

LPCSTR GetMenuItemTextByPosition(HMENU menu, int position)
{
    // One buffer per thread: menus of different threads do not overwrite
    // each other's text.
    static thread_local char text[MenuTextLength];
    text[0] = '\0';
    MENUITEMINFOA item;
    memset(&item, 0, sizeof(item));
    item.cbSize = sizeof(item);
    item.fMask = MIIM_TYPE;
    item.dwTypeData = text;
    item.cch = sizeof(text);
    if (!GetMenuItemInfoA(menu, (UINT)position, TRUE, &item) || (item.fType & (MFT_BITMAP | MFT_SEPARATOR)))
        text[0] = '\0';
    return text;
}

BOOL FindAccelerator(HACCEL table, WORD key, ACCEL* entry)
{
    const int count = table ? CopyAcceleratorTableA(table, NULL, 0) : 0;
    if (count <= 0)
        return FALSE;
    std::vector<ACCEL> entries((size_t)count);
    CopyAcceleratorTableA(table, &entries[0], count);
    const bool shift = GetKeyState(VK_SHIFT) < 0, control = GetKeyState(VK_CONTROL) < 0,
               alt = GetKeyState(VK_MENU) < 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        const ACCEL& a = entries[i];
        if (a.key == key && ((a.fVirt & FSHIFT) != 0) == shift && ((a.fVirt & FCONTROL) != 0) == control
            && ((a.fVirt & FALT) != 0) == alt) {
            if (entry)
                *entry = a;
            return TRUE;
        }
    }
    return FALSE;
}

// ---------------------------------------------------------------- files

BOOL SaveResourceToFile(LPCSTR fileName, HMODULE module, LPCSTR name, LPCSTR type)
{
    HRSRC resource = FindResourceA(module, name, type);
    HGLOBAL loaded = resource ? LoadResource(module, resource) : NULL;
    const void* data = loaded ? LockResource(loaded) : NULL;
    if (!data)
        return FALSE;
    const DWORD size = SizeofResource(module, resource);
    FILE* file = fopen(fileName, "w+b");
    if (!file)
        return FALSE;
    const bool written = fwrite(data, 1, size, file) == size;
    const bool closed = fclose(file) == 0;
    if (!written || !closed) {
        DeleteFileA(fileName);
        return FALSE;
    }
    return TRUE;
}

void MakeTempFileName(LPSTR path, LPCSTR name, LPCSTR fallbackFolder, LPCSTR extension)
{
    char folder[MAX_PATH] = "";
    const DWORD length = GetTempPathA(MAX_PATH, folder);
    if (!length || length >= MAX_PATH)
        lstrcpynA(folder, fallbackFolder ? fallbackFolder : "", MAX_PATH);
    path[0] = '\0';
    if (!GetTempFileNameA(folder, "SM", 0, path)) {
        const size_t n = strlen(folder);
        const char* separator = n && folder[n - 1] == '\\' ? "" : "\\";
        snprintf(path, MAX_PATH, "%s%s%s", folder, separator, name ? name : "");
    }
    if (extension) {
        const size_t n = strlen(path);
        snprintf(path + n, MAX_PATH - n, ".%s", extension);
    }
}

// The bounds of the points of one title button, scanned row by row over
// the top half; the rows end at the first row without a hit after a hit.
static RECT FindTitleButton(HWND calendar, const RECT& client, UINT hit, bool fromRight)
{
    RECT found = {0, 0, 0, 0};
    bool any = false;
    const LONG middle = (client.left + client.right) / 2;
    for (LONG y = client.top; y < (client.top + client.bottom) / 2; ++y) {
        bool rowHit = false;
        for (LONG i = 0; i < middle - client.left; ++i) {
            MCHITTESTINFO info;
            memset(&info, 0, sizeof(info));
            info.cbSize = MCHITTESTINFO_V1_SIZE;
            info.pt.x = fromRight ? client.right - 1 - i : client.left + i;
            info.pt.y = y;
            if ((UINT)SendMessageA(calendar, MCM_HITTEST, 0, (LPARAM)&info) != hit)
                continue;
            rowHit = true;
            RECT point = {info.pt.x, y, info.pt.x + 1, y + 1};
            if (any)
                UnionRect(&found, &found, &point);
            else
                found = point;
            any = true;
        }
        if (any && !rowHit)
            break;
    }
    if (any)
        InflateRect(&found, 2, 2);
    return found;
}

BOOL GetMonthCalButtonRects(HWND calendar, RECT& previous, RECT& next)
{
    RECT client;
    if (!GetClientRect(calendar, &client))
        return FALSE;
    next = FindTitleButton(calendar, client, MCHT_TITLEBTNNEXT, true);
    previous = FindTitleButton(calendar, client, MCHT_TITLEBTNPREV, false);
    return !IsRectEmpty(&next) || !IsRectEmpty(&previous);
}
