#include "platform/mfc/cdhtmldialog.h"

#include "platform/atl/atlbase.h"
#include "platform/html/htmlnode.h"
#include "platform/html/htmlview.h"
#include "platform/html/httprequestthread.h"
#include "platform/mfc/cwinapp.h"

IMPLEMENT_DYNAMIC(CDHtmlDialog, CDialog)

namespace
{
// Posted by the fetch thread to the dialog: wParam is the fetch's number.
const UINT WM_CW_PAGE_ARRIVED = ::RegisterWindowMessageA("CwHtmlDialogPageArrived");

// Converted straight into the result: a long list's HTML runs to megabytes.
std::wstring Widen(LPCSTR text)
{
    std::wstring out;
    const int length = text ? static_cast<int>(strlen(text)) : 0;
    const int wide = length ? MultiByteToWideChar(CP_ACP, 0, text, length, nullptr, 0) : 0;
    if (wide > 0)
    {
        out.resize(wide);
        MultiByteToWideChar(CP_ACP, 0, text, length, &out[0], wide);
    }
    return out;
}

CString Narrow(const std::wstring& text)
{
    return CString(CW2A(text.c_str()));
}

bool IsWebAddress(LPCSTR url)
{
    return _strnicmp(url, "http://", 7) == 0 || _strnicmp(url, "https://", 8) == 0;
}

// The browser's address of a resource of the resource module.
CString ResourceUrl(LPCSTR name)
{
    char module[MAX_PATH] = {};
    ::GetModuleFileNameA(AfxGetResourceHandle(), module, MAX_PATH);
    CString url("res://");
    url += module;
    url += "/";
    if (IS_INTRESOURCE(name))
        url.AppendFormat("%u", static_cast<unsigned>(reinterpret_cast<ULONG_PTR>(name)));
    else
        url += name;
    return url;
}
}  // namespace

// A web page on its way: shared by the dialog and the fetch thread, so a
// dialog that navigates elsewhere or goes away leaves the thread state that
// is still there; the last of the two frees it.
struct CDHtmlDialog::PageFetch
{
    LONG refs = 2;
    std::string url;
    HWND target = nullptr;
    UINT seq = 0;
    DWORD status = 0;
    std::vector<BYTE> body;
    volatile LONG done = 0;  // set after status and body are written

    void Release()
    {
        if (::InterlockedDecrement(&refs) == 0)
            delete this;
    }
};

BEGIN_MESSAGE_MAP(CDHtmlDialog, CDialog)
    ON_WM_SIZE()
    ON_WM_CONTEXTMENU()
    ON_WM_DESTROY()
    ON_REGISTERED_MESSAGE(WM_CW_PAGE_ARRIVED, OnPageArrived)
END_MESSAGE_MAP()

CDHtmlDialog::CDHtmlDialog()
    : m_nHtmlResID(0), m_szHtmlResID(nullptr), m_dwHostFlags(0), m_hWndBrowser(nullptr), m_spHtmlDoc(nullptr),
      m_pFetch(nullptr), m_nFetchSeq(0)
{
}

CDHtmlDialog::CDHtmlDialog(UINT nIDTemplate, UINT nHtmlResID, CWnd* pParentWnd)
    : CDialog(nIDTemplate, pParentWnd), m_nHtmlResID(nHtmlResID), m_szHtmlResID(nullptr), m_dwHostFlags(0),
      m_hWndBrowser(nullptr), m_spHtmlDoc(nullptr), m_pFetch(nullptr), m_nFetchSeq(0)
{
}

CDHtmlDialog::CDHtmlDialog(LPCSTR lpszTemplateName, LPCSTR szHtmlResID, CWnd* pParentWnd)
    : CDialog(lpszTemplateName, pParentWnd), m_nHtmlResID(0), m_szHtmlResID(szHtmlResID), m_dwHostFlags(0),
      m_hWndBrowser(nullptr), m_spHtmlDoc(nullptr), m_pFetch(nullptr), m_nFetchSeq(0)
{
}

CDHtmlDialog::~CDHtmlDialog()
{
    // Gone while this object is still whole: the view's notifications come
    // here until its window is destroyed.
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this)
        DestroyWindow();
    CancelFetch();
    // Kept to the end: script callers hold the document without a reference.
    if (m_spHtmlDoc)
        m_spHtmlDoc->Release();
    for (IDispatch* doc : m_retiredDocs)
        doc->Release();
}

BOOL CDHtmlDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    if (!CreateBrowser())
        return TRUE;
    if (m_nHtmlResID)
        LoadFromResource(m_nHtmlResID);
    else if (m_szHtmlResID)
        LoadFromResource(m_szHtmlResID);
    else
        Navigate("about:blank");
    return TRUE;
}

