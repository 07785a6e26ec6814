#include "pages/pagelayout.h"

#include "resources/pages/scanids.h"

void PlacePageAt(CWnd& page, const CRect& rect)
{
    page.SetWindowPos(nullptr, rect.left, rect.top, rect.Width(), rect.Height(), SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlaceRightAligned(CWnd& pane, const CRect& rect)
{
    CWnd* parent = pane.GetParent();
    if (!parent)
        return;
    CRect parentClient, client;
    parent->GetClientRect(&parentClient);
    pane.GetClientRect(&client);
    pane.SetWindowPos(nullptr, parentClient.Width() - rect.left - client.Width(), rect.top, 0, 0,
                      SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void PlaceGroupFrame(CWnd& page, UINT frameId)
{
    CRect client;
    page.GetClientRect(&client);
    if (CWnd* frame = page.GetDlgItem(frameId))
        frame->SetWindowPos(nullptr, 0, -6, client.Width(), client.Height() + 6, SWP_NOZORDER | SWP_NOACTIVATE);
}
