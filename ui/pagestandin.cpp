#include "ui/pagestandin.h"

#include "ui/programresources.h"
#include "ui/sectiontexts.h"

IMPLEMENT_DYNAMIC(CPageStandIn, CToolTipDialogEx)

CPageStandIn::CPageStandIn(const CString& sectionName, CWnd* pParent)
    : CToolTipDialogEx(sectionName, pParent, IDD_PAGE_STANDIN), CDialogControlHelper(this)
{
}

BOOL CPageStandIn::CreatePage(int left, int top, int right, int bottom)
{
    m_rcPage.SetRect(left, top, right, bottom);
    if (!Create(IDD_PAGE_STANDIN, m_pParentWnd))
        return FALSE;
    SetWindowPos(nullptr, left, top, right - left, bottom - top, SWP_NOZORDER | SWP_NOACTIVATE);
    return TRUE;
}

BOOL CPageStandIn::OnInitDialog()
{
    if (!CToolTipDialogEx::OnInitDialog())
        return FALSE;
    // The title in the dialog's font, bold.
    if (CWnd* title = GetDlgItem(IDC_STANDIN_TITLE))
    {
        LOGFONTA font = {};
        if (CFont* dialogFont = GetFont())
            dialogFont->GetLogFont(&font);
        font.lfWeight = FW_BOLD;
        if (m_titleFont.CreateFontIndirect(&font))
            title->SetFont(&m_titleFont);
    }
    LoadTexts();
    return TRUE;
}

void CPageStandIn::LoadTexts()
{
    SetControlText(IDC_STANDIN_TITLE, GetText("title"));
    SetControlText(IDC_STANDIN_NOTE, CSectionTexts("MainDialog").GetText("pageNotBuilt"));
}
