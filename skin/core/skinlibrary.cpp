// The call interface of the skin toolkit and the library-wide state behind
// it: start-up and teardown, the per-thread hooks and last errors.

#include "skin/skinlibrary.h"

#include <map>
#include <string.h>

#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinlock.h"
#include "skin/core/skinmanager.h"
#include "skin/core/skinmemstream.h"
#include "skin/core/skinstore.h"
#include "skin/core/skinwnd.h"
#include "skin/draw/skindrawutils.h"
#include "skin/menus/skinhostwnd.h"
#include "skin/menus/skintooltip.h"
#include "skin/objects/skinobject.h"

namespace {

const size_t DialogNameLength = 50;

// Built in this order before the program's entry, destroyed in reverse.
// The library lock lives as long as the process, so a call after the last
// ExitSkinLibrary finds a working lock (and the initialised flag cleared).
CSkinLock s_libraryLock;
std::map<DWORD, HHOOK> s_callWndHooks;
std::map<DWORD, HHOOK> s_keyboardHooks;
CSkinLock s_errorLock;
std::map<DWORD, int> s_errors;
CSkinManager s_manager;
CSkinTooltip s_tooltip;

SkinUser32Entries CaptureUser32Entries()
{
    SkinUser32Entries e;
    e.EnableScrollBar = ::EnableScrollBar;
    e.GetScrollInfo = ::GetScrollInfo;
    e.GetScrollPos = ::GetScrollPos;
    e.GetScrollRange = ::GetScrollRange;
    e.SetScrollInfo = ::SetScrollInfo;
    e.SetScrollPos = ::SetScrollPos;
    e.SetScrollRange = ::SetScrollRange;
    e.ShowScrollBar = ::ShowScrollBar;
    e.GetSysColor = ::GetSysColor;
    e.GetSysColorBrush = ::GetSysColorBrush;
    return e;
}
const SkinUser32Entries s_user32 = CaptureUser32Entries();

volatile LONG s_initialised = 0;
HINSTANCE s_instance = NULL;
char s_dialogName[DialogNameLength + 1] = "";
char s_frameName[DialogNameLength + 1] = "";
int s_osCode = 1;

HHOOK ThreadHook(std::map<DWORD, HHOOK>& table)
{
    CSkinLockScope scope(s_libraryLock);
    std::map<DWORD, HHOOK>::iterator it = table.find(GetCurrentThreadId());
    return it == table.end() ? NULL : it->second;
}

// Gives the thread its hook of the kind unless it has one; the error is the
// thread's when that fails. Under the library lock.
bool InstallThreadHook(std::map<DWORD, HHOOK>& table, int kind, HOOKPROC proc, DWORD thread, int error)
{
    if (table.count(thread))
        return true;
    HHOOK hook = SetWindowsHookExA(kind, proc, s_instance, thread);
    if (!hook) {
        SetSkinLibraryError(error);
        return false;
    }
    table[thread] = hook;
    return true;
}

void RemoveThreadHook(std::map<DWORD, HHOOK>& table, DWORD thread)
{
    std::map<DWORD, HHOOK>::iterator it = table.find(thread);
    if (it != table.end()) {
        UnhookWindowsHookEx(it->second);
        table.erase(it);
    }
}

// The calls that need the start-up answer FALSE with error 19 without it.
bool CheckInitialised()
{
    if (s_initialised)
        return true;
    SetSkinLibraryError(SKINERR_NOTINIT);
    return false;
}

bool ClassIs(HWND hwnd, LPCSTR name, bool ignoreCase)
{
    char buffer[100];
    if (!GetClassNameA(hwnd, buffer, sizeof(buffer)))
        return false;
    return (ignoreCase ? lstrcmpiA(buffer, name) : strcmp(buffer, name)) == 0;
}

// The process-wide start-up, under the library lock; sets the error itself.
bool StartLibrary(HINSTANCE instance)
{
    s_instance = instance;
    if (!RegisterSkinPopupMenuClass(instance)) {
        SetSkinLibraryError(SKINERR_CLASS);
        return false;
    }
    if (!RegisterSkinTooltipClass(instance)) {
        UnregisterSkinPopupMenuClass(instance);
        SetSkinLibraryError(SKINERR_CLASS);
        return false;
    }
    CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, SKIN_TOOLTIP_CLASS, "", WS_POPUP, 0, 0, 0, 0, NULL,
                    NULL, instance, static_cast<CSkinWnd*>(&s_tooltip));
    s_tooltip.SetInstance(instance);
    s_osCode = GetOSVersionCode();
    InstallSkinUser32Interception();
    InterlockedExchange(&s_initialised, 1);
    return true;
}

