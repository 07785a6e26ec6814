#pragma once
// The start page's link pane: Quarantine, Ignore list and Scan logs, each
// a link with its picture; a click asks the start page (and through it the
// scan page) for that page.

#include "ui/dialogcontrolhelper.h"
#include "ui/localizedtextsource.h"
#include "ui/tooltipdialog.h"

class CScanMenuDialog : public CToolTipDialog, public CLocalizedTextSource, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CScanMenuDialog)

public:
    explicit CScanMenuDialog(CWnd* pParent);
    ~CScanMenuDialog() override;

    BOOL CreatePage(int left, int top, int right, int bottom) override;
    BOOL OnInitDialog() override;
    // The link cursor over the three links, the arrow elsewhere.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void LoadTexts() override;
    // Right-aligned in the parent; the frame; the pictures at their sizes.
    void UpdateLayout() override;

protected:
    afx_msg void OnQuarantine();
    afx_msg void OnIgnoreList();
    afx_msg void OnScanLogs();
    DECLARE_MESSAGE_MAP()

private:
    void PostToParent(UINT message);

    CRect m_rcPage;
    HCURSOR m_hCursor;
    // Shown on the picture buttons until the skin draws them.
    HBITMAP m_hPictures[3];
};
