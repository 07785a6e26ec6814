// The call interface of the skin toolkit and the library-wide state behind
// it: start-up and teardown, the per-thread hooks and last errors.

#include "skin/skinlibrary.h"

#include <map>
#include <string.h>

#include "skin/core/skinchildwindows.h"
#include "skin/core/skinlibrarystate.h"
#include "skin/core/skinlock.h"
#include "skin/core/skinmanager.h"
#include "skin/core/skinmemstream.h"
#include "skin/core/skinstore.h"
#include "skin/core/skinwnd.h"
#include "skin/core/skinwndproc.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinmemdc.h"
#include "skin/elements/skincaptionbutton.h"
#include "skin/hooks/skinuser32.h"
#include "skin/menus/skinhostwnd.h"
#include "skin/menus/skinpopupmenu.h"
#include "skin/menus/skintooltip.h"
#include "skin/objects/skinobject.h"

namespace {

const size_t DialogNameLength = 50;

// Built in this order before the program's entry, destroyed in reverse.
// The library lock lives as long as the process, so a call after the last
// ExitSkinLibrary finds a working lock (and the initialised flag cleared).
CSkinLock s_libraryLock;
std::map<DWORD, HHOOK> s_creationHooks;
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
    s_tooltip.Create(NULL);
    s_tooltip.SetInstance(instance);
    CSkinCaptionButton::SetSystemMenuHandler(OpenSkinSystemMenu);
    s_osCode = GetOSVersionCode();
    InstallSkinUser32Interception();
    InterlockedExchange(&s_initialised, 1);
    return true;
}

void TearDownLibrary()
{
    s_dialogName[0] = '\0';
    s_frameName[0] = '\0';
    CSkinCaptionButton::SetSystemMenuHandler(NULL);
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
    CSkinMemDC::ReleaseKept();
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
    // With the functions patched in place, only their trampolines still
    // reach the real code.
    const SkinUser32Entries* trampolines = GetSkinUser32Trampolines();
    return trampolines ? *trampolines : s_user32;
}

size_t GetSkinHookedThreadCount()
{
    CSkinLockScope scope(s_libraryLock);
    return s_creationHooks.size();
}

// ---------------------------------------------------------------- hooks

// What a new window gets when its WM_CREATE arrives: dialogs the dialog
// skin, windows inside skinned windows a control (or frame) skinner, and
// floating toolbars theirs.
static void SkinCreatedWindow(HWND hwnd)
{
    char name[100];
    if (!GetClassNameA(hwnd, name, sizeof(name)))
        return;
    if (strcmp(name, "#32770") == 0) {
        if (s_dialogName[0])
            s_manager.SetWindowSkin(hwnd, s_dialogName);
        return;
    }
    HWND parent = GetParent(hwnd);
    if (!parent)
        return;
    CSkinWnd* ancestor = s_manager.FindSkinnedAncestor(parent);
    if (ancestor) {
        if (!ancestor->SkinChild(hwnd, NULL) && IsSizableToolWindow(hwnd) && s_frameName[0])
            s_manager.SetFrameSkin(hwnd, s_frameName);
    } else if (strcmp(name, "ToolbarWindow32") == 0) {
        char parentName[100] = "";
        GetClassNameA(parent, parentName, sizeof(parentName));
        if (strcmp(parentName, "ReBarWindow32") != 0 && strncmp(parentName, "AfxControlBar", 13) != 0
            && GetParent(parent) && (GetWindowLongA(parent, GWL_EXSTYLE) & WS_EX_TOOLWINDOW))
            s_manager.SkinFloatingToolbar(hwnd);
    }
}

