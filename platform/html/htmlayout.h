#pragma once
// The HTML layout library's interface, served by our own engine: a window
// class that shows a page, a notification callback that also asks the host
// for the data a page names, and element functions over the page's tree.
// Element handles stay valid while the element is in its page or used
// (HTMLayout_UseElement); the functions run on the window's thread.

#include <windows.h>

typedef struct HtmlElementHandle* HELEMENT;

// Results of the element functions.
enum HLDOM_RESULT
{
    HLDOM_OK = 0,
    HLDOM_INVALID_HWND = 1,
    HLDOM_INVALID_HANDLE = 2,
    HLDOM_PASSIVE_HANDLE = 3,  // the element is in no page
    HLDOM_INVALID_PARAMETER = 4,
    HLDOM_OPERATION_FAILED = 5,
};

// Notification codes sent to the callback as WM_NOTIFY (wParam the control
// id, lParam the structure). Only the three below carry data of their own.
enum
{
    HLN_CREATE_CONTROL = 0xB00,
    HLN_LOAD_DATA = 0xB01,        // NMHL_LOAD_DATA: the page needs a resource
    HLN_CONTROL_CREATED = 0xB02,
    HLN_DATA_LOADED = 0xB03,      // NMHL_DATA_LOADED: a resource arrived
    HLN_DESTROY_CONTROL = 0xB04,
    HLN_DOCUMENT_COMPLETE = 0xB05,  // plain NMHDR, after HTMLayoutLoadHtml
    HLN_UPDATE_UI = 0xB06,
    HLN_ATTACH_BEHAVIOR = 0xB07,  // NMHL_ATTACH_BEHAVIOR: an element names a behaviour
};

struct NMHL_LOAD_DATA
{
    NMHDR hdr;
    LPCWSTR uri;
    // The host answers either by HTMLayoutDataReady from inside the
    // callback or by filling these two (the bytes must outlive the call).
    LPVOID outData;
    DWORD outDataSize;
    HELEMENT principal;
};

struct NMHL_DATA_LOADED
{
    NMHDR hdr;
    LPCWSTR uri;
    LPVOID data;
    DWORD dataSize;
};

// Event groups an element procedure receives, and its parameters.
enum
{
    HANDLE_INITIALIZATION = 0x0000,  // params: INITIALIZATION_PARAMS
    HANDLE_MOUSE = 0x0001,           // params: MOUSE_PARAMS
};
enum { BEHAVIOR_ATTACH = 0, BEHAVIOR_DETACH = 1 };
enum { MOUSE_ENTER = 0, MOUSE_LEAVE = 1, MOUSE_MOVE = 2, MOUSE_UP = 3, MOUSE_DOWN = 4, MOUSE_CLICK = 0xFF };

struct INITIALIZATION_PARAMS
{
    UINT cmd;
};

struct MOUSE_PARAMS
{
    UINT cmd;
    HELEMENT target;
    POINT pos;           // relative to the element
    POINT posView;       // relative to the window
};

typedef BOOL(CALLBACK* LPELEMENT_EVENT_PROC)(LPVOID tag, HELEMENT he, UINT evtg, LPVOID params);

struct NMHL_ATTACH_BEHAVIOR
{
    NMHDR hdr;
    HELEMENT element;
    LPCSTR behaviorName;
    LPELEMENT_EVENT_PROC elementProc;  // filled by the host
    LPVOID elementTag;                 // filled by the host
    UINT elementEvents;                // filled by the host: the groups wanted
};

// The window sends itself this message for behaviour events, so a control
// that subclasses the window sees them; unhandled, it answers 0. wParam is
// the window itself: the number is also WM_USER + 100, which others use.
const UINT WM_BEHAVIOR_NOTIFY = 0x464;
enum
{
    HLN_BEHAVIOR_ATTACHED = 1,  // plain NMHDR
    HLN_HYPERLINK = 2,          // NMHL_HYPERLINK
};
enum { HYPERLINK_ENTER = 1, HYPERLINK_LEAVE = 2, HYPERLINK_CLICK = 3 };

struct NMHL_HYPERLINK
{
    NMHDR hdr;
    UINT action;
    WCHAR href[1024];
    HELEMENT element;
};

typedef LRESULT(CALLBACK* LPHTMLAYOUT_NOTIFY)(UINT msg, WPARAM wParam, LPARAM lParam, LPVOID param);
typedef BOOL(CALLBACK* HTMLayoutElementCallback)(HELEMENT he, LPVOID param);

// Placement codes of HTMLayoutSetElementHtml.
enum
{
    SIH_REPLACE_CONTENT = 0,
    SIH_INSERT_AT_START = 1,
    SIH_APPEND_AFTER_LAST = 2,
    SOH_REPLACE = 3,
    SOH_INSERT_BEFORE = 4,
    SOH_INSERT_AFTER = 5,
};

LPCSTR WINAPI HTMLayoutClassNameA();
VOID WINAPI HTMLayoutSetCallback(HWND hwnd, LPHTMLAYOUT_NOTIFY callback, LPVOID param);
BOOL WINAPI HTMLayoutLoadHtml(HWND hwnd, const BYTE* html, UINT size);
BOOL WINAPI HTMLayoutDataReady(HWND hwnd, LPCWSTR uri, LPBYTE data, DWORD size);
HLDOM_RESULT WINAPI HTMLayoutGetRootElement(HWND hwnd, HELEMENT* root);
HLDOM_RESULT WINAPI HTMLayoutSelectElements(HELEMENT he, LPCSTR selector, HTMLayoutElementCallback callback, LPVOID param);
HLDOM_RESULT WINAPI HTMLayoutSetElementHtml(HELEMENT he, const BYTE* html, DWORD length, UINT where);
HLDOM_RESULT WINAPI HTMLayoutSetElementInnerText16(HELEMENT he, LPCWSTR text, UINT length);
HLDOM_RESULT WINAPI HTMLayoutUpdateElement(HELEMENT he, BOOL renderNow);
HLDOM_RESULT WINAPI HTMLayoutSetStyleAttribute(HELEMENT he, LPCSTR name, LPCWSTR value);
HLDOM_RESULT WINAPI HTMLayout_UseElement(HELEMENT he);
HLDOM_RESULT WINAPI HTMLayout_UnuseElement(HELEMENT he);
