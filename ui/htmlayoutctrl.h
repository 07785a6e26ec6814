#pragma once
// A child window that shows an HTML page through the HTML layout library's
// interface (platform/html/htmlayout.h). The control serves the page's HTML,
// style sheets and pictures from the program's resources ("minus.png" is the
// resource "minus" of type "PNG", "page.html" and "page" the resource "page"
// of type 23), opens clicked links through the shell, attaches registered
// behaviours (CHtmlBehavior) and forwards every notification it does not
// handle to its parent, as the parent's WM_NOTIFY.
//
//   CHTMLayoutCtrl html;
//   html.CreateControl(WS_CHILD | WS_VISIBLE, rect, this, IDC_HTML);
//   html.LoadHtmlResource(IDR_PAGE);

#include "platform/html/htmlayout.h"
#include "platform/mfc/afxwin.h"

class CHTMLayoutCtrl : public CWnd
{
    DECLARE_DYNAMIC(CHTMLayoutCtrl)

public:
    CHTMLayoutCtrl();
    ~CHTMLayoutCtrl() override;

    // Creates the window and installs the notification callback.
    virtual BOOL CreateControl(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);
    // CreateControl, then the extended style added.
    virtual BOOL CreateWithExStyle(DWORD dwExStyle, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    // An HTML resource (type 23) of the module, or of the application's
    // resource module when none is given, shown in the control.
    BOOL LoadHtmlResource(LPCSTR lpszName, HMODULE hModule = nullptr);
    BOOL LoadHtmlResource(UINT nID, HMODULE hModule = nullptr) { return LoadHtmlResource(MAKEINTRESOURCEA(nID), hModule); }

    // Answers the library's request for the data at a URI from the
    // application's resources: 0 when handed over (HTMLayoutDataReady) or
    // when there is no such resource (the library goes on by its own means),
    // 1 for no URI or a resource that cannot be read.
    static LRESULT OnLoadHtmlResource(HWND hWnd, LPCWSTR uri);

    // Message 0x464 (the library's behaviour notifications) goes to
    // OnBehaviorNotify; everything else to CWnd.
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Links open with this (ShellExecuteA by default); tests put their own
    // in its place. Returns the one replaced.
    typedef HINSTANCE(WINAPI* SHELLEXECUTEPROC)(HWND, LPCSTR, LPCSTR, LPCSTR, LPCSTR, INT);
    static SHELLEXECUTEPROC SetShellExecute(SHELLEXECUTEPROC proc);

protected:
    virtual LRESULT OnBehaviorNotify(UINT message, WPARAM wParam, LPARAM lParam);
    // The same message to the parent; 0 without one.
    virtual LRESULT ForwardToParent(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnNotifyB00(NMHDR* pnm);
    virtual LRESULT OnNotifyB02(NMHDR* pnm);
    virtual LRESULT OnNotifyB06(NMHDR* pnm);
    // By action: 1 and 2 (the mouse entered, left), 3 a click.
    virtual LRESULT OnHyperlinkNotify(NMHL_HYPERLINK* pnm);
    virtual LRESULT OnHyperlinkAction1(NMHL_HYPERLINK* pnm);
    virtual LRESULT OnHyperlinkAction2(NMHL_HYPERLINK* pnm);
    // Opens the link with the shell; 0.
    virtual LRESULT OnHyperlink(NMHL_HYPERLINK* pnm);
    virtual LRESULT OnLoadData(NMHL_LOAD_DATA* pnm);
    virtual LRESULT OnNotifyB03(NMHDR* pnm);
    virtual LRESULT OnNotifyB04(NMHDR* pnm);
    virtual LRESULT OnAttachBehavior(NMHL_ATTACH_BEHAVIOR* pnm);
    // The library's notifications by code; the others (0xB05, the document
    // is complete, among them) go to the parent.
    virtual LRESULT OnHtmlLayoutNotify(UINT message, WPARAM wParam, LPARAM lParam);
    virtual LRESULT OnBehaviorCode1(NMHDR* pnm);

private:
    static LRESULT CALLBACK NotifyCallback(UINT message, WPARAM wParam, LPARAM lParam, LPVOID param);
};
