#pragma once
// Holds the place of a main-window page that is not built yet: a child page
// of the page base class with the page's language section, showing the
// section's "title" and a line that the page is not there yet.

#include "ui/dialogcontrolhelper.h"
#include "ui/tooltipdialogex.h"

class CPageStandIn : public CToolTipDialogEx, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CPageStandIn)

public:
    CPageStandIn(const CString& sectionName, CWnd* pParent);

    // Keeps the rectangle and creates the page modeless, hidden, inside it.
    BOOL CreatePage(int left, int top, int right, int bottom) override;
    BOOL OnInitDialog() override;
    void LoadTexts() override;

    const CRect& GetPageRect() const { return m_rcPage; }

private:
    CRect m_rcPage;
    CFont m_titleFont;
};
