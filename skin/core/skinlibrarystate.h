#pragma once
// The library-wide state behind the call interface, for the toolkit's own
// parts: the manager, the tooltip, the instance, the OS code, the frame skin
// name, the saved user32 entry points and the two thread hooks.

#include <windows.h>

class CSkinManager;
class CSkinTooltip;

CSkinManager& GetSkinManager();
CSkinTooltip& GetSkinTooltip();
HINSTANCE GetSkinInstance();
int GetSkinOSVersionCode();
LPCSTR GetSkinFrameName();
LPCSTR GetSkinDialogName();
bool IsSkinLibraryInitialised();
void SetSkinLibraryError(int error);
// How many threads have a last error kept (reading one keeps none).
size_t GetSkinErrorThreadCount();

// The real user32 functions: captured before any interception, or their
// trampolines while the interception patches them in place.
struct SkinUser32Entries
{
    BOOL(WINAPI* EnableScrollBar)(HWND, UINT, UINT);
    BOOL(WINAPI* GetScrollInfo)(HWND, int, LPSCROLLINFO);
    int(WINAPI* GetScrollPos)(HWND, int);
    BOOL(WINAPI* GetScrollRange)(HWND, int, LPINT, LPINT);
    int(WINAPI* SetScrollInfo)(HWND, int, LPCSCROLLINFO, BOOL);
    int(WINAPI* SetScrollPos)(HWND, int, int, BOOL);
    BOOL(WINAPI* SetScrollRange)(HWND, int, int, int, BOOL);
    BOOL(WINAPI* ShowScrollBar)(HWND, int, BOOL);
    DWORD(WINAPI* GetSysColor)(int);
    HBRUSH(WINAPI* GetSysColorBrush)(int);
};
const SkinUser32Entries& GetSkinUser32Entries();

// The interception of user32 functions (skin/hooks/skinuser32.h): the mode
// the system gives, or a test's; nothing on NT 6 and later.
bool InstallSkinUser32Interception();
void RemoveSkinUser32Interception();

// The two per-thread hooks, reachable for tests: window creation (WH_CBT),
// which skins windows at their WM_CREATE, and the keyboard.
LRESULT CALLBACK SkinCreationHook(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK SkinKeyboardHook(int code, WPARAM wParam, LPARAM lParam);
// How many threads have their hooks installed.
size_t GetSkinHookedThreadCount();
