#pragma once
// The browser dialog: a dialog from a template whose client area is one view
// of our HTML engine (platform/html), which shows the HTML resource given at
// construction, a file, a web address or another resource. As with the
// system's browser control, the host shapes the view by host flags (no
// scroll bar, no border), answers ambient properties (the download control
// says whether page script runs), and sees context menus and keys before the
// page does. A web page is fetched on a worker thread and shown when it
// arrives; OnDocumentComplete tells when a page is shown.
//
// The page's script functions are implemented natively and registered by
// name (RegisterScriptFunction); onclick handlers of the page and the
// document's "Script" object (GetDHtmlDocument) both reach them.

#include "platform/html/htmlscript.h"
#include "platform/mfc/cdataexchange.h"
#include "platform/mfc/cdialog.h"

#include <mshtmhst.h>
#include <mshtmdid.h>

#include <string>
#include <utility>
#include <vector>

class CHtmlView;
class COleControlSite;  // the browser's control site: our view has none, hooks get NULL

// The view's control id in the dialog.
#define AFX_IDW_PANE_FIRST 0xE900

// Element events bound to dialog members. The engine raises no element events
// to its host, so a map is consulted by nothing; pages declare empty ones.
class CDHtmlDialog;
typedef HRESULT (CDHtmlDialog::*DHEVTFUNC)(IDispatch* pElement);
struct DHtmlEventMapEntry
{
    LPCSTR szName;  // element id; NULL ends the map
    DHEVTFUNC pfnEventFunc;
};

class CDHtmlDialog : public CDialog
{
    DECLARE_DYNAMIC(CDHtmlDialog)

public:
    CDHtmlDialog();
    CDHtmlDialog(UINT nIDTemplate, UINT nHtmlResID = 0, CWnd* pParentWnd = nullptr);
    CDHtmlDialog(LPCSTR lpszTemplateName, LPCSTR szHtmlResID = nullptr, CWnd* pParentWnd = nullptr);
    ~CDHtmlDialog() override;

    // Makes the view over the client area and loads the HTML resource.
    BOOL OnInitDialog() override;

    // Takes effect when the view is made (OnInitDialog).
    void SetHostFlags(DWORD dwFlags) { m_dwHostFlags = dwFlags; }

    // http(s) addresses load on a worker thread; file:// addresses, paths,
    // res:// addresses and "about:blank" load at once. An address that
    // cannot be read leaves the page shown as it is. The other arguments
    // are the browser's (flags, target frame, headers, post data); the
    // engine has no use for them.
    void Navigate(LPCSTR lpszURL, DWORD dwFlags = 0, LPCSTR lpszTargetFrameName = nullptr,
                  LPCSTR lpszHeaders = nullptr, LPVOID lpvPostData = nullptr, DWORD dwPostDataLen = 0);
    // An HTML resource (type 23) of the resource module.
    BOOL LoadFromResource(LPCSTR lpszResource);
    BOOL LoadFromResource(UINT nRes);
    // The page shown again from its address.
    void Refresh();
    void GetCurrentUrl(CString& szUrl) const { szUrl = m_strCurrentUrl; }

    // The document object: its "Script" property is the page's script
    // object. A new reference; E_NOINTERFACE before the view exists.
    HRESULT GetDHtmlDocument(IDispatch** pphtmlDoc);
    // Functions the page's script calls by name (kept for views made later).
    void RegisterScriptFunction(const std::wstring& name, CHtmlScriptHost::Function function);
    // The engine's view, or NULL before OnInitDialog.
    CHtmlView* GetHtmlView() const;
    HWND GetBrowserWindow() const { return m_hWndBrowser; }

    // Data exchange with the page: DDX_DHtml_ElementInnerHtml puts a member
    // into an element's inner HTML (or reads it back). An element that is
    // not on the page is left alone.
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    virtual void DoDataExchange(CDataExchange* pDX);
    void DDX_DHtml_ElementInnerHtml(CDataExchange* pDX, LPCSTR szId, CString& value);

    // The host's hooks, as the browser calls them.
    // A right click or the menu key in the page: S_OK means the host has
    // dealt with it. The engine has no menu of its own, so nothing shows
    // either way.
    virtual HRESULT ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved, IDispatch* pdispReserved);
    // Keys for the page come here first: S_OK consumes the key. F5 refreshes
    // the page, as in the browser.
    virtual HRESULT TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID);
    // Asked when the view is made; DISPID_AMBIENT_DLCONTROL with DLCTL_NO_SCRIPTS
    // keeps page script from running. FALSE: the browser's default.
    virtual BOOL OnAmbientProperty(COleControlSite* pSite, DISPID dispid, VARIANT* pvar);
    virtual HRESULT EnableModeless(BOOL fEnable);
    virtual const DHtmlEventMapEntry* GetDHtmlEventMap();
    // A page is shown; pDisp is the document object, szUrl its address.
    virtual void OnDocumentComplete(LPDISPATCH pDisp, LPCSTR szUrl);

    BOOL PreTranslateMessage(MSG* pMsg) override;

    UINT m_nHtmlResID;
    LPCSTR m_szHtmlResID;
    DWORD m_dwHostFlags;

protected:
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint pos);
    afx_msg void OnDestroy();
    afx_msg LRESULT OnPageArrived(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    struct PageFetch;

    BOOL CreateBrowser();
    bool IsBrowserWindow(HWND hWnd) const;
    void ShowPage(const BYTE* data, size_t size, const std::wstring& url);
    BOOL LoadUrl(const CString& url);
    void CancelFetch();
    static LRESULT CALLBACK ViewNotify(UINT msg, WPARAM wParam, LPARAM lParam, LPVOID param);
    static DWORD WINAPI FetchThread(LPVOID param);

    HWND m_hWndBrowser;
    IDispatch* m_spHtmlDoc;
    std::vector<IDispatch*> m_retiredDocs;  // of windows made before
    CString m_strCurrentUrl;
    PageFetch* m_pFetch;  // the web page on its way, or NULL
    UINT m_nFetchSeq;
    std::vector<std::pair<std::wstring, CHtmlScriptHost::Function>> m_scriptFunctions;
};
