#pragma once
// The window object. A CWnd that creates or subclasses a window becomes its
// permanent object: the window's procedure is replaced by the framework's,
// which sends every message through WindowProc and the message map, behind
// an exception barrier. The object lets go of the handle when the window
// receives WM_NCDESTROY, so a stale handle is never used again.
// FromHandle wraps any other window in a temporary object.

#include "platform/mfc/afxstate.h"
#include "platform/mfc/ccmdtarget.h"
#include "platform/mfc/crect.h"
#include "platform/mfc/cstring.h"

#include <windows.h>

class CDC;
class CFont;
class CMenu;

// m_nFlags
#define WF_MODALLOOP 0x0008
#define WF_CONTINUEMODAL 0x0010
// RunModalLoop flags
#define MLF_NOIDLEMSG 0x0001
#define MLF_NOKICKIDLE 0x0002
#define MLF_SHOWONIDLE 0x0004
// The system's caret-blink timer: like WM_PAINT, it brings no idle work.
#ifndef WM_SYSTIMER
#define WM_SYSTIMER 0x0118
#endif

#ifndef afx_msg
#define afx_msg
#endif

class CWnd : public CCmdTarget
{
    DECLARE_DYNAMIC(CWnd)

public:
    CWnd();
    // Destroys a window the object still owns.
    ~CWnd() override;

    HWND m_hWnd;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // The permanent object of the window, else a temporary one (valid until
    // the thread's outermost message loop is idle again); NULL for NULL.
    static CWnd* FromHandle(HWND hWnd);
    // The permanent object of the window on this thread, or NULL.
    static CWnd* FromHandlePermanent(HWND hWnd);

    // Makes this the window's permanent object without taking its messages.
    BOOL Attach(HWND hWndNew);
    HWND Detach();
    // Makes this the window's permanent object and routes its messages
    // through the message map; FALSE when the window is already someone's.
    BOOL SubclassWindow(HWND hWnd);
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow();

    // Creation. FALSE when the window could not be made.
    virtual BOOL PreCreateWindow(CREATESTRUCTA& cs);
    virtual BOOL Create(LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                        CWnd* pParentWnd, UINT nID, void* pContext = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, int x, int y,
                  int nWidth, int nHeight, HWND hWndParent, HMENU nIDorHMenu, LPVOID lpParam = nullptr);
    BOOL CreateEx(DWORD dwExStyle, LPCSTR lpszClassName, LPCSTR lpszWindowName, DWORD dwStyle, const RECT& rect,
                  CWnd* pParentWnd, UINT nID, LPVOID lpParam = nullptr);
    // FALSE without a window, or when the handle no longer names one.
    virtual BOOL DestroyWindow();

    // Message handling.
    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // The default handling of the message the window procedure is handling.
    LRESULT Default();
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // A notification this control sent its parent, offered to its own map.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Offers a parent's notification back to the permanent object of the
    // control that sent it.
    static BOOL ReflectNotification(HWND hWndChild, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);

    // Called for each message the thread's framework loops take from the
    // queue, from the target window up to the main window; TRUE: handled.
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    static BOOL WalkPreTranslateTree(HWND hWndStop, MSG* pMsg);
    BOOL PreTranslateInput(LPMSG lpMsg);
    BOOL IsDialogMessage(LPMSG lpMsg);

    // The framework's modal loop: runs until EndModalLoop (or WM_QUIT, which
    // it posts again and answers with -1) and returns the result.
    virtual int RunModalLoop(DWORD dwFlags = 0);
    virtual BOOL ContinueModal();
    virtual void EndModalLoop(int nResult);

    // Owner for a modal window: the given window or the main window, never
    // a child; *pWndTop gets the top-level window disabled meanwhile.
    static HWND GetSafeOwner_(HWND hParent, HWND* pWndTop);

