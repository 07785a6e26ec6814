#pragma once
// The modal About box: the program's title, its version with the build
// number, the rights line and the company from the language file, the logo,
// and two links: the product's web page and the company's.

#include "ui/dialogcontrolhelper.h"
#include "ui/localizedtextsource.h"

class CAboutDialog : public CDialog, public CLocalizedTextSource, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CAboutDialog)

public:
    explicit CAboutDialog(CWnd* pParent = nullptr);
    ~CAboutDialog() override;

    BOOL OnInitDialog() override;
    void LoadTexts() override;
    void UpdateLayout() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

protected:
    afx_msg void OnClose();
    afx_msg void OnProductLink();
    afx_msg void OnCompanyLink();

    DECLARE_MESSAGE_MAP()

private:
    HCURSOR m_hArrow;
};
