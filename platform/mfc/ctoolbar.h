#pragma once
// The framework's tool bar: the tool bar control created from a bar style
// (CBRS_ bits, kept in m_dwStyle) and a control style (TBSTYLE_ bits).

#include "platform/mfc/ctoolbarctrl.h"

#define AFX_IDW_TOOLBAR 0xE800

#define CBRS_ALIGN_LEFT 0x1000L
#define CBRS_ALIGN_TOP 0x2000L
#define CBRS_ALIGN_RIGHT 0x4000L
#define CBRS_ALIGN_BOTTOM 0x8000L
#define CBRS_ALIGN_ANY 0xF000L
#define CBRS_BORDER_LEFT 0x0100L
#define CBRS_BORDER_TOP 0x0200L
#define CBRS_BORDER_RIGHT 0x0400L
#define CBRS_BORDER_BOTTOM 0x0800L
#define CBRS_BORDER_ANY 0x0F00L
#define CBRS_TOOLTIPS 0x0010L
#define CBRS_FLYBY 0x0020L
#define CBRS_FLOAT_MULTI 0x0040L
#define CBRS_BORDER_3D 0x0080L
#define CBRS_HIDE_INPLACE 0x0008L
#define CBRS_SIZE_DYNAMIC 0x0004L
#define CBRS_SIZE_FIXED 0x0002L
#define CBRS_FLOATING 0x0001L
#define CBRS_ALL 0x0040FFFFL

class CToolBar : public CToolBarCtrl
{
    DECLARE_DYNAMIC(CToolBar)

public:
    CToolBar();

    // A child tool bar with no buttons yet; the bar bits of dwStyle go to
    // m_dwStyle, the rest (with the control style) to the window.
    virtual BOOL CreateEx(CWnd* pParentWnd, DWORD dwCtrlStyle = TBSTYLE_FLAT,
                          DWORD dwStyle = WS_CHILD | WS_VISIBLE | CBRS_ALIGN_TOP, CRect rcBorders = CRect(0, 0, 0, 0),
                          UINT nID = AFX_IDW_TOOLBAR);

    CToolBarCtrl& GetToolBarCtrl() { return *this; }
    DWORD GetBarStyle() const { return m_dwStyle; }
    void SetBarStyle(DWORD dwStyle) { m_dwStyle = dwStyle & CBRS_ALL; }
    // The command id of the button at the index, or 0.
    UINT GetItemID(int nIndex) const;

    DWORD m_dwStyle;
    CRect m_rcBorders;
};