BOOL CDHtmlDialog::CreateBrowser()
{
    if (m_hWndBrowser && ::IsWindow(m_hWndBrowser))
        return TRUE;
    CRect client;
    GetClientRect(client);
    DWORD exStyle = (m_dwHostFlags & DOCHOSTUIFLAG_NO3DBORDER) ? 0 : WS_EX_CLIENTEDGE;
    m_hWndBrowser = ::CreateWindowExA(exStyle, CHtmlView::ClassName(), "",
                                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_CLIPSIBLINGS, 0, 0, client.Width(),
                                      client.Height(), m_hWnd, reinterpret_cast<HMENU>(AFX_IDW_PANE_FIRST),
                                      AfxGetInstanceHandle(), nullptr);
    CHtmlView* view = CHtmlView::FromWindow(m_hWndBrowser);
    if (!view)
    {
        m_hWndBrowser = nullptr;
        return FALSE;
    }
    view->SetResourceModule(AfxGetResourceHandle());
    view->AllowScrollBar(!(m_dwHostFlags & DOCHOSTUIFLAG_SCROLL_NO));
    view->SetCallback(&CDHtmlDialog::ViewNotify, this);

    // Without an answer the browser downloads pictures and runs script.
    VARIANT download;
    ::VariantInit(&download);
    bool script = true;
    if (OnAmbientProperty(nullptr, DISPID_AMBIENT_DLCONTROL, &download) && V_VT(&download) == VT_I4)
        script = !(V_I4(&download) & DLCTL_NO_SCRIPTS);
    ::VariantClear(&download);
    view->Script().Enable(script);
    for (const auto& f : m_scriptFunctions)
        view->Script().Register(f.first, f.second);

    // A window made anew gets a new document; script callers may still hold
    // the old one, which is kept with the object.
    if (m_spHtmlDoc)
        m_retiredDocs.push_back(m_spHtmlDoc);
    m_spHtmlDoc = view->DocumentObject();
    return TRUE;
}

CHtmlView* CDHtmlDialog::GetHtmlView() const
{
    return CHtmlView::FromWindow(m_hWndBrowser);
}

bool CDHtmlDialog::IsBrowserWindow(HWND hWnd) const
{
    return m_hWndBrowser && hWnd && (hWnd == m_hWndBrowser || ::IsChild(m_hWndBrowser, hWnd));
}

void CDHtmlDialog::RegisterScriptFunction(const std::wstring& name, CHtmlScriptHost::Function function)
{
    bool known = false;
    for (auto& f : m_scriptFunctions)
        if (f.first == name)
        {
            f.second = function;
            known = true;
        }
    if (!known)
        m_scriptFunctions.emplace_back(name, function);
    if (CHtmlView* view = GetHtmlView())
        view->Script().Register(name, std::move(function));
}

HRESULT CDHtmlDialog::GetDHtmlDocument(IDispatch** pphtmlDoc)
{
    if (!pphtmlDoc)
        return E_POINTER;
    *pphtmlDoc = m_spHtmlDoc;
    if (!m_spHtmlDoc)
        return E_NOINTERFACE;
    m_spHtmlDoc->AddRef();
    return S_OK;
}

void CDHtmlDialog::Navigate(LPCSTR lpszURL, DWORD, LPCSTR, LPCSTR, LPVOID, DWORD)
{
    if (!lpszURL || !m_hWndBrowser)
        return;
    CancelFetch();
    if (!IsWebAddress(lpszURL))
    {
        LoadUrl(lpszURL);
        return;
    }
    PageFetch* fetch = new PageFetch();
    fetch->url = lpszURL;
    fetch->target = m_hWnd;
    fetch->seq = ++m_nFetchSeq;
    HANDLE thread = ::CreateThread(nullptr, 0, &CDHtmlDialog::FetchThread, fetch, 0, nullptr);
    if (!thread)
    {
        fetch->Release();
        fetch->Release();
        return;
    }
    ::CloseHandle(thread);
    m_pFetch = fetch;
}

DWORD WINAPI CDHtmlDialog::FetchThread(LPVOID param)
{
    PageFetch* fetch = static_cast<PageFetch*>(param);
    fetch->status = HttpGetBytes(fetch->url, &fetch->body);
    ::InterlockedExchange(&fetch->done, 1);
    ::PostMessageA(fetch->target, WM_CW_PAGE_ARRIVED, fetch->seq, 0);
    fetch->Release();
    return 0;
}

LRESULT CDHtmlDialog::OnPageArrived(WPARAM wParam, LPARAM)
{
    PageFetch* fetch = m_pFetch;
    if (!fetch || fetch->seq != wParam || !::InterlockedCompareExchange(&fetch->done, 0, 0))
        return 0;  // one given up for a newer address
    m_pFetch = nullptr;
    // Like a failed address, an error answer leaves the page as it is.
    if (fetch->status == 200)
        ShowPage(fetch->body.data(), fetch->body.size(), Widen(fetch->url.c_str()));
    fetch->Release();
    return 0;
}

void CDHtmlDialog::CancelFetch()
{
    if (m_pFetch)
    {
        m_pFetch->Release();
        m_pFetch = nullptr;
    }
}

