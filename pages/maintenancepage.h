#pragma once
// What the quarantine, ignore list and scan logs pages share: a child page
// of the scan tab with its language section, created hidden at the
// rectangle its container gives, an outer frame over the whole page, a
// bottom row of buttons, Enter and Escape kept from closing it, and Back.

#include <initializer_list>

#include "ui/dialogcontrolhelper.h"
#include "ui/tooltipdialogex.h"

class CMaintenancePage : public CToolTipDialogEx, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CMaintenancePage)

public:
    // Pixels between the page's edges and its controls; below the bottom row.
    enum { Margin = 10, BottomMargin = 8, MinChooserWidth = 80 };
    // The threat list's template and page, as every page that shows one.
    enum { ThreatListTemplate = 157, ThreatListHtml = 158 };
    // Where a threat list begins: its frame's top line below the page title.
    enum { ListTop = 40 };

    CMaintenancePage(const CString& sectionName, UINT templateId, CWnd* pParent);

    // Keeps the rectangle (the parent's client coordinates) and creates the
    // page modeless and hidden there.
    BOOL CreatePage(int left, int top, int right, int bottom) override;
    // Enter and Escape would end the dialog: they reach it as key 0.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    const CRect& GetPageRect() const { return m_rcPage; }

    // The caption of every error the pages show.
    static const char kErrorCaption[];

protected:
    // The page to its rectangle and the frame over its whole client area
    // (from 6 pixels above it, so its top line does not show).
    void PlacePage(UINT frameId);
    // A button of the bottom row, its size kept: x from the left edge, or
    // from the right edge when negative. Returns the row's top.
    int PlaceBottomButton(UINT id, int x);
    // The top row: the buttons, in order, against the right edge; the
    // chooser widened up to them.
    void PlaceTopRow(UINT chooserId, std::initializer_list<UINT> buttonIds);
    // A list from top down to above the bottom row at rowTop, the page's
    // width less the margins, in a frame one pixel left of and 7 pixels
    // above it, 1 pixel wider and 8 pixels taller.
    void PlaceList(CWnd& list, int top, int rowTop, UINT frameId);
    // Outer frames in the dialog skin's frame style.
    void SkinFrames(UINT first, UINT second = 0);

    LRESULT SendItem(UINT id, UINT message, WPARAM wParam, LPARAM lParam);

    // A message box with the caption "Error", through the framework's seam.
    void ShowError(const CString& text);

    // Back to the scan start page: WM_PAGE_BACK to the parent.
    afx_msg void OnBack();

    DECLARE_MESSAGE_MAP()

private:
    CRect m_rcPage;
    UINT m_templateId;
};
