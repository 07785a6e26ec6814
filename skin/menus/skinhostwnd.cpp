#include "skin/menus/skinhostwnd.h"

#include "skin/core/skinwnd.h"

const char SKIN_POPUP_MENU_CLASS[] = "SkinToolsPopupMenuWnd";
const char SKIN_TOOLTIP_CLASS[] = "SkinToolsTooltip32";
static const char s_thisProp[] = "this";

LRESULT CALLBACK SkinHostWndProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CREATE) {
        const CREATESTRUCTA* cs = (const CREATESTRUCTA*)lParam;
        CSkinWnd* object = cs ? (CSkinWnd*)cs->lpCreateParams : NULL;
        if (object) {
            SetPropA(hwnd, s_thisProp, (HANDLE)object);
            object->SetHostWindow(hwnd);
        }
    }
    CSkinWnd* object = (CSkinWnd*)GetPropA(hwnd, s_thisProp);
    if (!object)
        return DefWindowProcA(hwnd, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        RemovePropA(hwnd, s_thisProp);
        object->SetHostWindow(NULL);
        return DefWindowProcA(hwnd, message, wParam, lParam);
    }
    return object->WindowProc(message, wParam, lParam);
}

static bool RegisterHostClass(HINSTANCE instance, LPCSTR name)
{
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof(wc);
    wc.style = CS_SAVEBITS | CS_CLASSDC;
    wc.lpfnWndProc = SkinHostWndProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)GetStockObject(NULL_BRUSH);
    wc.lpszClassName = name;
    if (RegisterClassExA(&wc))
        return true;
    // Still registered from a previous start-up whose window another thread
    // owned: the same class serves again.
    WNDCLASSEXA existing = {};
    existing.cbSize = sizeof(existing);
    return GetClassInfoExA(instance, name, &existing) && existing.lpfnWndProc == SkinHostWndProc;
}

bool RegisterSkinPopupMenuClass(HINSTANCE instance)
{
    return RegisterHostClass(instance, SKIN_POPUP_MENU_CLASS);
}

void UnregisterSkinPopupMenuClass(HINSTANCE instance)
{
    UnregisterClassA(SKIN_POPUP_MENU_CLASS, instance);
}

bool RegisterSkinTooltipClass(HINSTANCE instance)
{
    return RegisterHostClass(instance, SKIN_TOOLTIP_CLASS);
}

void UnregisterSkinTooltipClass(HINSTANCE instance)
{
    UnregisterClassA(SKIN_TOOLTIP_CLASS, instance);
}