BOOL CDHtmlDialog::LoadUrl(const CString& url)
{
    CHtmlView* view = GetHtmlView();
    if (!view)
        return FALSE;
    if (url.CompareNoCase("about:blank") == 0)
    {
        ShowPage(nullptr, 0, L"about:blank");
        return TRUE;
    }
    return view->LoadUrl(Widen(url)) ? TRUE : FALSE;
}

void CDHtmlDialog::ShowPage(const BYTE* data, size_t size, const std::wstring& url)
{
    if (CHtmlView* view = GetHtmlView())
        view->LoadHtml(data, size, url);
}

BOOL CDHtmlDialog::LoadFromResource(LPCSTR lpszResource)
{
    if (!lpszResource || !m_hWndBrowser)
        return FALSE;
    CancelFetch();
    return LoadUrl(ResourceUrl(lpszResource));
}

BOOL CDHtmlDialog::LoadFromResource(UINT nRes)
{
    return nRes ? LoadFromResource(MAKEINTRESOURCEA(nRes)) : FALSE;
}

void CDHtmlDialog::Refresh()
{
    if (!m_strCurrentUrl.IsEmpty())
        Navigate(CString(m_strCurrentUrl));
}

LRESULT CALLBACK CDHtmlDialog::ViewNotify(UINT, WPARAM, LPARAM lParam, LPVOID param)
{
    CDHtmlDialog* self = static_cast<CDHtmlDialog*>(param);
    const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
    if (self && header && header->code == HLN_DOCUMENT_COMPLETE)
    {
        CHtmlView* view = self->GetHtmlView();
        self->m_strCurrentUrl = view ? Narrow(view->Document().Url()) : CString();
        self->OnDocumentComplete(self->m_spHtmlDoc, self->m_strCurrentUrl);
    }
    return 0;
}

void CDHtmlDialog::OnDocumentComplete(LPDISPATCH, LPCSTR)
{
}

BOOL CDHtmlDialog::UpdateData(BOOL bSaveAndValidate)
{
    CDataExchange dx(this, bSaveAndValidate);
    DoDataExchange(&dx);
    return TRUE;
}

void CDHtmlDialog::DoDataExchange(CDataExchange*)
{
}

void CDHtmlDialog::DDX_DHtml_ElementInnerHtml(CDataExchange* pDX, LPCSTR szId, CString& value)
{
    CHtmlView* view = GetHtmlView();
    CHtmlNode* element = view && szId ? view->Document().GetElementById(Widen(szId)) : nullptr;
    if (!element)
        return;
    if (pDX->m_bSaveAndValidate)
        value = Narrow(view->Document().InnerHtml(element));
    else
        view->Document().SetHtml(element, Widen(value), kReplaceContent);
}

HRESULT CDHtmlDialog::ShowContextMenu(DWORD, POINT*, IUnknown*, IDispatch*)
{
    return S_FALSE;
}

HRESULT CDHtmlDialog::TranslateAccelerator(LPMSG lpMsg, const GUID*, DWORD)
{
    if (lpMsg && lpMsg->message == WM_KEYDOWN && lpMsg->wParam == VK_F5)
    {
        Refresh();
        return S_OK;
    }
    return S_FALSE;
}

BOOL CDHtmlDialog::OnAmbientProperty(COleControlSite*, DISPID, VARIANT*)
{
    return FALSE;
}

HRESULT CDHtmlDialog::EnableModeless(BOOL)
{
    return E_NOTIMPL;
}

const DHtmlEventMapEntry* CDHtmlDialog::GetDHtmlEventMap()
{
    static const DHtmlEventMapEntry none[] = {{nullptr, nullptr}};
    return none;
}

BOOL CDHtmlDialog::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message >= WM_KEYFIRST && pMsg->message <= WM_KEYLAST && IsBrowserWindow(pMsg->hwnd) &&
        TranslateAccelerator(pMsg, nullptr, 0) == S_OK)
        return TRUE;
    return CDialog::PreTranslateMessage(pMsg);
}

void CDHtmlDialog::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    if (m_hWndBrowser)
        ::SetWindowPos(m_hWndBrowser, nullptr, 0, 0, cx, cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void CDHtmlDialog::OnContextMenu(CWnd* pWnd, CPoint pos)
{
    if (!pWnd || !IsBrowserWindow(pWnd->m_hWnd))
    {
        Default();
        return;
    }
    POINT at = pos;
    ShowContextMenu(CONTEXT_MENU_DEFAULT, &at, nullptr, nullptr);
}

void CDHtmlDialog::OnDestroy()
{
    CancelFetch();
    if (m_hWndBrowser && ::IsWindow(m_hWndBrowser))
        HTMLayoutSetCallback(m_hWndBrowser, nullptr, nullptr);
    m_hWndBrowser = nullptr;
    CDialog::OnDestroy();
}
