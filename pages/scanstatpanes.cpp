#include "pages/scanstatpanes.h"

namespace {
const int kPaneGap = 7;
}

CScanStatPanes::CScanStatPanes(CWnd* pParent)
    : m_processes(pParent), m_registry(pParent), m_cookies(pParent), m_files(pParent),
      m_panes{&m_processes, &m_registry, &m_cookies, &m_files}
{
}

void CScanStatPanes::Create(int flag, const CRect& rect)
{
    if (flag == 1)
        Layout(rect);
}

void CScanStatPanes::Layout(const CRect& rect)
{
    m_rect = rect;
    m_processes.CreatePage(rect.left, rect.top, rect.right, rect.bottom);
    for (int i = 1; i < 4; ++i)
    {
        CStatAreaDialog* previous = m_panes[i - 1];
        int bottom = rect.top;
        if (previous->m_hWnd)
        {
            CRect window;
            previous->GetWindowRect(&window);
            if (CWnd* parent = previous->GetParent())
                parent->ScreenToClient(&window);
            bottom = window.bottom;
        }
        m_panes[i]->CreatePage(rect.left, bottom + kPaneGap, 0, 0);
    }
}

void CScanStatPanes::OnScanning(ScanAreaType area, ULONG count)
{
    switch (area)
    {
    case saProcesses: m_processes.SetScanned(count); break;
    case saRegistry:
    case saGuardedRegistry: m_registry.SetScanned(count); break;
    case saQuickDisk: m_files.SetScanned(count); break;
    case saFullDisk: m_files.SetFullScanned(count); break;
    case saCookies: m_cookies.SetScanned(count); break;
    default: break;
    }
}

void CScanStatPanes::OnItemFound(ScanAreaType area)
{
    switch (area)
    {
    case saProcesses: m_processes.AddFound(); break;
    case saRegistry:
    case saGuardedRegistry: m_registry.AddFound(); break;
    case saQuickDisk:
    case saFullDisk: m_files.AddFound(); break;
    case saCookies: m_cookies.AddFound(); break;
    default: break;
    }
}

void CScanStatPanes::Reset()
{
    for (CStatAreaDialog* pane : m_panes)
        pane->Reset();
}

void CScanStatPanes::ShowAll(int command)
{
    for (CStatAreaDialog* pane : m_panes)
        if (pane->m_hWnd)
            pane->ShowWindow(command);
}

void CScanStatPanes::Show(int flag)
{
    if (flag == 1)
        ShowAll(SW_SHOW);
}

void CScanStatPanes::Hide(int flag)
{
    if (flag == 1)
        ShowAll(SW_HIDE);
}

bool CScanStatPanes::IsShown() const
{
    return m_processes.m_hWnd && (m_processes.GetStyle() & WS_VISIBLE);
}

void CScanStatPanes::LoadTexts()
{
    for (CStatAreaDialog* pane : m_panes)
        if (pane->m_hWnd)
            pane->LoadTexts();
}

void CScanStatPanes::DestroyAll()
{
    for (CStatAreaDialog* pane : m_panes)
        if (pane->m_hWnd)
            pane->DestroyWindow();
}
