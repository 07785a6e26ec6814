#pragma once
// The small modal box after a clean: how many threats the result held and
// how many the user had checked for removal. The result page sets both
// counts before each DoModal, and closes the box with EndDialog(0) when the
// quarantine fails.

#include "ui/dialogcontrolhelper.h"
#include "ui/tooltipdialogex.h"

class CRemoveSummaryDialog : public CToolTipDialogEx, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CRemoveSummaryDialog)

public:
    explicit CRemoveSummaryDialog(CWnd* pParent);
    ~CRemoveSummaryDialog() override;

    void SetRemovedCount(int count) { m_nRemovedCount = count; }
    void SetFoundCount(int count) { m_nFoundCount = count; }

    BOOL OnInitDialog() override;
    void LoadTexts() override;

private:
    int m_nRemovedCount;
    int m_nFoundCount;
};
