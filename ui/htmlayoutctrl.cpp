#include "ui/htmlayoutctrl.h"

#include "platform/atl/atlbase.h"
#include "platform/html/resourceuri.h"
#include "ui/htmlbehavior.h"

#include <shellapi.h>

#include <cwchar>

IMPLEMENT_DYNAMIC(CHTMLayoutCtrl, CWnd)

namespace
{
CHTMLayoutCtrl::SHELLEXECUTEPROC g_shellExecute = &::ShellExecuteA;
}  // namespace

CHTMLayoutCtrl::CHTMLayoutCtrl() = default;

CHTMLayoutCtrl::~CHTMLayoutCtrl()
{
    // The window goes while this object is whole: its callback and its
    // behaviour notices reach this class until then.
    if (m_hWnd != nullptr && FromHandlePermanent(m_hWnd) == this && ::IsWindow(m_hWnd))
    {
        HTMLayoutSetCallback(m_hWnd, nullptr, nullptr);
        DestroyWindow();
    }
}

CHTMLayoutCtrl::SHELLEXECUTEPROC CHTMLayoutCtrl::SetShellExecute(SHELLEXECUTEPROC proc)
{
    SHELLEXECUTEPROC old = g_shellExecute;
    g_shellExecute = proc ? proc : &::ShellExecuteA;
    return old;
}

BOOL CHTMLayoutCtrl::CreateControl(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (!CWnd::Create(HTMLayoutClassNameA(), nullptr, dwStyle, rect, pParentWnd, nID, nullptr))
        return FALSE;
    HTMLayoutSetCallback(m_hWnd, &CHTMLayoutCtrl::NotifyCallback, this);
    return TRUE;
}

BOOL CHTMLayoutCtrl::CreateWithExStyle(DWORD dwExStyle, DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID)
{
    if (!CreateControl(dwStyle, rect, pParentWnd, nID))
        return FALSE;
    ModifyStyleEx(0, dwExStyle);
    return TRUE;
}

BOOL CHTMLayoutCtrl::LoadHtmlResource(LPCSTR lpszName, HMODULE hModule)
{
    const BYTE* bytes = nullptr;
    DWORD size = 0;
    if (!LoadResourceBytes(hModule ? hModule : AfxGetResourceHandle(), lpszName, MAKEINTRESOURCEA(23), &bytes, &size))
        return FALSE;
    return HTMLayoutLoadHtml(m_hWnd, bytes, size);
}

LRESULT CHTMLayoutCtrl::OnLoadHtmlResource(HWND hWnd, LPCWSTR uri)
{
    const BYTE* data = nullptr;
    DWORD size = 0;
    switch (FindUriResource(AfxGetInstanceHandle(), uri, &data, &size))
    {
    case UriResource::Found:
        HTMLayoutDataReady(hWnd, uri, const_cast<LPBYTE>(data), size);
        return 0;
    case UriResource::NotFound:
        return 0;
    case UriResource::Empty:
    case UriResource::Unreadable:
    default:
        return 1;
    }
}

LRESULT CHTMLayoutCtrl::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_BEHAVIOR_NOTIFY)
        return OnBehaviorNotify(message, wParam, lParam);
    return CWnd::WindowProc(message, wParam, lParam);
}

LRESULT CALLBACK CHTMLayoutCtrl::NotifyCallback(UINT message, WPARAM wParam, LPARAM lParam, LPVOID param)
{
    CHTMLayoutCtrl* self = static_cast<CHTMLayoutCtrl*>(param);
    return self ? self->OnHtmlLayoutNotify(message, wParam, lParam) : 0;
}

