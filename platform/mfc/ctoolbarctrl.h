#pragma once
// The tool bar control: a row (or, wrapped, a column) of buttons.

#include "platform/mfc/cwnd.h"

#include <commctrl.h>

class CToolBarCtrl : public CWnd
{
    DECLARE_DYNAMIC(CToolBarCtrl)

public:
    BOOL Create(DWORD dwStyle, const RECT& rect, CWnd* pParentWnd, UINT nID);

    BOOL SetBitmapSize(CSize size);
    BOOL SetButtonSize(CSize size);
    // The current button size.
    CSize GetButtonSize() const;
    // Fixes the width of every button between cxMin and cxMax.
    BOOL SetButtonWidth(int cxMin, int cxMax);
    BOOL AddButtons(int nNumButtons, LPTBBUTTON lpButtons);
    BOOL DeleteButton(int nIndex);
    int GetButtonCount() const;
    BOOL GetButton(int nIndex, LPTBBUTTON lpButton) const;
    BOOL GetItemRect(int nIndex, LPRECT lpRect) const;
    // The index of the button under the point (client coordinates); negative
    // when none is.
    int HitTest(LPPOINT ppt) const;
    // The previous hot button's index, or -1.
    int SetHotItem(int nHot);
    int GetHotItem() const;
    int CommandToIndex(UINT nID) const;
    BOOL GetButtonInfo(UINT nID, TBBUTTONINFOA* ptbbi) const;
    BOOL SetButtonInfo(UINT nID, TBBUTTONINFOA* ptbbi);
    BOOL SetState(int nID, UINT nState);
    int GetState(int nID) const;
    BOOL IsButtonEnabled(int nID) const;
    DWORD SetExtendedStyle(DWORD dwExStyle);
    void AutoSize();

protected:
    void SetButtonStructSize();
};
