#pragma once
// The main window's page container: a tab control that keeps the page
// windows, one title per tab and a list of bitmaps, creates every page
// inside its display area, shows one page at a time and paints its tabs
// itself (tab i: bitmap i, then the title) with the font and colour of the
// skin object "Tab", or the dialog font and the system colours without one.
// The selected tab is drawn like the others.

#include "platform/mfc/afxwin.h"
#include "platform/mfc/carray.h"
#include "platform/mfc/cstringarray.h"

#include <vector>

class CToolTipDialog;

class CExtendedTabCtrl : public CTabCtrl
{
    DECLARE_DYNAMIC(CExtendedTabCtrl)

public:
    enum TextAlignment
    {
        TitleBesideBitmap = 0,
        TitleCentred = 1,
        NoTitle = 2
    };
    // No text colour override: the skin object's colour is used.
    static const COLORREF kNoColour = 0xFFFFFFFF;

    typedef CArray<CToolTipDialog*, CToolTipDialog*> CPageArray;

    // Margins of the page rectangle inside the control (the main dialog
    // passes 6, 6, 2, 7).
    CExtendedTabCtrl(int left, int right, int top, int bottom);
    // Takes the skin from each page, destroys its window and deletes it;
    // deletes the bitmaps.
    ~CExtendedTabCtrl() override;

    // Fixed tab size (the control needs TCS_FIXEDWIDTH); the width is also
    // the smallest tab width.
    void SetItemSize(int cx, int cy);
    // Appends the bitmap resource to the list; FALSE when it cannot be
    // loaded (nothing is appended then).
    BOOL AddBitmap(UINT nIDResource);
    // n empty tabs; tab i shows page i; the first page's tab is selected.
    void SetTabCount(int n);
    // Throws the framework's invalid-argument error for an index outside
    // the titles.
    void SetTitle(int tab, const CString& title);
    // Keeps the pages (and owns them from now on) and creates every page
    // that is not null inside the display area; the first page is shown.
    void CreatePages(const CPageArray& pages, CWnd* pParent);
    // Shows the page of the tab; a tab outside the map or an empty slot is
    // ignored.
    void SelectPage(int tab);
    void ShowPage(CToolTipDialog* pPage);

    int GetPageCount() const { return static_cast<int>(m_pages.GetSize()); }
    // Null outside the pages.
    CToolTipDialog* GetPage(int index) const;
    CToolTipDialog* GetShownPage() const { return m_pShownPage; }
    int GetTitleCount() const { return static_cast<int>(m_titles.GetSize()); }
    CString GetTitle(int tab) const { return m_titles.GetAt(tab); }
    int GetBitmapCount() const { return static_cast<int>(m_bitmaps.size()); }

    // The rectangle the pages fill, in the parent's client coordinates.
    CRect GetPageRect(CWnd* pParent) const;

    // Not set by the program's main dialog; for containers that want them.
    void SetTextAlignment(int alignment) { m_nTextAlignment = alignment; }
    void SetTextColourOverride(COLORREF colour) { m_crTextOverride = colour; }

    // The title font and colour: the skin object's when the skin has a
    // font object of that name, else the control's font and the system's
    // button text colour. The override replaces the colour.
    void GetTitleFont(HFONT& font, COLORREF& colour) const;
    // What WM_PAINT draws: for each tab its bitmap and its title, nothing else.
    void DrawTabs(CDC& dc);

protected:
    afx_msg void OnSelChange(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnPaint();

    DECLARE_MESSAGE_MAP()

private:
    CSize MeasureSkinText(const CString& text, HFONT font);

    CPageArray m_pages;
    std::vector<int> m_indexMap;
    CToolTipDialog* m_pShownPage;
    CStringArray m_titles;
    std::vector<CBitmap*> m_bitmaps;
    CString m_strSkinObject;
    int m_nLeftMargin;
    int m_nRightMargin;
    int m_nTopMargin;
    int m_nBottomMargin;
    int m_nTextAlignment;
    COLORREF m_crTextOverride;
    int m_nFirstPage;
};