LRESULT CHTMLayoutCtrl::OnHtmlLayoutNotify(UINT message, WPARAM wParam, LPARAM lParam)
{
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (!header)
        return 0;
    switch (header->code)
    {
    case HLN_CREATE_CONTROL: return OnNotifyB00(header);
    case HLN_LOAD_DATA: return OnLoadData(reinterpret_cast<NMHL_LOAD_DATA*>(header));
    case HLN_CONTROL_CREATED: return OnNotifyB02(header);
    case HLN_DATA_LOADED: return OnNotifyB03(header);
    case HLN_DESTROY_CONTROL: return OnNotifyB04(header);
    case HLN_UPDATE_UI: return OnNotifyB06(header);
    case HLN_ATTACH_BEHAVIOR: return OnAttachBehavior(reinterpret_cast<NMHL_ATTACH_BEHAVIOR*>(header));
    default: return ForwardToParent(message, wParam, lParam);
    }
}

LRESULT CHTMLayoutCtrl::OnBehaviorNotify(UINT, WPARAM wParam, LPARAM lParam)
{
    // The message number is also WM_USER + 100 (the program's own
    // WM_QUARANTINE_DONE): only what the control's window sent itself, as
    // wParam tells, is read as a notification.
    NMHDR* header = reinterpret_cast<NMHDR*>(lParam);
    if (wParam != reinterpret_cast<WPARAM>(m_hWnd) || !header || header->hwndFrom != m_hWnd)
        return 0;
    switch (header->code)
    {
    case HLN_BEHAVIOR_ATTACHED: return OnBehaviorCode1(header);
    case HLN_HYPERLINK: return OnHyperlinkNotify(reinterpret_cast<NMHL_HYPERLINK*>(header));
    default: return 0;
    }
}

LRESULT CHTMLayoutCtrl::OnHyperlinkNotify(NMHL_HYPERLINK* pnm)
{
    switch (pnm->action)
    {
    case HYPERLINK_ENTER: return OnHyperlinkAction1(pnm);
    case HYPERLINK_LEAVE: return OnHyperlinkAction2(pnm);
    case HYPERLINK_CLICK: return OnHyperlink(pnm);
    default: return 0;
    }
}

LRESULT CHTMLayoutCtrl::OnHyperlink(NMHL_HYPERLINK* pnm)
{
    int length = static_cast<int>(wcsnlen(pnm->href, ARRAYSIZE(pnm->href)));
    if (length == 0)
        return 0;
    CW2A target(pnm->href, length, CP_ACP);
    g_shellExecute(m_hWnd, "open", target, nullptr, nullptr, SW_SHOW);
    return 0;
}

LRESULT CHTMLayoutCtrl::OnLoadData(NMHL_LOAD_DATA* pnm)
{
    return OnLoadHtmlResource(m_hWnd, pnm->uri);
}

LRESULT CHTMLayoutCtrl::OnAttachBehavior(NMHL_ATTACH_BEHAVIOR* pnm)
{
    if (CHtmlBehavior* behavior = CHtmlBehavior::Find(pnm->behaviorName, pnm->element))
    {
        pnm->elementTag = behavior;
        pnm->elementProc = &CHtmlBehavior::ElementProc;
        pnm->elementEvents = behavior->Events();
    }
    return 0;
}

LRESULT CHTMLayoutCtrl::ForwardToParent(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND parent = m_hWnd ? ::GetParent(m_hWnd) : nullptr;
    return parent ? ::SendMessageA(parent, message, wParam, lParam) : 0;
}

LRESULT CHTMLayoutCtrl::OnNotifyB00(NMHDR*)
{
    return 0;
}

LRESULT CHTMLayoutCtrl::OnNotifyB02(NMHDR*)
{
    return 0;
}

LRESULT CHTMLayoutCtrl::OnNotifyB03(NMHDR*)
{
    return 0;
}

LRESULT CHTMLayoutCtrl::OnNotifyB04(NMHDR*)
{
    return 0;
}

LRESULT CHTMLayoutCtrl::OnNotifyB06(NMHDR*)
{
    return 0;
}

LRESULT CHTMLayoutCtrl::OnHyperlinkAction1(NMHL_HYPERLINK*)
{
    return 0;
}

LRESULT CHTMLayoutCtrl::OnHyperlinkAction2(NMHL_HYPERLINK*)
{
    return 0;
}

LRESULT CHTMLayoutCtrl::OnBehaviorCode1(NMHDR*)
{
    return 0;
}
