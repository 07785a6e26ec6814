#include "ui/resizabledialog.h"

#include "ui/debuglogsink.h"

IMPLEMENT_DYNAMIC(CResizableDialog, CDialog)

BEGIN_MESSAGE_MAP(CResizableDialog, CDialog)
    ON_WM_CREATE()
    ON_WM_SIZE()
    ON_WM_GETMINMAXINFO()
    ON_WM_ERASEBKGND()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CResizableDialog::CResizableDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : CDialog(nIDTemplate, pParentWnd), m_bInitDone(FALSE), m_bShowGrip(FALSE)
{
    // Whatever a dialog's handler throws is written to the debug log.
    UseDebugLogForFramework();
}

int CResizableDialog::OnCreate(LPCREATESTRUCTA lpCreateStruct)
{
    if (CDialog::OnCreate(lpCreateStruct) == -1)
        return -1;
    // The window as large as the current client area needs with the frame
    // the window has now, so that the client keeps the template's size.
    CRect rect;
    GetClientRect(rect);
    HMENU menu = ::GetMenu(m_hWnd);
    ::AdjustWindowRectEx(rect, GetStyle(), menu != nullptr && ::IsMenu(menu), GetExStyle());
    SetWindowPos(nullptr, 0, 0, rect.Width(), rect.Height(),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED | SWP_NOOWNERZORDER);
    return 0;
}

BOOL CResizableDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    CRect rect;
    GetWindowRect(rect);
    SetMinTrackSize(rect.Size());
    UpdateSizeGrip();
    m_bInitDone = TRUE;
    return TRUE;
}

void CResizableDialog::OnGetMinMaxInfo(MINMAXINFO* lpMMI)
{
    if (m_bInitDone)
        MinMaxInfo(lpMMI);
    else
        CDialog::OnGetMinMaxInfo(lpMMI);
}

void CResizableDialog::OnSize(UINT nType, int cx, int cy)
{
    CDialog::OnSize(nType, cx, cy);
    if (nType == SIZE_MAXSHOW || nType == SIZE_MAXHIDE || !m_bInitDone)
        return;
    UpdateSizeGrip();
    ArrangeLayout();
}

BOOL CResizableDialog::OnEraseBkgnd(CDC* pDC)
{
    const int saved = pDC->SaveDC();
    ClipChildren(pDC);
    BOOL erased = CDialog::OnEraseBkgnd(pDC);
    pDC->RestoreDC(saved);
    return erased;
}

void CResizableDialog::OnDestroy()
{
    RemoveAllAnchors();
    CDialog::OnDestroy();
}
