#include "ui/htmldialogbase.h"

#include "platform/html/fileurl.h"
#include "platform/html/httprequestthread.h"

#include <shlwapi.h>

CHtmlDialogBase::CHtmlDialogBase(UINT nTemplateID, UINT nHtmlResID, CWnd* pParentWnd)
    : CDHtmlDialog(nTemplateID, nHtmlResID, pParentWnd), m_nTemplateID(nTemplateID), m_nHtmlResourceID(nHtmlResID),
      m_dwDialogHostFlags(DOCHOSTUIFLAG_DIALOG | DOCHOSTUIFLAG_NO3DBORDER | DOCHOSTUIFLAG_SCROLL_NO)
{
}

BOOL CHtmlDialogBase::OnInitDialog()
{
    SetHostFlags(m_dwDialogHostFlags);
    return CDHtmlDialog::OnInitDialog() ? TRUE : FALSE;
}

BOOL CHtmlDialogBase::CreateModeless()
{
    EnableModeless(TRUE);
    return Create(m_nTemplateID, m_pParentWnd);
}

void CHtmlDialogBase::SetLocalFile(const CString& path)
{
    m_strLocalFile = path;
    m_nHtmlResourceID = 0;
}

BOOL CHtmlDialogBase::Navigate(LPCSTR lpszURL, DWORD dwFlags, LPCSTR lpszTargetFrameName, LPCSTR lpszHeaders,
                               LPVOID lpvPostData, DWORD dwPostDataLen)
{
    HttpRequestThread request;
    if (lpszURL && request.Run(lpszURL, kAddressCheckMs))
    {
        CDHtmlDialog::Navigate(lpszURL, dwFlags, lpszTargetFrameName, lpszHeaders, lpvPostData, dwPostDataLen);
        return TRUE;
    }
    if (!m_strLocalFile.IsEmpty() && ::PathFileExistsA(m_strLocalFile))
    {
        std::string url = FileUrlFromPath(m_strLocalFile.GetString());
        CDHtmlDialog::Navigate(url.c_str(), dwFlags, lpszTargetFrameName, lpszHeaders, lpvPostData, dwPostDataLen);
        return FALSE;
    }
    // With a local file set but missing, the page's own resource: whatever
    // was shown before (an earlier live page) must not stay as if current.
    LoadFromResource(m_nHtmlResourceID ? m_nHtmlResourceID : m_nHtmlResID);
    return FALSE;
}

HRESULT CHtmlDialogBase::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*)
{
    return S_OK;
}

HRESULT CHtmlDialogBase::TranslateAccelerator(LPMSG lpMsg, const GUID* pguidCmdGroup, DWORD nCmdID)
{
    if (lpMsg && lpMsg->message == WM_KEYDOWN && lpMsg->wParam == VK_F5)
        return S_OK;
    return CDHtmlDialog::TranslateAccelerator(lpMsg, pguidCmdGroup, nCmdID);
}

BOOL CHtmlDialogBase::OnAmbientProperty(COleControlSite* pSite, DISPID dispid, VARIANT* pvar)
{
    if (dispid == DISPID_AMBIENT_DLCONTROL && pvar)
    {
        V_VT(pvar) = VT_I4;
        V_I4(pvar) = DLCTL_DLIMAGES | DLCTL_VIDEOS | DLCTL_BGSOUNDS;
        return TRUE;
    }
    return CDHtmlDialog::OnAmbientProperty(pSite, dispid, pvar);
}

const DHtmlEventMapEntry* CHtmlDialogBase::GetDHtmlEventMap()
{
    static const DHtmlEventMapEntry none[] = {{nullptr, nullptr}};
    return none;
}

void CHtmlDialogBase::OnDocumentComplete(LPDISPATCH pDisp, LPCSTR szUrl)
{
    CDHtmlDialog::OnDocumentComplete(pDisp, szUrl);
}
