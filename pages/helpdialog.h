#pragma once
// The help page: links to the support forum, the help file and the
// definitions update (and to the program's updater, hidden in this
// version), beside the machine's system information as a list.

#include "pages/systeminfolist.h"
#include "ui/dialogcontrolhelper.h"
#include "ui/tooltipdialogex.h"

class CHelpDialog : public CToolTipDialogEx, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CHelpDialog)

public:
    // Beside the program file.
    static const char kUpdaterName[];
    static const char kHelpFileName[];

    explicit CHelpDialog(CWnd* pParent);

    BOOL CreatePage(int left, int top, int right, int bottom) override;
    BOOL OnInitDialog() override;
    void LoadTexts() override;
    void UpdateLayout() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    CSystemInfoList& GetList() { return m_list; }

protected:
    afx_msg void OnForumLink();
    afx_msg void OnAppUpdateLink();
    afx_msg void OnHelpLink();
    afx_msg void OnLiveUpdateLink();

    DECLARE_MESSAGE_MAP()

private:
    CSystemInfoList m_list;
    CRect m_rcPage;
    HCURSOR m_hArrow;
};
