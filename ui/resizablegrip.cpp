#include "ui/resizablegrip.h"

void CResizableGrip::ShowSizeGrip(BOOL bShow)
{
    if (m_wndGrip.m_hWnd != nullptr)
        m_wndGrip.ShowWindow(bShow ? SW_SHOW : SW_HIDE);
}

void CResizableGrip::UpdateSizeGrip()
{
    CWnd* owner = GetResizableWnd();
    if (m_wndGrip.m_hWnd == nullptr || owner == nullptr || owner->m_hWnd == nullptr)
        return;
    CRect client, grip;
    owner->GetClientRect(client);
    m_wndGrip.GetWindowRect(grip);
    m_wndGrip.SetWindowPos(nullptr, client.right - grip.Width(), client.bottom - grip.Height(), 0, 0,
                           SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    m_wndGrip.ShowWindow(owner->IsZoomed() ? SW_HIDE : SW_SHOW);
}
