// The user32 interception: the replacements of the ten functions, the mode
// table and the installation of either mode. The replacements answer the
// system colours from the current skin's colour table and send the
// scroll-bar calls of windows with the scroll-bar replacement to it; every
// other call reaches the real function.

#include "skin/hooks/skinuser32.h"

#include <map>

#include "skin/core/skinlock.h"
#include "skin/core/skinmanager.h"
#include "skin/hooks/apihook.h"
#include "skin/hooks/inlinehook.h"

namespace {

int s_override = -1;
int s_installed = simNone;
const SkinScrollBarRoutes* volatile s_routes = NULL;
volatile bool s_trampolinesActive = false;

// Brushes handed out for skin colours. Callers never delete what
// GetSysColorBrush gives them and may keep it, so each lives until the
// interception is removed, whatever skin is loaded meanwhile.
CSkinLock s_brushLock;
std::map<COLORREF, HBRUSH> s_brushes;

const SkinUser32Entries& Real()
{
    return GetSkinUser32Entries();
}

const SkinScrollBarRoutes* RouteFor(HWND hwnd)
{
    const SkinScrollBarRoutes* routes = s_routes;
    return routes && routes->IsInstalled && routes->IsInstalled(hwnd) ? routes : NULL;
}

HBRUSH BrushOf(COLORREF colour)
{
    CSkinLockScope scope(s_brushLock);
    HBRUSH& brush = s_brushes[colour];
    if (!brush)
        brush = CreateSolidBrush(colour);
    return brush;
}

void FreeBrushes()
{
    CSkinLockScope scope(s_brushLock);
    for (std::map<COLORREF, HBRUSH>::iterator it = s_brushes.begin(); it != s_brushes.end(); ++it)
        DeleteObject(it->second);
    s_brushes.clear();
}

BOOL WINAPI Skin_EnableScrollBar(HWND hwnd, UINT bar, UINT arrows)
{
    const SkinScrollBarRoutes* r = RouteFor(hwnd);
    return r ? r->EnableScrollBar(hwnd, bar, arrows) : Real().EnableScrollBar(hwnd, bar, arrows);
}

BOOL WINAPI Skin_GetScrollInfo(HWND hwnd, int bar, LPSCROLLINFO info)
{
    const SkinScrollBarRoutes* r = RouteFor(hwnd);
    return r ? r->GetScrollInfo(hwnd, bar, info) : Real().GetScrollInfo(hwnd, bar, info);
}

int WINAPI Skin_GetScrollPos(HWND hwnd, int bar)
{
    const SkinScrollBarRoutes* r = RouteFor(hwnd);
    return r ? r->GetScrollPos(hwnd, bar) : Real().GetScrollPos(hwnd, bar);
}

BOOL WINAPI Skin_GetScrollRange(HWND hwnd, int bar, LPINT minPos, LPINT maxPos)
{
    const SkinScrollBarRoutes* r = RouteFor(hwnd);
    return r ? r->GetScrollRange(hwnd, bar, minPos, maxPos) : Real().GetScrollRange(hwnd, bar, minPos, maxPos);
}

int WINAPI Skin_SetScrollInfo(HWND hwnd, int bar, LPCSCROLLINFO info, BOOL redraw)
{
    const SkinScrollBarRoutes* r = RouteFor(hwnd);
    return r ? r->SetScrollInfo(hwnd, bar, info, redraw) : Real().SetScrollInfo(hwnd, bar, info, redraw);
}

int WINAPI Skin_SetScrollPos(HWND hwnd, int bar, int pos, BOOL redraw)
{
    const SkinScrollBarRoutes* r = RouteFor(hwnd);
    return r ? r->SetScrollPos(hwnd, bar, pos, redraw) : Real().SetScrollPos(hwnd, bar, pos, redraw);
}

BOOL WINAPI Skin_SetScrollRange(HWND hwnd, int bar, int minPos, int maxPos, BOOL redraw)
{
    const SkinScrollBarRoutes* r = RouteFor(hwnd);
    return r ? r->SetScrollRange(hwnd, bar, minPos, maxPos, redraw)
             : Real().SetScrollRange(hwnd, bar, minPos, maxPos, redraw);
}

BOOL WINAPI Skin_ShowScrollBar(HWND hwnd, int bar, BOOL show)
{
    const SkinScrollBarRoutes* r = RouteFor(hwnd);
    return r ? r->ShowScrollBar(hwnd, bar, show) : Real().ShowScrollBar(hwnd, bar, show);
}

DWORD WINAPI Skin_GetSysColor(int index)
{
    COLORREF colour;
    if (GetSkinManager().GetSkinSysColor(index, &colour))
        return colour;
    return Real().GetSysColor(index);
}

HBRUSH WINAPI Skin_GetSysColorBrush(int index)
{
    COLORREF colour;
    if (GetSkinManager().GetSkinSysColor(index, &colour))
        return BrushOf(colour);
    return Real().GetSysColorBrush(index);
}

const SkinUser32Entries s_replacements = {
    Skin_EnableScrollBar, Skin_GetScrollInfo, Skin_GetScrollPos, Skin_GetScrollRange, Skin_SetScrollInfo,
    Skin_SetScrollPos,    Skin_SetScrollRange, Skin_ShowScrollBar, Skin_GetSysColor,   Skin_GetSysColorBrush};

// The functions by name, in the order of installation; the replacement of
// each sits at the same place of SkinUser32Entries.
const char* const s_names[] = {"EnableScrollBar", "GetScrollInfo", "GetScrollPos",  "GetScrollRange",
                               "SetScrollInfo",   "SetScrollPos",  "SetScrollRange", "ShowScrollBar",
                               "GetSysColor",     "GetSysColorBrush"};
const int FunctionCount = sizeof(s_names) / sizeof(s_names[0]);
static_assert(sizeof(SkinUser32Entries) == FunctionCount * sizeof(void*), "one entry per function");

void* EntryAt(const SkinUser32Entries& entries, int i)
{
    return ((void* const*)&entries)[i];
}

// ---------------------------------------------------------------- import tables

HMODULE s_user32 = NULL;
ApiHook* s_user32Hooks[FunctionCount];

void InstallImportTableMode()
{
    s_user32 = LoadLibraryA("User32.dll");
    InstallLoaderHooks();
    for (int i = 0; i < FunctionCount; ++i)
        s_user32Hooks[i] = ApiHook_Create("USER32.dll", s_names[i], EntryAt(s_replacements, i), FALSE);
}

void RemoveImportTableMode()
{
    for (int i = 0; i < FunctionCount; ++i) {
        ApiHook_Destroy(s_user32Hooks[i]);
        s_user32Hooks[i] = NULL;
    }
    RemoveLoaderHooks();
    if (s_user32)
        FreeLibrary(s_user32);
    s_user32 = NULL;
}

// ---------------------------------------------------------------- inline

#if defined(__i386__)

// One 32-byte trampoline per function in the program's code, with the
// getter that reads the function's address from the program's own import
// table (see inlinehook.h for the shape).
#define SKIN_TRAMPOLINE(name, import)                                                                       \
    extern "C" void SkinTrampoline_##name();                                                                \
    __asm__(".text\n"                                                                                       \
            ".balign 16\n"                                                                                  \
            "_SkinTrampolineTarget_" #name ":\n"                                                            \
            "    movl " import ", %eax\n"                                                                   \
            "    ret\n"                                                                                     \
            ".balign 32\n"                                                                                  \
            "_SkinTrampoline_" #name ":\n"                                                                  \
            "    nop\n"                                                                                     \
            "    nop\n"                                                                                     \
            "    call _SkinTrampolineTarget_" #name "\n"                                                    \
            "    jmp *%eax\n"                                                                               \
            "    ret\n"                                                                                     \
            "    .fill 22, 1, 0x90\n");

SKIN_TRAMPOLINE(EnableScrollBar, "__imp__EnableScrollBar@12")
SKIN_TRAMPOLINE(GetScrollInfo, "__imp__GetScrollInfo@12")
SKIN_TRAMPOLINE(GetScrollPos, "__imp__GetScrollPos@8")
SKIN_TRAMPOLINE(GetScrollRange, "__imp__GetScrollRange@16")
SKIN_TRAMPOLINE(SetScrollInfo, "__imp__SetScrollInfo@16")
SKIN_TRAMPOLINE(SetScrollPos, "__imp__SetScrollPos@16")
SKIN_TRAMPOLINE(SetScrollRange, "__imp__SetScrollRange@20")
SKIN_TRAMPOLINE(ShowScrollBar, "__imp__ShowScrollBar@12")
SKIN_TRAMPOLINE(GetSysColor, "__imp__GetSysColor@4")
SKIN_TRAMPOLINE(GetSysColorBrush, "__imp__GetSysColorBrush@4")

const SkinUser32Entries s_trampolines = {
    (BOOL(WINAPI*)(HWND, UINT, UINT))SkinTrampoline_EnableScrollBar,
    (BOOL(WINAPI*)(HWND, int, LPSCROLLINFO))SkinTrampoline_GetScrollInfo,
    (int(WINAPI*)(HWND, int))SkinTrampoline_GetScrollPos,
    (BOOL(WINAPI*)(HWND, int, LPINT, LPINT))SkinTrampoline_GetScrollRange,
    (int(WINAPI*)(HWND, int, LPCSCROLLINFO, BOOL))SkinTrampoline_SetScrollInfo,
    (int(WINAPI*)(HWND, int, int, BOOL))SkinTrampoline_SetScrollPos,
    (BOOL(WINAPI*)(HWND, int, int, int, BOOL))SkinTrampoline_SetScrollRange,
    (BOOL(WINAPI*)(HWND, int, BOOL))SkinTrampoline_ShowScrollBar,
    (DWORD(WINAPI*)(int))SkinTrampoline_GetSysColor,
    (HBRUSH(WINAPI*)(int))SkinTrampoline_GetSysColorBrush};

bool s_inlineInstalled[FunctionCount];

bool InstallInlineMode()
{
    // The replacements reach the real functions through the trampolines
    // from the first patched byte on.
    s_trampolinesActive = true;
    for (int i = 0; i < FunctionCount; ++i)
        s_inlineInstalled[i] = InlineHook_Install(EntryAt(s_trampolines, i), EntryAt(s_replacements, i)) != FALSE;
    return true;
}

void RemoveInlineMode()
{
    for (int i = 0; i < FunctionCount; ++i) {
        if (s_inlineInstalled[i])
            InlineHook_Remove(EntryAt(s_trampolines, i), EntryAt(s_replacements, i));
        s_inlineInstalled[i] = false;
    }
    s_trampolinesActive = false;
}

#else

bool InstallInlineMode()
{
    return false;
}

void RemoveInlineMode()
{
}

#endif

} // namespace