void TearDownLibrary()
{
    s_dialogName[0] = '\0';
    HWND tooltip = s_tooltip.GetHwnd();
    if (tooltip && !DestroyWindow(tooltip) && IsWindow(tooltip)) {
        // Made by another thread, which destroys it when it next looks at
        // its queue; a send could wait on that thread's hook, which waits
        // for the lock held here. Its class then stays registered until a
        // new start-up finds it there.
        PostMessageA(tooltip, WM_CLOSE, 0, 0);
    }
    UnregisterSkinTooltipClass(s_instance);
    UnregisterSkinPopupMenuClass(s_instance);
    RemoveSkinUser32Interception();
    s_manager.RemoveAll();
    s_tooltip.SetTooltipObject(NULL);
    InterlockedExchange(&s_initialised, 0);
}

// The target of menu keys: the active window's skinner window, or a skinned
// popup menu that is active itself.
HWND MenuKeyTarget()
{
    HWND active = GetActiveWindow();
    if (!active)
        return NULL;
    CSkinWnd* skinner = s_manager.FindSkinner(active);
    bool popup = false;
    if (ClassIs(active, SKIN_POPUP_MENU_CLASS, true) && GetPropA(active, "this")) {
        popup = true;
        HWND owner = GetWindow(active, GW_OWNER);
        HWND top = owner ? GetAncestor(owner, GA_ROOT) : NULL;
        skinner = top ? s_manager.FindSkinner(top) : NULL;
    }
    if (skinner && skinner->GetHwnd())
        return skinner->GetHwnd();
    return popup ? active : NULL;
}

} // namespace

// ---------------------------------------------------------------- state

CSkinManager& GetSkinManager()
{
    return s_manager;
}

CSkinTooltip& GetSkinTooltip()
{
    return s_tooltip;
}

HINSTANCE GetSkinInstance()
{
    return s_instance;
}

int GetSkinOSVersionCode()
{
    return s_osCode;
}

LPCSTR GetSkinFrameName()
{
    return s_frameName;
}

LPCSTR GetSkinDialogName()
{
    return s_dialogName;
}

bool IsSkinLibraryInitialised()
{
    return s_initialised != 0;
}

void SetSkinLibraryError(int error)
{
    CSkinLockScope scope(s_errorLock);
    s_errors[GetCurrentThreadId()] = error;
}

const SkinUser32Entries& GetSkinUser32Entries()
{
    return s_user32;
}

size_t GetSkinHookedThreadCount()
{
    CSkinLockScope scope(s_libraryLock);
    return s_callWndHooks.size();
}

// ---------------------------------------------------------------- hooks

