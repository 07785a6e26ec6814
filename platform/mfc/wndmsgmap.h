#pragma once
// The ON_WM_ entries of window message maps. Each maps a window message to
// the handler of the usual name and signature, with the parameters cracked
// out of wParam and lParam. Included by cwnd.h.

#include "platform/mfc/cdc.h"

#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif

// Dispatch functions by handler shape.
template <class T, auto F>
void AfxThunkCreate(CCmdTarget* t, AFX_MSGCALL& c)
{
    c.result = (static_cast<T*>(t)->*F)(reinterpret_cast<LPCREATESTRUCTA>(c.lParam));
}
template <class T, auto F>
void AfxThunkSize(CCmdTarget* t, AFX_MSGCALL& c)
{
    (static_cast<T*>(t)->*F)((UINT)c.wParam, (short)LOWORD(c.lParam), (short)HIWORD(c.lParam));
}
template <class T, auto F>
void AfxThunkMinMax(CCmdTarget* t, AFX_MSGCALL& c)
{
    (static_cast<T*>(t)->*F)(reinterpret_cast<MINMAXINFO*>(c.lParam));
}
template <class T, auto F>
void AfxThunkEraseBkgnd(CCmdTarget* t, AFX_MSGCALL& c)
{
    CDC dc;
    dc.m_hDC = dc.m_hAttribDC = reinterpret_cast<HDC>(c.wParam);
    c.result = (static_cast<T*>(t)->*F)(&dc);
    dc.m_hDC = dc.m_hAttribDC = nullptr;
}
template <class T, auto F>
void AfxThunkShowWindow(CCmdTarget* t, AFX_MSGCALL& c)
{
    (static_cast<T*>(t)->*F)((BOOL)c.wParam, (UINT)c.lParam);
}
template <class T, auto F>
void AfxThunkSysCommand(CCmdTarget* t, AFX_MSGCALL& c)
{
    (static_cast<T*>(t)->*F)((UINT)c.wParam, c.lParam);
}
template <class T, auto F>
void AfxThunkQueryDragIcon(CCmdTarget* t, AFX_MSGCALL& c)
{
    c.result = reinterpret_cast<LRESULT>((static_cast<T*>(t)->*F)());
}
template <class T, auto F>
void AfxThunkTimer(CCmdTarget* t, AFX_MSGCALL& c)
{
    (static_cast<T*>(t)->*F)((UINT_PTR)c.wParam);
}
template <class T, auto F>
void AfxThunkCtlColor(CCmdTarget* t, AFX_MSGCALL& c)
{
    CDC dc;
    dc.m_hDC = dc.m_hAttribDC = reinterpret_cast<HDC>(c.wParam);
    c.result = reinterpret_cast<LRESULT>((static_cast<T*>(t)->*F)(
        &dc, CWnd::FromHandle(reinterpret_cast<HWND>(c.lParam)), c.message - WM_CTLCOLORMSGBOX));
    dc.m_hDC = dc.m_hAttribDC = nullptr;
}
template <class T, auto F>
void AfxThunkSetCursor(CCmdTarget* t, AFX_MSGCALL& c)
{
    c.result = (static_cast<T*>(t)->*F)(CWnd::FromHandle(reinterpret_cast<HWND>(c.wParam)), LOWORD(c.lParam),
                                         HIWORD(c.lParam));
}
template <class T, auto F>
void AfxThunkMouse(CCmdTarget* t, AFX_MSGCALL& c)
{
    (static_cast<T*>(t)->*F)((UINT)c.wParam, CPoint((short)LOWORD(c.lParam), (short)HIWORD(c.lParam)));
}
template <class T, auto F>
void AfxThunkKey(CCmdTarget* t, AFX_MSGCALL& c)
{
    (static_cast<T*>(t)->*F)((UINT)c.wParam, LOWORD(c.lParam), HIWORD(c.lParam));
}
template <class T, auto F>
void AfxThunkActivate(CCmdTarget* t, AFX_MSGCALL& c)
{
    (static_cast<T*>(t)->*F)(LOWORD(c.wParam), CWnd::FromHandle(reinterpret_cast<HWND>(c.lParam)),
                             HIWORD(c.wParam) != 0);
}
template <class T, auto F>
void AfxThunkActivateApp(CCmdTarget* t, AFX_MSGCALL& c)
{
    (static_cast<T*>(t)->*F)((BOOL)c.wParam, (DWORD)c.lParam);
}
template <class T, auto F>
void AfxThunkFocus(CCmdTarget* t, AFX_MSGCALL& c)
{
    (static_cast<T*>(t)->*F)(CWnd::FromHandle(reinterpret_cast<HWND>(c.wParam)));
}
template <class T, auto F>
void AfxThunkContextMenu(CCmdTarget* t, AFX_MSGCALL& c)
{
    (static_cast<T*>(t)->*F)(CWnd::FromHandle(reinterpret_cast<HWND>(c.wParam)),
                             CPoint((short)LOWORD(c.lParam), (short)HIWORD(c.lParam)));
}
template <class T, auto F>
void AfxThunkDrawItem(CCmdTarget* t, AFX_MSGCALL& c)
{
    (static_cast<T*>(t)->*F)((int)c.wParam, reinterpret_cast<LPDRAWITEMSTRUCT>(c.lParam));
    c.result = TRUE;
}
template <class T, auto F>
void AfxThunkEnable(CCmdTarget* t, AFX_MSGCALL& c)
{
    (static_cast<T*>(t)->*F)((BOOL)c.wParam);
}
template <class T, auto F>
void AfxThunkWindowPos(CCmdTarget* t, AFX_MSGCALL& c)
{
    (static_cast<T*>(t)->*F)(reinterpret_cast<WINDOWPOS*>(c.lParam));
}
#define AFX_WM_ENTRY(message, thunk, sig, memberFxn) \
    {(message), 0, 0, 0, nullptr, &thunk<ThisClass, AfxSig<sig>(&ThisClass::memberFxn)>},

