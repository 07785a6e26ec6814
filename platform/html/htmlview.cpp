#include "platform/html/htmlview.h"

#include "platform/html/fileurl.h"
#include "platform/html/htmlnode.h"
#include "platform/html/htmlparser.h"
#include "platform/html/httprequestthread.h"
#include "platform/html/resourceuri.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>
#include <functional>

namespace
{
const char kClassName[] = "CwHtmlLayoutView";
const DWORD kMaxFileBytes = 32u * 1024 * 1024;

bool StartsWithNoCase(const std::wstring& s, const wchar_t* prefix)
{
    size_t n = wcslen(prefix);
    return s.size() >= n && _wcsnicmp(s.c_str(), prefix, n) == 0;
}

bool ReadFileBytes(const std::wstring& path, std::vector<BYTE>& data)
{
    HANDLE f = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE)
        return false;
    DWORD size = GetFileSize(f, nullptr);
    bool ok = size != INVALID_FILE_SIZE && size <= kMaxFileBytes;
    if (ok)
    {
        data.resize(size);
        DWORD read = 0;
        ok = size == 0 || (ReadFile(f, data.data(), size, &read, nullptr) && read == size);
    }
    CloseHandle(f);
    return ok;
}

bool IsRelative(const std::wstring& url)
{
    return url.find(L':') == std::wstring::npos && !(url.size() > 1 && url[0] == L'\\' && url[1] == L'\\');
}

bool IsHttp(const std::wstring& url)
{
    return StartsWithNoCase(url, L"http://") || StartsWithNoCase(url, L"https://");
}

// A relative address against the web page it stands in.
std::wstring ResolveHttp(const std::wstring& base, const std::wstring& url)
{
    if (url.empty() || url[0] != L'/')
        return base.substr(0, base.find_last_of(L'/') + 1) + url;
    size_t host = base.find(L"//");
    size_t path = host == std::wstring::npos ? std::wstring::npos : base.find(L'/', host + 2);
    return (path == std::wstring::npos ? base : base.substr(0, path)) + url;
}
}  // namespace

LPCSTR CHtmlView::ClassName()
{
    static const ATOM registered = [] {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof(wc);
        wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
        wc.lpfnWndProc = WindowProc;
        wc.cbWndExtra = sizeof(CHtmlView*);
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
        wc.lpszClassName = kClassName;
        return RegisterClassExA(&wc);
    }();
    return registered ? kClassName : nullptr;
}

CHtmlView* CHtmlView::FromWindow(HWND hwnd)
{
    if (!hwnd || !IsWindow(hwnd))
        return nullptr;
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof(name));
    if (strcmp(name, kClassName) != 0)
        return nullptr;
    return reinterpret_cast<CHtmlView*>(GetWindowLongPtrA(hwnd, 0));
}

CHtmlView::CHtmlView(HWND hwnd) : m_hwnd(hwnd), m_module(GetModuleHandleA(nullptr)), m_document(this)
{
    m_script.SetDocument(&m_document);
}

CHtmlView::~CHtmlView()
{
    DetachBehaviors();
    m_document.SetHost(nullptr);
}

void CHtmlView::SetCallback(LPHTMLAYOUT_NOTIFY callback, LPVOID param)
{
    m_callback = callback;
    m_callbackParam = param;
}

LRESULT CHtmlView::Notify(UINT code, NMHDR* header)
{
    header->hwndFrom = m_hwnd;
    header->idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(m_hwnd));
    header->code = code;
    if (m_callback)
        return m_callback(WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header), m_callbackParam);
    HWND parent = GetParent(m_hwnd);
    return parent ? SendMessageA(parent, WM_NOTIFY, header->idFrom, reinterpret_cast<LPARAM>(header)) : 0;
}

void CHtmlView::LoadHtml(const BYTE* data, size_t size, const std::wstring& url)
{
    DetachBehaviors();
    m_document.Load(data, size, url);
    AttachBehaviors(m_document.Root());
    NMHDR done = {};
    Notify(HLN_DOCUMENT_COMPLETE, &done);
}

