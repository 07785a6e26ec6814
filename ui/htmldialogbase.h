#pragma once
// The browser dialog the program's HTML pages live in, made to behave like a
// part of the program rather than like a browser: no border, no scroll bar
// (unless a page asks for one), no context menu, no F5 reload. Navigate
// prefers the live page, then a local copy on disk, then the page's HTML
// resource:
//
//   CHtmlDialogBase news(IDD_NEWS_VIEW, IDR_NEWS, this);
//   news.SetLocalFile(folder + "news.html");
//   news.CreateModeless();
//   news.Navigate(address);   // TRUE only when the live page answered

#include "platform/mfc/cdhtmldialog.h"

class CHtmlDialogBase : public CDHtmlDialog
{
public:
    // How long Navigate waits for the web address to answer.
    static const DWORD kAddressCheckMs = 3000;

    CHtmlDialogBase(UINT nTemplateID, UINT nHtmlResID, CWnd* pParentWnd);

    BOOL OnInitDialog() override;
    // Creates the dialog modeless from its template, under the parent given
    // at construction.
    BOOL CreateModeless();
    // A copy of the page on disk, preferred to the HTML resource.
    void SetLocalFile(const CString& path);

    // The address when it answers 200 within kAddressCheckMs (TRUE); else
    // the local file when it exists, else the HTML resource (FALSE).
    BOOL Navigate(LPCSTR lpszURL, DWORD dwFlags = 0, LPCSTR lpszTargetFrameName = nullptr,
                  LPCSTR lpszHeaders = nullptr, LPVOID lpvPostData = nullptr, DWORD dwPostDataLen = 0);

    // No context menu.
    HRESULT ShowContextMenu(DWORD dwID, POINT* ppt, IUnknown* pcmdtReserved, IDispatch* pdispReserved) override;
    // F5 does nothing; other keys as in the base.
    HRESULT TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID) override;
    // Download control: pictures, videos and background sounds, script on.
    BOOL OnAmbientProperty(COleControlSite* pSite, DISPID dispid, VARIANT* pvar) override;
    const DHtmlEventMapEntry* GetDHtmlEventMap() override;
    void OnDocumentComplete(LPDISPATCH pDisp, LPCSTR szUrl) override;

protected:
    UINT m_nTemplateID;
    UINT m_nHtmlResourceID;  // 0 once a local file is set
    CString m_strLocalFile;
    // Given to SetHostFlags by OnInitDialog: dialog, no border, no scroll
    // bar. A page that needs its scroll bar drops DOCHOSTUIFLAG_SCROLL_NO
    // in its constructor.
    DWORD m_dwDialogHostFlags;
};