    // The usual window calls.
    DWORD GetStyle() const;
    DWORD GetExStyle() const;
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ShowWindow(int nCmdShow);
    BOOL IsWindowVisible() const;
    BOOL EnableWindow(BOOL bEnable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsIconic() const;
    BOOL IsZoomed() const;
    BOOL IsChild(const CWnd* pWnd) const;
    void SetWindowText(LPCSTR lpszString);
    int GetWindowText(LPSTR lpszStringBuf, int nMaxCount) const;
    void GetWindowText(CString& rString) const;
    int GetWindowTextLength() const;
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE);
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE);
    BOOL SetWindowPos(const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void GetWindowRect(LPRECT lpRect) const;
    void GetClientRect(LPRECT lpRect) const;
    void ClientToScreen(LPPOINT lpPoint) const;
    void ClientToScreen(LPRECT lpRect) const;
    void ScreenToClient(LPPOINT lpPoint) const;
    void ScreenToClient(LPRECT lpRect) const;
    void MapWindowPoints(CWnd* pwndTo, LPRECT lpRect) const;
    void CenterWindow(CWnd* pAlternateOwner = nullptr);
    void Invalidate(BOOL bErase = TRUE);
    void InvalidateRect(LPCRECT lpRect, BOOL bErase = TRUE);
    void ValidateRect(LPCRECT lpRect);
    void UpdateWindow();
    BOOL RedrawWindow(LPCRECT lpRectUpdate = nullptr, HRGN hrgn = nullptr,
                      UINT flags = RDW_INVALIDATE | RDW_UPDATENOW | RDW_ERASE);
    void SetRedraw(BOOL bRedraw = TRUE);
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    CWnd* GetDlgItem(int nID) const;
    int GetDlgCtrlID() const;
    CWnd* GetParent() const;
    CWnd* GetOwner() const;
    CWnd* GetTopLevelParent() const;
    CWnd* GetWindow(UINT nCmd) const;
    void SetFont(CFont* pFont, BOOL bRedraw = TRUE);
    CFont* GetFont() const;
    CWnd* SetFocus();
    static CWnd* GetFocus();
    static CWnd* GetActiveWindow();
    static CWnd* GetForegroundWindow();
    static CWnd* GetDesktopWindow();
    BOOL SetForegroundWindow();
    CWnd* SetActiveWindow();
    void BringWindowToTop();
    CMenu* GetMenu() const;
    CMenu* GetSystemMenu(BOOL bRevert) const;
    HICON SetIcon(HICON hIcon, BOOL bBigIcon);
    HICON GetIcon(BOOL bBigIcon) const;
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr);
    BOOL KillTimer(UINT_PTR nIDEvent);
    CWnd* SetCapture();
    CDC* GetDC();
    int ReleaseDC(CDC* pDC);
    void CheckDlgButton(int nIDButton, UINT nCheck);
    UINT IsDlgButtonChecked(int nIDButton) const;
    void SetDlgItemText(int nID, LPCSTR lpszString);
    int GetDlgItemText(int nID, CString& rString) const;
    void SetDlgItemInt(int nID, UINT nValue, BOOL bSigned = TRUE);
    // Goes through the message box seam (AfxSetMessageBoxHandler).
    int MessageBox(LPCSTR lpszText, LPCSTR lpszCaption = nullptr, UINT nType = MB_OK);

    UINT m_nFlags;
    int m_nModalResult;

