#include "pages/removesummarydialog.h"

#include "resources/pages/resultsids.h"

IMPLEMENT_DYNAMIC(CRemoveSummaryDialog, CToolTipDialogEx)

CRemoveSummaryDialog::CRemoveSummaryDialog(CWnd* pParent)
    : CToolTipDialogEx("RemoveSummaryDialog", pParent, IDD_REMOVE_SUMMARY), CDialogControlHelper(this),
      m_nRemovedCount(0), m_nFoundCount(0)
{
}

CRemoveSummaryDialog::~CRemoveSummaryDialog() = default;

BOOL CRemoveSummaryDialog::OnInitDialog()
{
    if (!CToolTipDialogEx::OnInitDialog())
        return FALSE;
    LoadTexts();
    SetControlSkin(IDC_SUMMARY_FOUND_LABEL, "BoldStatic", "Dialog");
    SetControlSkin(IDC_SUMMARY_REMOVED_LABEL, "BoldStatic", "Dialog");
    return TRUE;
}

void CRemoveSummaryDialog::LoadTexts()
{
    SetWindowText(GetText("title"));
    SetControlText(IDOK, GetText("btOk"));
    SetControlText(IDC_SUMMARY_FOUND_LABEL, GetText("itemsFoundLbl"));
    SetControlInt(IDC_SUMMARY_FOUND, m_nFoundCount);
    SetControlText(IDC_SUMMARY_REMOVED_LABEL, GetText("itemsRemovedLbl"));
    SetControlInt(IDC_SUMMARY_REMOVED, m_nRemovedCount);
}
