#pragma once
// An HTML layout control that knows its place: the parent, its id and its
// HTML resource are given at construction, and CreateChild makes the
// control over a rectangle of the parent with that page, whose root element
// takes the client area's size and scrolls its content. The help page's
// system-information list is one.
//
//   CHTMLayoutView list(IDC_LIST, IDR_LIST_PAGE, this);
//   list.CreateChild(rect);

#include "ui/htmlayoutctrl.h"

class CHTMLayoutView : public CHTMLayoutCtrl
{
public:
    CHTMLayoutView(UINT nID, UINT nHtmlResID, CWnd* pParentWnd);

    // A visible-on-demand child (WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN |
    // WS_TABSTOP) with the page loaded and fitted.
    virtual BOOL CreateChild(const RECT& rect);
    // Loads the page and sizes its root element to the client area, with a
    // scroll bar when the content is taller.
    BOOL FitRootToClient();

protected:
    CWnd* m_pParentWnd;
    UINT m_nID;
    UINT m_nHtmlResID;
};
