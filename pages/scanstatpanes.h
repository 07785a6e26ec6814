#pragma once
// The scan page's statistics group: the processes, registry, cookies and
// files panes in a column at the container's right edge, 7 pixels apart.
// It routes the progress page's counts to the pane of each area (the hosts
// file has none).

#include "pages/statdialogs.h"

class CScanStatPanes
{
public:
    explicit CScanStatPanes(CWnd* pParent);

    // Only with flag 1: Layout.
    void Create(int flag, const CRect& rect);
    // rect.left is the right margin of every pane, rect.top the first one's top.
    void Layout(const CRect& rect);
    void OnScanning(ScanAreaType area, ULONG count);
    void OnItemFound(ScanAreaType area);
    void Reset();
    // Only with flag 1.
    void Show(int flag);
    void Hide(int flag);
    void LoadTexts();
    void DestroyAll();

    bool IsShown() const;

    CStatProcessesDialog& Processes() { return m_processes; }
    CStatRegistryDialog& Registry() { return m_registry; }
    CStatCookiesDialog& Cookies() { return m_cookies; }
    CStatFilesDialog& Files() { return m_files; }

private:
    void ShowAll(int command);

    CRect m_rect;
    CStatProcessesDialog m_processes;
    CStatRegistryDialog m_registry;
    CStatCookiesDialog m_cookies;
    CStatFilesDialog m_files;
    // In the order of creation, stacking, resetting, showing and texts.
    CStatAreaDialog* m_panes[4];
};
