#include "ui/tooltipdialogex.h"

IMPLEMENT_DYNAMIC(CToolTipDialogEx, CToolTipDialog)

CToolTipDialogEx::CToolTipDialogEx(CString sectionName, CWnd* pParent, UINT nIDTemplate)
    : CToolTipDialog(pParent, nIDTemplate), CLocalizedTextSource(sectionName)
{
}

CToolTipDialogEx::~CToolTipDialogEx() = default;