protected:
    // Called after the object has taken a window, before its messages come.
    virtual void PreSubclassWindow();
    // Called after the window's last message; the object may delete itself.
    virtual void PostNcDestroy();

    // Handlers of the ON_WM_ entries; each does the default handling.
    afx_msg int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    afx_msg void OnDestroy();
    afx_msg void OnNcDestroy();
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnPaint();
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnSysCommand(UINT nID, LPARAM lParam);
    afx_msg HCURSOR OnQueryDragIcon();
    afx_msg void OnClose();
    afx_msg void OnTimer(UINT_PTR nIDEvent);
    afx_msg HBRUSH OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor);
    afx_msg BOOL OnSetCursor(CWnd* pWnd, UINT nHitTest, UINT message);
    afx_msg void OnLButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnLButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnLButtonDblClk(UINT nFlags, CPoint point);
    afx_msg void OnRButtonDown(UINT nFlags, CPoint point);
    afx_msg void OnRButtonUp(UINT nFlags, CPoint point);
    afx_msg void OnMouseMove(UINT nFlags, CPoint point);
    afx_msg void OnMouseHover(UINT nFlags, CPoint point);
    afx_msg void OnMouseLeave();
    afx_msg void OnKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnKeyUp(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnSysKeyDown(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnChar(UINT nChar, UINT nRepCnt, UINT nFlags);
    afx_msg void OnActivate(UINT nState, CWnd* pWndOther, BOOL bMinimized);
    afx_msg void OnActivateApp(BOOL bActive, DWORD dwThreadID);
    afx_msg void OnSetFocus(CWnd* pOldWnd);
    afx_msg void OnKillFocus(CWnd* pNewWnd);
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint pos);
    afx_msg void OnDrawItem(int nIDCtl, LPDRAWITEMSTRUCT lpDrawItemStruct);
    afx_msg void OnEnable(BOOL bEnable);
    afx_msg void OnWindowPosChanged(WINDOWPOS* lpwndpos);

    WNDPROC m_pfnSuper;  // the window procedure behind the framework's

    DECLARE_MESSAGE_MAP()

private:
    friend LRESULT AfxCallWndProc(CWnd*, HWND, UINT, WPARAM, LPARAM);
    friend void AfxHookWindowCreate(CWnd*);
    static LRESULT CALLBACK CbtFilterHook(int code, WPARAM wParam, LPARAM lParam);
    // After WM_NCDESTROY: gives the window its own procedure back, lets go
    // of the handle and calls PostNcDestroy.
    void NcDestroyCleanup();
    // Becomes the window's permanent object and takes its messages.
    void TakeWindow(HWND hWnd);

    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;
};

template <>
struct AfxTempTraits<CWnd>
{
    static void Wrap(CWnd& w, HWND h) { w.m_hWnd = h; }
    static void Release(CWnd& w) { w.m_hWnd = nullptr; }
    static bool IsStale(const CWnd& w) { return !::IsWindow(w.m_hWnd); }
};

// The window procedure of every window with a permanent object.
LRESULT CALLBACK AfxWndProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT AfxCallWndProc(CWnd* pWnd, HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);

// The next window created on this thread becomes pWnd's: its procedure is
// replaced before it receives its first message.
void AfxHookWindowCreate(CWnd* pWnd);
// FALSE when the awaited window was not created.
BOOL AfxUnhookWindowCreate();

// The default window class of CWnd::Create ("AfxWnd"), registered once.
LPCSTR AfxDefaultWndClass();

// Takes one message from the thread's queue (into *pMsg when given) and
// passes it through the PreTranslateMessage chain before dispatching it;
// FALSE on WM_QUIT, whose exit code is then pMsg->wParam.
BOOL AfxPumpMessage(MSG* pMsg = nullptr);
// The application's PreTranslateMessage, or the framework's chain when
// there is no application object.
BOOL AfxPreTranslateMessage(MSG* pMsg);
// The chain from the message's window up to the main window, then the main
// window itself for messages of other top-level windows.
BOOL AfxInternalPreTranslateMessage(MSG* pMsg);

// Modal message boxes go through one replaceable function, so tests can
// answer them. Returns the previous handler; NULL restores MessageBoxA.
typedef int (*AFX_MESSAGEBOX_HANDLER)(HWND hWndOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType);
AFX_MESSAGEBOX_HANDLER AfxSetMessageBoxHandler(AFX_MESSAGEBOX_HANDLER handler);
int AfxShowMessageBox(HWND hWndOwner, LPCSTR lpszText, LPCSTR lpszCaption, UINT nType);

#include "platform/mfc/wndmsgmap.h"