#define ON_WM_CREATE() AFX_WM_ENTRY(WM_CREATE, AfxThunkCreate, int(LPCREATESTRUCTA), OnCreate)
#define ON_WM_DESTROY() AFX_WM_ENTRY(WM_DESTROY, AfxThunkVoid, void(), OnDestroy)
#define ON_WM_NCDESTROY() AFX_WM_ENTRY(WM_NCDESTROY, AfxThunkVoid, void(), OnNcDestroy)
#define ON_WM_SIZE() AFX_WM_ENTRY(WM_SIZE, AfxThunkSize, void(UINT, int, int), OnSize)
#define ON_WM_GETMINMAXINFO() AFX_WM_ENTRY(WM_GETMINMAXINFO, AfxThunkMinMax, void(MINMAXINFO*), OnGetMinMaxInfo)
#define ON_WM_ERASEBKGND() AFX_WM_ENTRY(WM_ERASEBKGND, AfxThunkEraseBkgnd, BOOL(CDC*), OnEraseBkgnd)
#define ON_WM_PAINT() AFX_WM_ENTRY(WM_PAINT, AfxThunkVoid, void(), OnPaint)
#define ON_WM_SHOWWINDOW() AFX_WM_ENTRY(WM_SHOWWINDOW, AfxThunkShowWindow, void(BOOL, UINT), OnShowWindow)
#define ON_WM_SYSCOMMAND() AFX_WM_ENTRY(WM_SYSCOMMAND, AfxThunkSysCommand, void(UINT, LPARAM), OnSysCommand)
#define ON_WM_QUERYDRAGICON() AFX_WM_ENTRY(WM_QUERYDRAGICON, AfxThunkQueryDragIcon, HCURSOR(), OnQueryDragIcon)
#define ON_WM_CLOSE() AFX_WM_ENTRY(WM_CLOSE, AfxThunkVoid, void(), OnClose)
#define ON_WM_TIMER() AFX_WM_ENTRY(WM_TIMER, AfxThunkTimer, void(UINT_PTR), OnTimer)
// Every WM_CTLCOLORxxx message; nCtlColor is CTLCOLOR_MSGBOX .. CTLCOLOR_STATIC.
#define ON_WM_CTLCOLOR() AFX_WM_ENTRY(WM_CTLCOLOR, AfxThunkCtlColor, HBRUSH(CDC*, CWnd*, UINT), OnCtlColor)
#define ON_WM_SETCURSOR() AFX_WM_ENTRY(WM_SETCURSOR, AfxThunkSetCursor, BOOL(CWnd*, UINT, UINT), OnSetCursor)
#define ON_WM_LBUTTONDOWN() AFX_WM_ENTRY(WM_LBUTTONDOWN, AfxThunkMouse, void(UINT, CPoint), OnLButtonDown)
#define ON_WM_LBUTTONUP() AFX_WM_ENTRY(WM_LBUTTONUP, AfxThunkMouse, void(UINT, CPoint), OnLButtonUp)
#define ON_WM_LBUTTONDBLCLK() AFX_WM_ENTRY(WM_LBUTTONDBLCLK, AfxThunkMouse, void(UINT, CPoint), OnLButtonDblClk)
#define ON_WM_RBUTTONDOWN() AFX_WM_ENTRY(WM_RBUTTONDOWN, AfxThunkMouse, void(UINT, CPoint), OnRButtonDown)
#define ON_WM_RBUTTONUP() AFX_WM_ENTRY(WM_RBUTTONUP, AfxThunkMouse, void(UINT, CPoint), OnRButtonUp)
#define ON_WM_MOUSEMOVE() AFX_WM_ENTRY(WM_MOUSEMOVE, AfxThunkMouse, void(UINT, CPoint), OnMouseMove)
#define ON_WM_MOUSEHOVER() AFX_WM_ENTRY(WM_MOUSEHOVER, AfxThunkMouse, void(UINT, CPoint), OnMouseHover)
#define ON_WM_MOUSELEAVE() AFX_WM_ENTRY(WM_MOUSELEAVE, AfxThunkVoid, void(), OnMouseLeave)
#define ON_WM_KEYDOWN() AFX_WM_ENTRY(WM_KEYDOWN, AfxThunkKey, void(UINT, UINT, UINT), OnKeyDown)
#define ON_WM_KEYUP() AFX_WM_ENTRY(WM_KEYUP, AfxThunkKey, void(UINT, UINT, UINT), OnKeyUp)
#define ON_WM_SYSKEYDOWN() AFX_WM_ENTRY(WM_SYSKEYDOWN, AfxThunkKey, void(UINT, UINT, UINT), OnSysKeyDown)
#define ON_WM_CHAR() AFX_WM_ENTRY(WM_CHAR, AfxThunkKey, void(UINT, UINT, UINT), OnChar)
#define ON_WM_ACTIVATE() AFX_WM_ENTRY(WM_ACTIVATE, AfxThunkActivate, void(UINT, CWnd*, BOOL), OnActivate)
#define ON_WM_ACTIVATEAPP() AFX_WM_ENTRY(WM_ACTIVATEAPP, AfxThunkActivateApp, void(BOOL, DWORD), OnActivateApp)
#define ON_WM_SETFOCUS() AFX_WM_ENTRY(WM_SETFOCUS, AfxThunkFocus, void(CWnd*), OnSetFocus)
#define ON_WM_KILLFOCUS() AFX_WM_ENTRY(WM_KILLFOCUS, AfxThunkFocus, void(CWnd*), OnKillFocus)
#define ON_WM_CONTEXTMENU() AFX_WM_ENTRY(WM_CONTEXTMENU, AfxThunkContextMenu, void(CWnd*, CPoint), OnContextMenu)
#define ON_WM_DRAWITEM() AFX_WM_ENTRY(WM_DRAWITEM, AfxThunkDrawItem, void(int, LPDRAWITEMSTRUCT), OnDrawItem)
#define ON_WM_ENABLE() AFX_WM_ENTRY(WM_ENABLE, AfxThunkEnable, void(BOOL), OnEnable)
#define ON_WM_WINDOWPOSCHANGED() \
    AFX_WM_ENTRY(WM_WINDOWPOSCHANGED, AfxThunkWindowPos, void(WINDOWPOS*), OnWindowPosChanged)
