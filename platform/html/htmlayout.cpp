#include "platform/html/htmlayout.h"

#include "platform/html/htmlnode.h"
#include "platform/html/htmlparser.h"
#include "platform/html/htmlview.h"

namespace
{
CHtmlNode* Node(HELEMENT he)
{
    return reinterpret_cast<CHtmlNode*>(he);
}

// The page of an element in a window, or null for a detached element.
CHtmlDocument* DocumentOf(HELEMENT he)
{
    return CHtmlDocument::Of(Node(he));
}

CHtmlView* ViewOf(CHtmlDocument* doc)
{
    // Every page of ours is hosted by a view; the host is the view itself.
    return doc ? CHtmlView::FromWindow(doc->HostWindow()) : nullptr;
}
}  // namespace

LPCSTR WINAPI HTMLayoutClassNameA()
{
    return CHtmlView::ClassName();
}

VOID WINAPI HTMLayoutSetCallback(HWND hwnd, LPHTMLAYOUT_NOTIFY callback, LPVOID param)
{
    if (CHtmlView* view = CHtmlView::FromWindow(hwnd))
        view->SetCallback(callback, param);
}

BOOL WINAPI HTMLayoutLoadHtml(HWND hwnd, const BYTE* html, UINT size)
{
    CHtmlView* view = CHtmlView::FromWindow(hwnd);
    if (!view || (!html && size))
        return FALSE;
    view->LoadHtml(html, size);
    return TRUE;
}

BOOL WINAPI HTMLayoutDataReady(HWND hwnd, LPCWSTR uri, LPBYTE data, DWORD size)
{
    CHtmlView* view = CHtmlView::FromWindow(hwnd);
    if (!view || !uri || (!data && size))
        return FALSE;
    view->DataReady(uri, data, size);
    return TRUE;
}

HLDOM_RESULT WINAPI HTMLayoutGetRootElement(HWND hwnd, HELEMENT* root)
{
    if (!root)
        return HLDOM_INVALID_PARAMETER;
    CHtmlView* view = CHtmlView::FromWindow(hwnd);
    if (!view)
        return HLDOM_INVALID_HWND;
    *root = reinterpret_cast<HELEMENT>(view->Document().Root());
    return HLDOM_OK;
}

HLDOM_RESULT WINAPI HTMLayoutSelectElements(HELEMENT he, LPCSTR selector, HTMLayoutElementCallback callback, LPVOID param)
{
    if (!he)
        return HLDOM_INVALID_HANDLE;
    if (!selector || !callback)
        return HLDOM_INVALID_PARAMETER;
    std::wstring text = Utf8ToUtf16(selector, strlen(selector));
    CHtmlDocument* doc = DocumentOf(he);
    bool ok;
    auto each = [&](CHtmlNode* e) { return callback(reinterpret_cast<HELEMENT>(e), param) != FALSE; };
    if (doc)
        ok = doc->Select(Node(he), text, each);
    else
    {
        CHtmlDocument scratch;  // a detached element still has a tree to search
        ok = scratch.Select(Node(he), text, each);
    }
    return ok ? HLDOM_OK : HLDOM_INVALID_PARAMETER;
}

HLDOM_RESULT WINAPI HTMLayoutSetElementHtml(HELEMENT he, const BYTE* html, DWORD length, UINT where)
{
    if (!he)
        return HLDOM_INVALID_HANDLE;
    if ((!html && length) || where > SOH_INSERT_AFTER)
        return HLDOM_INVALID_PARAMETER;
    CHtmlDocument* doc = DocumentOf(he);
    if (!doc)
        return HLDOM_PASSIVE_HANDLE;
    std::wstring text = DecodeHtmlBytes(html, length);
    return doc->SetHtml(Node(he), text, static_cast<int>(where)) ? HLDOM_OK : HLDOM_OPERATION_FAILED;
}

HLDOM_RESULT WINAPI HTMLayoutSetElementInnerText16(HELEMENT he, LPCWSTR text, UINT length)
{
    if (!he)
        return HLDOM_INVALID_HANDLE;
    if (!text && length)
        return HLDOM_INVALID_PARAMETER;
    CHtmlDocument* doc = DocumentOf(he);
    if (!doc)
        return HLDOM_PASSIVE_HANDLE;
    return doc->SetText(Node(he), std::wstring(text ? text : L"", length)) ? HLDOM_OK : HLDOM_OPERATION_FAILED;
}

HLDOM_RESULT WINAPI HTMLayoutUpdateElement(HELEMENT he, BOOL renderNow)
{
    if (!he)
        return HLDOM_INVALID_HANDLE;
    CHtmlView* view = ViewOf(DocumentOf(he));
    if (!view)
        return HLDOM_PASSIVE_HANDLE;
    view->ElementChanged(renderNow != FALSE);
    return HLDOM_OK;
}

HLDOM_RESULT WINAPI HTMLayoutSetStyleAttribute(HELEMENT he, LPCSTR name, LPCWSTR value)
{
    if (!he)
        return HLDOM_INVALID_HANDLE;
    if (!name || !*name)
        return HLDOM_INVALID_PARAMETER;
    CHtmlDocument* doc = DocumentOf(he);
    if (!doc)
        return HLDOM_PASSIVE_HANDLE;
    std::string property(name);
    for (char& c : property)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    doc->SetStyleProperty(Node(he), property, value ? value : L"");
    return HLDOM_OK;
}

HLDOM_RESULT WINAPI HTMLayout_UseElement(HELEMENT he)
{
    if (!he)
        return HLDOM_INVALID_HANDLE;
    Node(he)->AddRef();
    return HLDOM_OK;
}

HLDOM_RESULT WINAPI HTMLayout_UnuseElement(HELEMENT he)
{
    if (!he)
        return HLDOM_INVALID_HANDLE;
    Node(he)->Release();
    return HLDOM_OK;
}
