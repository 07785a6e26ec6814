#pragma once
// A plain About box until the About page is built: the program's name, its
// version line, the rights line and the company name from the language
// section "AboutDialog", and a Close button.

#include "ui/dialogcontrolhelper.h"
#include "ui/localizedtextsource.h"

class CAboutStandIn : public CDialog, public CLocalizedTextSource, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CAboutStandIn)

public:
    // The build number the version line shows for "{BUILD}".
    static const char kBuild[];

    explicit CAboutStandIn(CWnd* pParent = nullptr);

    BOOL OnInitDialog() override;
    void LoadTexts() override;

protected:
    afx_msg void OnCloseButton();

    DECLARE_MESSAGE_MAP()
};