int SkinInterceptionModeForOS(int osCode)
{
    if (osCode == 3 || osCode == 4)
        return simImportTable;
    if (osCode >= 5 && osCode <= 8)
        return simInline;
    return simNone;
}

void SetSkinInterceptionModeOverride(int mode)
{
    s_override = mode;
}

int GetSkinInterceptionMode()
{
    return s_installed;
}

void SetSkinScrollBarRoutes(const SkinScrollBarRoutes* routes)
{
    s_routes = routes;
}

const SkinUser32Entries& GetSkinUser32Replacements()
{
    return s_replacements;
}

const SkinUser32Entries* GetSkinUser32Trampolines()
{
#if defined(__i386__)
    return s_trampolinesActive ? &s_trampolines : NULL;
#else
    return NULL;
#endif
}

bool InstallSkinUser32Interception()
{
    if (s_installed != simNone)
        return true;
    const int mode = s_override >= 0 ? s_override : SkinInterceptionModeForOS(GetSkinOSVersionCode());
    if (mode == simImportTable) {
        InstallImportTableMode();
    } else if (mode == simInline) {
        if (!InstallInlineMode())
            return false;
    } else {
        return false;
    }
    s_installed = mode;
    return true;
}

void RemoveSkinUser32Interception()
{
    // The mode installed is undone, whatever the system or an override
    // says now.
    if (s_installed == simImportTable)
        RemoveImportTableMode();
    else if (s_installed == simInline)
        RemoveInlineMode();
    s_installed = simNone;
    FreeBrushes();
}