bool CHtmlView::LoadUrl(const std::wstring& url)
{
    std::vector<BYTE> bytes;
    if (IsHttp(url))
    {
        if (HttpGetBytes(WideToMultiByte(CP_ACP, url), &bytes) != 200)
            return false;
        LoadHtml(bytes.data(), bytes.size(), url);
        return true;
    }
    if (StartsWithNoCase(url, L"res://"))
    {
        std::wstring name = url.substr(6);
        size_t slash = name.find_last_of(L'/');
        if (slash != std::wstring::npos)
            name = name.substr(slash + 1);
        const BYTE* data = nullptr;
        DWORD size = 0;
        std::string narrow = WideToMultiByte(CP_ACP, name);
        if (!narrow.empty() && narrow.find_first_not_of("0123456789") == std::string::npos)
            narrow = "#" + narrow;  // a number is the resource's id
        if (!LoadResourceBytes(m_module, narrow.c_str(), MAKEINTRESOURCEA(23), &data, &size))
            return false;
        LoadHtml(data, size, url);
        return true;
    }
    bool fileUrl = StartsWithNoCase(url, L"file://");
    std::wstring path = fileUrl ? PathFromFileUrl(url) : url;
    if (!ReadFileBytes(path, bytes))
        return false;
    // Kept escaped, so that reading the path back gives the same path.
    LoadHtml(bytes.data(), bytes.size(), fileUrl ? url : FileUrlFromPath(path));
    return true;
}

void CHtmlView::DataReady(LPCWSTR uri, const BYTE* data, DWORD size)
{
    if (!uri || !data)
        return;
    if (m_requested && m_delivered && *m_requested == uri)
    {
        m_delivered->assign(data, data + size);
        m_deliveredAny = true;
        return;
    }
    m_document.DataArrived(uri, data, size);
}

bool CHtmlView::LoadDocumentData(const std::wstring& url, std::vector<BYTE>& data)
{
    // The host first: from inside the notification it answers with
    // HTMLayoutDataReady or with the two out fields.
    NMHL_LOAD_DATA request = {};
    request.uri = url.c_str();
    const std::wstring* outerRequested = m_requested;
    std::vector<BYTE>* outerDelivered = m_delivered;
    bool outerAny = m_deliveredAny;
    m_requested = &url;
    m_delivered = &data;
    m_deliveredAny = false;
    Notify(HLN_LOAD_DATA, &request.hdr);
    bool delivered = m_deliveredAny;
    m_requested = outerRequested;
    m_delivered = outerDelivered;
    m_deliveredAny = outerAny;
    if (!delivered && request.outData && request.outDataSize)
    {
        const BYTE* p = static_cast<const BYTE*>(request.outData);
        data.assign(p, p + request.outDataSize);
        delivered = true;
    }
    if (!delivered)
    {
        // Then the module's resources: by the URI's own rule, then by the
        // whole name as the browser's resource protocol has it (type 2110).
        const BYTE* bytes = nullptr;
        DWORD size = 0;
        std::wstring name = url;
        size_t slash = name.find_last_of(L"/\\");
        if (StartsWithNoCase(name, L"res://") && slash != std::wstring::npos)
            name = name.substr(slash + 1);
        if (FindUriResource(m_module, name.c_str(), &bytes, &size) == UriResource::Found)
            delivered = true;
        else
        {
            std::string narrow = WideToMultiByte(CP_ACP, name);
            delivered = !narrow.empty() && LoadResourceBytes(m_module, narrow.c_str(), MAKEINTRESOURCEA(2110), &bytes, &size);
        }
        if (delivered)
            data.assign(bytes, bytes + size);
    }
    if (!delivered)
    {
        // Last, files: beside a page loaded from a file, or a file address.
        const std::wstring& base = m_document.Url();
        std::wstring path;
        if (StartsWithNoCase(url, L"file://"))
            path = PathFromFileUrl(url);
        else if (IsRelative(url) && StartsWithNoCase(base, L"file://"))
        {
            path = PathFromFileUrl(base);
            size_t cut = path.find_last_of(L'\\');
            path = (cut == std::wstring::npos ? std::wstring() : path.substr(0, cut + 1)) + url;
            std::replace(path.begin(), path.end(), L'/', L'\\');
        }
        delivered = !path.empty() && ReadFileBytes(path, data);
    }
    if (!delivered && (IsHttp(url) || (IsRelative(url) && IsHttp(m_document.Url()))))
    {
        // And the web, for a page that came from there.
        std::wstring address = IsHttp(url) ? url : ResolveHttp(m_document.Url(), url);
        data.clear();
        delivered = HttpGetBytes(WideToMultiByte(CP_ACP, address), &data) == 200;
    }
    if (delivered)
    {
        NMHL_DATA_LOADED loaded = {};
        loaded.uri = url.c_str();
        loaded.data = data.data();
        loaded.dataSize = static_cast<DWORD>(data.size());
        Notify(HLN_DATA_LOADED, &loaded.hdr);
    }
    return delivered;
}

