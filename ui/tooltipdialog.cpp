#include "ui/tooltipdialog.h"

#include "skin/skinlibrary.h"

IMPLEMENT_DYNAMIC(CToolTipDialog, CResizableDialog)

BEGIN_MESSAGE_MAP(CToolTipDialog, CResizableDialog)
    ON_WM_SIZE()
    ON_WM_DESTROY()
END_MESSAGE_MAP()

namespace {
const int kMaxTipWidth = 300;
}

CToolTipDialog::CToolTipDialog(CWnd* pParent, UINT nIDTemplate)
    : CResizableDialog(nIDTemplate, pParent), m_pToolTip(new CToolTipCtrl)
{
}

CToolTipDialog::~CToolTipDialog()
{
    delete m_pToolTip;
}

BOOL CToolTipDialog::CreatePage(int, int, int, int)
{
    return FALSE;
}

void CToolTipDialog::OnStartedArea(DWORD)
{
}

void CToolTipDialog::OnScanning(ScanAreaType, DWORD)
{
}

void CToolTipDialog::OnCompleteArea(DWORD)
{
}

void CToolTipDialog::OnSubItemAdded(DWORD, DWORD, DWORD)
{
}

void CToolTipDialog::OnQuaException(DWORD)
{
}

BOOL CToolTipDialog::Create(UINT nIDTemplate, CWnd* pParentWnd)
{
    return CDialog::Create(nIDTemplate, pParentWnd);
}

BOOL CToolTipDialog::OnInitDialog()
{
    if (!CResizableDialog::OnInitDialog())
        return FALSE;
    ShowSizeGrip(FALSE);
    if (m_pToolTip->Create(this, 0))
        m_pToolTip->SetMaxTipWidth(kMaxTipWidth);
    return TRUE;
}

BOOL CToolTipDialog::PreTranslateMessage(MSG* pMsg)
{
    m_pToolTip->RelayEvent(pMsg);
    return CDialog::PreTranslateMessage(pMsg);
}

void CToolTipDialog::SetMinTrackSize(int cx, int cy)
{
    CResizableMinMax::SetMinTrackSize(CSize(cx, cy));
}

void CToolTipDialog::ShowSizeGrip(BOOL bShow)
{
    CResizableGrip::ShowSizeGrip(bShow);
}

void CToolTipDialog::OnSize(UINT nType, int cx, int cy)
{
    CResizableDialog::OnSize(nType, cx, cy);
}

void CToolTipDialog::OnDestroy()
{
    // The tooltip, owned by the dialog, may be gone already; its object
    // then holds no handle and destroys nothing.
    m_pToolTip->DestroyWindow();
    RemoveWindowSkin(m_hWnd);
    CResizableDialog::OnDestroy();
}
