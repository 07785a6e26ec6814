#pragma once
// The help-request form (template 188): the user gives an e-mail address, a
// subject and a description; Send runs the support report on a thread of
// its own (CHelpRequest) while the form stays responsive, and the status
// line then tells whether it went out. One form sends at most once.
//
// While the report is being sent the form cannot be closed: Send, Cancel
// and Enter do nothing, and the caption's close button, Alt+F4 and Escape
// are refused. Should the window go anyway (the application quits), the
// sending thread finishes on its own and tells nobody.

#include "reports/helprequest.h"
#include "ui/dialogcontrolhelper.h"
#include "ui/tooltipdialogex.h"

class CSendDlg : public CToolTipDialogEx, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CSendDlg)

public:
    // Sends with the support report; the caller runs the form modally.
    explicit CSendDlg(CWnd* pParent = nullptr);
    // Sends with the given function instead.
    CSendDlg(CWnd* pParent, CHelpRequest::SendFunction send);
    ~CSendDlg() override;

    BOOL OnInitDialog() override;
    // Enter sends while editing and closes once sending is done; Escape
    // never closes the form.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    void LoadTexts() override;
    // Hides the status line until sending starts.
    void UpdateLayout() override;
    void SetSkin();

    const CHelpRequest& GetRequest() const { return m_request; }

protected:
    afx_msg void OnBnClickedSend();
    // Ends the form as cancelled, unless the report is being sent.
    afx_msg void OnBnClickedCancel();
    afx_msg LRESULT OnSendingDone(WPARAM wParam, LPARAM lParam);
    afx_msg void OnDestroy();
    // The close button, Alt+F4 and IDCANCEL: as Cancel.
    void OnCancel() override;
    // The form has no OK button; nothing closes it that way.
    void OnOK() override;

    // The status line tells the outcome; Cancel becomes usable again.
    void EndSending();

    CHelpRequest m_request;
    bool m_bResult;

    DECLARE_MESSAGE_MAP()
};