void CHtmlView::AttachBehaviors(CHtmlNode* under)
{
    std::vector<CHtmlNode*> found;
    std::function<void(CHtmlNode*, int)> walk = [&](CHtmlNode* e, int depth) {
        if (e->IsElement() && e->style.behavior && !e->style.behavior->empty())
            found.push_back(e);
        if (depth < 512)
            for (CHtmlNode* c : e->children)
                if (c->IsElement())
                    walk(c, depth + 1);
    };
    walk(under, 0);
    for (CHtmlNode* e : found)
    {
        NMHL_ATTACH_BEHAVIOR attach = {};
        attach.element = reinterpret_cast<HELEMENT>(e);
        attach.behaviorName = e->style.behavior->c_str();
        Notify(HLN_ATTACH_BEHAVIOR, &attach.hdr);
        if (!attach.elementProc)
            continue;
        e->AddRef();
        m_behaviors.push_back({e, attach.elementProc, attach.elementTag, attach.elementEvents});
        INITIALIZATION_PARAMS init = {BEHAVIOR_ATTACH};
        attach.elementProc(attach.elementTag, attach.element, HANDLE_INITIALIZATION, &init);
    }
}

void CHtmlView::DetachBehaviors()
{
    std::vector<Behavior> old;
    old.swap(m_behaviors);
    for (const Behavior& b : old)
    {
        INITIALIZATION_PARAMS init = {BEHAVIOR_DETACH};
        b.proc(b.tag, reinterpret_cast<HELEMENT>(b.element), HANDLE_INITIALIZATION, &init);
        b.element->Release();
    }
}

IDispatch* CHtmlView::DocumentObject()
{
    return CreateHtmlDocumentObject(&m_script);
}

void CHtmlView::ElementChanged(bool renderNow)
{
    m_document.UpdateLayout();
    InvalidateRect(m_hwnd, nullptr, FALSE);
    if (renderNow)
        UpdateWindow(m_hwnd);
}

void CHtmlView::DocumentChanged()
{
    InvalidateRect(m_hwnd, nullptr, FALSE);
}

void CHtmlView::LinkEvent(CHtmlNode* link, const std::wstring& href, int action)
{
    NMHL_HYPERLINK nm = {};
    nm.hdr.hwndFrom = m_hwnd;
    nm.hdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(m_hwnd));
    nm.hdr.code = HLN_HYPERLINK;
    nm.action = static_cast<UINT>(action);
    lstrcpynW(nm.href, href.c_str(), ARRAYSIZE(nm.href));
    nm.element = reinterpret_cast<HELEMENT>(link);
    SendMessageW(m_hwnd, WM_BEHAVIOR_NOTIFY, reinterpret_cast<WPARAM>(m_hwnd), reinterpret_cast<LPARAM>(&nm));
}

void CHtmlView::ScriptHandler(CHtmlNode* element, const std::wstring& code)
{
    m_script.RunHandler(element, code);
}

