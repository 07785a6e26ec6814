#pragma once
// The news page: the maker's news for this program version in a browser
// view, fetched again each time the page is shown; when the site does not
// answer within three seconds, the local "news.html" beside the program,
// else the built-in page. With news switched off in the settings it shows
// only a notice and asks nothing of the network.
//
// Whether the site answers is asked on a worker thread: the page never
// holds the window's thread while a site is silent.

#include "ui/htmldialogbase.h"
#include "ui/tooltipdialogex.h"

class CNewsDialog : public CToolTipDialogEx
{
    DECLARE_DYNAMIC(CNewsDialog)

public:
    static const char kLocalFileName[];

    explicit CNewsDialog(CWnd* pParent);
    ~CNewsDialog() override;

    BOOL CreatePage(int left, int top, int right, int bottom) override;
    BOOL OnInitDialog() override;
    void LoadTexts() override;
    BOOL PreTranslateMessage(MSG* pMsg) override;

    CHtmlDialogBase& GetView() { return m_view; }
    // Whether a question to the site is on its way.
    bool IsChecking() const { return m_bChecking; }
    // Whether the last navigation showed the live page.
    BOOL GetLastResult() const { return m_bLastResult; }

protected:
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg LRESULT OnSiteChecked(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    void CheckSite();
    static DWORD WINAPI CheckThread(LPVOID param);

    CHtmlDialogBase m_view;
    CRect m_rcPage;
    HCURSOR m_hCursor;
    BOOL m_bLastResult;
    // Numbers the questions: only the answer to the latest one counts.
    UINT m_nCheck;
    bool m_bChecking;
};