namespace {

// The window's procedure before the creation procedure went in front of it.
struct CreationState
{
    WNDPROC next;
    bool unicode;
};
const char s_creationProp[] = "OBJECT_CREATE";

LRESULT CALLBACK CreationProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    CreationState* state = (CreationState*)GetPropA(hwnd, s_creationProp);
    if (!state)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    const WNDPROC next = state->next;
    const bool unicode = state->unicode;
    if (message != WM_CREATE && message != WM_NCDESTROY)
        return CallSkinWindowProc(unicode, next, hwnd, message, wParam, lParam);
    // Out of the way first: the skinner then subclasses the window's own
    // procedure, as it would without this one. A procedure put in front of
    // this one meanwhile keeps it as a plain link of the chain.
    const bool alone = GetSkinWindowProc(hwnd, unicode) == CreationProc;
    if (alone || message == WM_NCDESTROY) {
        if (alone)
            SetSkinWindowProc(hwnd, unicode, next);
        RemovePropA(hwnd, s_creationProp);
        delete state;
    }
    if (message == WM_CREATE)
        SkinCreatedWindow(hwnd);
    // WM_CREATE goes to the head of the chain, the skinner when there is one.
    WNDPROC head = alone ? GetSkinWindowProc(hwnd, unicode) : next;
    return CallSkinWindowProc(unicode, head, hwnd, message, wParam, lParam);
}

// Whether a window being created may want a skin at its WM_CREATE.
bool MayWantSkin(HWND hwnd)
{
    char name[100];
    if (!GetClassNameA(hwnd, name, sizeof(name)))
        return false;
    if (strcmp(name, "#32770") == 0)
        return s_dialogName[0] != '\0';
    HWND parent = GetParent(hwnd);
    return parent && (s_manager.FindSkinnedAncestor(parent) || strcmp(name, "ToolbarWindow32") == 0);
}

} // namespace

// Windows are skinned when their WM_CREATE arrives, before their own
// procedure sees it. A hook on every sent message (WH_CALLWNDPROC) would do
// that too, but every message of the thread would pay for a trip through the
// system's hook chain (under Wine this doubled the main window's repaint
// time); the creation hook runs once per window and puts a one-shot
// procedure in front of the windows that may want a skin.
LRESULT CALLBACK SkinCreationHook(int code, WPARAM wParam, LPARAM lParam)
{
    HHOOK hook = ThreadHook(s_creationHooks);
    if (!hook)
        return 0;
    HWND hwnd = (HWND)wParam;
    if (code == HCBT_CREATEWND || code == HCBT_DESTROYWND)
        NoteSkinWindowsChanged();
    if (code == HCBT_CREATEWND && MayWantSkin(hwnd)) {
        CreationState* state = new CreationState;
        state->unicode = IsWindowUnicode(hwnd) != FALSE;
        state->next = GetSkinWindowProc(hwnd, state->unicode);
        SetPropA(hwnd, s_creationProp, (HANDLE)state);
        if (!SetSkinWindowProc(hwnd, state->unicode, CreationProc)) {
            RemovePropA(hwnd, s_creationProp);
            delete state;
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
    if (!InstallThreadHook(s_creationHooks, WH_CBT, SkinCreationHook, thread, SKINERR_CALLWNDHOOK)
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
    RemoveThreadHook(s_creationHooks, thread);
    RemoveThreadHook(s_keyboardHooks, thread);
    if (s_creationHooks.empty())
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

// The dialog and frame skin names: what windows get at their creation.
static BOOL SetCreationSkinName(char* target, size_t size, LPCSTR name)
{
    if (!CheckInitialised())
        return FALSE;
    CSkinLockScope scope(s_libraryLock);
    lstrcpynA(target, name ? name : "", (int)size);
    return TRUE;
}

BOOL WINAPI SetDialogSkin(LPCSTR name)
{
    return SetCreationSkinName(s_dialogName, sizeof(s_dialogName), name);
}

BOOL WINAPI ClearDialogSkin()
{
    return SetDialogSkin(NULL);
}

BOOL WINAPI SetFrameSkin(LPCSTR name)
{
    return SetCreationSkinName(s_frameName, sizeof(s_frameName), name);
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
    // Reading makes no entry: a thread that never failed has error 0.
    CSkinLockScope scope(s_errorLock);
    std::map<DWORD, int>::const_iterator it = s_errors.find(GetCurrentThreadId());
    return it == s_errors.end() ? SKINERR_NONE : it->second;
}

size_t GetSkinErrorThreadCount()
{
    CSkinLockScope scope(s_errorLock);
    return s_errors.size();
}
