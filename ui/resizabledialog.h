#pragma once
// The dialog base under every dialog of the program. It keeps the client
// size of its template whatever frame the window gets at creation, refuses
// to be made smaller than its size when initialised (or a minimum set
// later), and carries the layout and size-grip parts, which stay inert
// here: no control is anchored and no grip is made.

#include "platform/mfc/afxwin.h"
#include "ui/resizablegrip.h"
#include "ui/resizablelayout.h"
#include "ui/resizableminmax.h"

class CResizableDialog : public CDialog, public CResizableLayout, public CResizableGrip, public CResizableMinMax
{
    DECLARE_DYNAMIC(CResizableDialog)

public:
    CResizableDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);

    BOOL OnInitDialog() override;

    // TRUE once OnInitDialog has run.
    BOOL IsInitialised() const { return m_bInitDone; }

protected:
    CWnd* GetLayoutWindow() const override { return const_cast<CResizableDialog*>(this); }
    CWnd* GetResizableWnd() const override { return const_cast<CResizableDialog*>(this); }

    afx_msg int OnCreate(LPCREATESTRUCTA lpCreateStruct);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnGetMinMaxInfo(MINMAXINFO* lpMMI);
    afx_msg BOOL OnEraseBkgnd(CDC* pDC);
    afx_msg void OnDestroy();

    BOOL m_bInitDone;
    BOOL m_bShowGrip;

    DECLARE_MESSAGE_MAP()
};