void CHtmlView::Paint()
{
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hwnd, &ps);
    RECT r = ps.rcPaint;
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w > 0 && h > 0)
    {
        // Drawn off screen first, so nothing flickers.
        HDC mem = CreateCompatibleDC(dc);
        HBITMAP bmp = CreateCompatibleBitmap(dc, w, h);
        if (mem && bmp)
        {
            HGDIOBJ old = SelectObject(mem, bmp);
            SetViewportOrgEx(mem, -r.left, -r.top, nullptr);
            m_document.Paint(mem, r);
            SetViewportOrgEx(mem, 0, 0, nullptr);
            BitBlt(dc, r.left, r.top, w, h, mem, 0, 0, SRCCOPY);
            SelectObject(mem, old);
        }
        else
            m_document.Paint(dc, r);
        if (bmp)
            DeleteObject(bmp);
        if (mem)
            DeleteDC(mem);
    }
    EndPaint(m_hwnd, &ps);
}

LRESULT CALLBACK CHtmlView::WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
{
    CHtmlView* view = reinterpret_cast<CHtmlView*>(GetWindowLongPtrA(hwnd, 0));
    if (msg == WM_NCCREATE)
    {
        view = new CHtmlView(hwnd);
        SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(view));
    }
    if (!view)
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    if (msg == WM_NCDESTROY)
    {
        SetWindowLongPtrA(hwnd, 0, 0);
        delete view;
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }
    return view->Handle(msg, wParam, lParam);
}

LRESULT CHtmlView::Handle(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg)
    {
    case WM_CREATE:
    case WM_SIZE:
    {
        RECT rc;
        GetClientRect(m_hwnd, &rc);
        m_document.SetViewport(rc.right, rc.bottom);
        break;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_PAINT:
        Paint();
        return 0;
    case WM_PRINTCLIENT:
    {
        RECT rc;
        GetClientRect(m_hwnd, &rc);
        m_document.Paint(reinterpret_cast<HDC>(wParam), rc);
        return 0;
    }
    case WM_MOUSEMOVE:
        if (!m_tracking)
        {
            TRACKMOUSEEVENT tme = {sizeof(tme), TME_LEAVE, m_hwnd, 0};
            m_tracking = TrackMouseEvent(&tme) != FALSE;
        }
        m_document.MouseMove(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSELEAVE:
        m_tracking = false;
        if (!m_document.Dragging())
            m_document.MouseLeave();
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        if (GetWindowLongA(m_hwnd, GWL_STYLE) & WS_TABSTOP)
            SetFocus(m_hwnd);
        SetCapture(m_hwnd);
        m_document.MouseDown(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_LBUTTONUP:
        if (GetCapture() == m_hwnd)
            ReleaseCapture();
        m_document.MouseUp(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
        return 0;
    case WM_MOUSEWHEEL:
    {
        POINT pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ScreenToClient(m_hwnd, &pt);
        m_document.MouseWheel(GET_WHEEL_DELTA_WPARAM(wParam), pt.x, pt.y);
        return 0;
    }
    case WM_KEYDOWN:
    {
        RECT rc;
        GetClientRect(m_hwnd, &rc);
        int y = m_document.ViewportScroll();
        switch (wParam)
        {
        case VK_UP: y -= 16; break;
        case VK_DOWN: y += 16; break;
        case VK_PRIOR: y -= rc.bottom; break;
        case VK_NEXT: y += rc.bottom; break;
        case VK_HOME: y = 0; break;
        case VK_END: y = INT_MAX / 2; break;
        default: return DefWindowProcA(m_hwnd, msg, wParam, lParam);
        }
        m_document.ScrollViewport(y);
        return 0;
    }
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_SETCURSOR:
        if (LOWORD(lParam) == HTCLIENT)
        {
            SetCursor(LoadCursor(nullptr, m_document.WantsHandCursor() ? IDC_HAND : IDC_ARROW));
            return TRUE;
        }
        break;
    case WM_BEHAVIOR_NOTIFY:
        return 0;  // a control that subclasses the window acts on it
    }
    return DefWindowProcA(m_hwnd, msg, wParam, lParam);
}