LRESULT CALLBACK SkinCallWndProcHook(int code, WPARAM wParam, LPARAM lParam)
{
    HHOOK hook = ThreadHook(s_callWndHooks);
    if (!hook)
        return 0;
    const CWPSTRUCT* message = (const CWPSTRUCT*)lParam;
    char name[100];
    if (code == HC_ACTION && message && message->message == WM_CREATE
        && GetClassNameA(message->hwnd, name, sizeof(name))) {
        if (strcmp(name, "#32770") == 0) {
            if (s_dialogName[0])
                s_manager.SetWindowSkin(message->hwnd, s_dialogName);
        } else if (HWND parent = GetParent(message->hwnd)) {
            CSkinWnd* ancestor = s_manager.FindSkinnedAncestor(parent);
            if (ancestor) {
                if (!ancestor->SkinChild(message->hwnd, NULL)
                    && (GetWindowLongA(message->hwnd, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)
                    && (GetWindowLongA(message->hwnd, GWL_STYLE) & WS_THICKFRAME) && s_frameName[0])
                    s_manager.SetFrameSkin(message->hwnd, s_frameName);
            } else if (strcmp(name, "ToolbarWindow32") == 0) {
                char parentName[100] = "";
                GetClassNameA(parent, parentName, sizeof(parentName));
                if (strcmp(parentName, "ReBarWindow32") != 0
                    && strncmp(parentName, "AfxControlBar", 13) != 0 && GetParent(parent)
                    && (GetWindowLongA(parent, GWL_EXSTYLE) & WS_EX_TOOLWINDOW))
                    s_manager.SkinFloatingToolbar(message->hwnd);
            }
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

LRESULT CALLBACK SkinKeyboardHook(int code, WPARAM wParam, LPARAM lParam)
{
    HHOOK hook = ThreadHook(s_keyboardHooks);
    if (!hook)
        return 0;
    if (code != HC_ACTION)
        return CallNextHookEx(hook, code, wParam, lParam);
    const bool alt = (lParam & (1 << 29)) != 0;
    const bool released = (lParam & (1u << 31)) != 0;
    if (wParam == VK_F10 || (alt && wParam != VK_MENU && !released)) {
        HWND target = MenuKeyTarget();
        if (target && SendMessageA(target, WM_SKIN_MENU_KEY, wParam, lParam))
            return 1;
    }
    if (!alt && wParam == VK_MENU)
        return 1;
    if (alt && wParam == VK_MENU) {
        HWND target = MenuKeyTarget();
        if (target && SendMessageA(target, WM_SKIN_MENU_KEY, (WPARAM)-1, lParam))
            return 1;
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

// ---------------------------------------------------------------- interface

BOOL WINAPI InitSkinLibrary(HINSTANCE instance, LPCSTR, LPCSTR, DWORD)
{
    CSkinLockScope scope(s_libraryLock);
    if (!s_initialised && !StartLibrary(instance))
        return FALSE;
    const DWORD thread = GetCurrentThreadId();
    if (!InstallThreadHook(s_callWndHooks, WH_CALLWNDPROC, SkinCallWndProcHook, thread, SKINERR_CALLWNDHOOK)
        || !InstallThreadHook(s_keyboardHooks, WH_KEYBOARD, SkinKeyboardHook, thread, SKINERR_KEYBOARDHOOK))
        return FALSE;
    SetSkinLibraryError(SKINERR_NONE);
    return TRUE;
}

void WINAPI ExitSkinLibrary()
{
    CSkinLockScope scope(s_libraryLock);
    if (!s_initialised)
        return;
    const DWORD thread = GetCurrentThreadId();
    RemoveThreadHook(s_callWndHooks, thread);
    RemoveThreadHook(s_keyboardHooks, thread);
    if (s_callWndHooks.empty())
        TearDownLibrary();
}

BOOL WINAPI LoadSkinFromResource(HMODULE module, LPCSTR name, LPCSTR type)
{
    if (!CheckInitialised())
        return FALSE;
    HRSRC resource = FindResourceA(module, name, type);
    if (!resource) {
        SetSkinLibraryError(SKINERR_NORESOURCE);
        return FALSE;
    }
    HGLOBAL loaded = LoadResource(module, resource);
    if (!loaded) {
        SetSkinLibraryError(SKINERR_LOADRESOURCE);
        return FALSE;
    }
    const void* data = LockResource(loaded);
    const DWORD size = SizeofResource(module, resource);
    CSkinMemStream packed(data, data ? size : 0, CSkinMemStream::DefaultGrowth);
    CSkinStore* store = new CSkinStore();
    if (!store->Load(packed)) {
        // The current skin stays; the reason is the thread's last error.
        SetSkinLibraryError(store->GetError());
        delete store;
        return FALSE;
    }
    return s_manager.InstallStore(store);
}

BOOL WINAPI SetDialogSkin(LPCSTR name)
{
    if (!CheckInitialised())
        return FALSE;
    CSkinLockScope scope(s_libraryLock);
    lstrcpynA(s_dialogName, name ? name : "", sizeof(s_dialogName));
    return TRUE;
}

BOOL WINAPI ClearDialogSkin()
{
    return SetDialogSkin(NULL);
}

BOOL WINAPI SetWindowSkin(HWND hwnd, LPCSTR name)
{
    if (!CheckInitialised())
        return FALSE;
    int error = SKINERR_NONE;
    BOOL result = s_manager.SetWindowSkin(hwnd, name, &error);
    if (!result && error)
        SetSkinLibraryError(error);
    return result;
}

BOOL WINAPI RemoveWindowSkin(HWND hwnd)
{
    if (!CheckInitialised())
        return FALSE;
    return s_manager.RemoveSkin(hwnd, CSkinManager::RemoveDetach);
}

BOOL WINAPI SetControlSkin(HWND hwnd, LPCSTR name, LPCSTR container)
{
    if (!CheckInitialised())
        return FALSE;
    int error = SKINERR_NOOBJECT;
    BOOL result = s_manager.SetControlSkin(hwnd, name, container, &error);
    if (!result)
        SetSkinLibraryError(error);
    return result;
}

CSkinObject* WINAPI FindSkinObject(LPCSTR name)
{
    CSkinObject* object = s_manager.GetStore()->FindByName(name);
    if (!object)
        SetSkinLibraryError(SKINERR_NOOBJECT);
    return object;
}

BOOL WINAPI GetSkinObjectColors(CSkinObject* object, HFONT* font, COLORREF* colour)
{
    if (!object || !object->IsFontObject()) {
        SetSkinLibraryError(SKINERR_NOOBJECT);
        return FALSE;
    }
    const CSkinFontObject* fontObject = static_cast<const CSkinFontObject*>(object);
    if (font)
        *font = fontObject->GetFont();
    if (colour)
        *colour = fontObject->GetFontColour();
    return TRUE;
}

int WINAPI GetSkinLibraryError()
{
    CSkinLockScope scope(s_errorLock);
    return s_errors[GetCurrentThreadId()];
}
