#include "reports/senddlg.h"

#include "resources/reports/reportids.h"

IMPLEMENT_DYNAMIC(CSendDlg, CToolTipDialogEx)

namespace {

// Posted by the sending thread to the form: wParam is the outcome.
const UINT WM_SENDING_DONE = WM_APP + 1;

const char kBoldTitle[] = "BoldTitleStatic";

} // namespace

BEGIN_MESSAGE_MAP(CSendDlg, CToolTipDialogEx)
    ON_BN_CLICKED(IDC_SEND_REPORT_SEND, OnBnClickedSend)
    ON_BN_CLICKED(IDC_SEND_REPORT_CANCEL, OnBnClickedCancel)
    ON_MESSAGE(WM_SENDING_DONE, OnSendingDone)
    ON_WM_DESTROY()
END_MESSAGE_MAP()

CSendDlg::CSendDlg(CWnd* pParent)
    : CToolTipDialogEx("SendReportDialog", pParent, IDD_SEND_REPORT_DIALOG), CDialogControlHelper(this),
      m_bResult(false)
{
}

CSendDlg::CSendDlg(CWnd* pParent, CHelpRequest::SendFunction send)
    : CToolTipDialogEx("SendReportDialog", pParent, IDD_SEND_REPORT_DIALOG), CDialogControlHelper(this),
      m_request(std::move(send)), m_bResult(false)
{
}

CSendDlg::~CSendDlg() = default;

BOOL CSendDlg::OnInitDialog()
{
    CToolTipDialogEx::OnInitDialog();
    LoadTexts();
    UpdateLayout();
    SetSkin();
    return TRUE;
}

void CSendDlg::LoadTexts()
{
    const struct
    {
        UINT id;
        const char* key;
    } texts[] = {
        {IDC_SEND_REPORT_SEND, "sendButton"},         {IDC_SEND_REPORT_CANCEL, "cancelButton"},
        {IDC_SEND_REPORT_EMAIL_LABEL, "mailEdit"},    {IDC_SEND_REPORT_STATUS, "sendingEdit"},
        {IDC_SEND_REPORT_SUBJECT_LABEL, "editSubj"},  {IDC_SEND_REPORT_DESCRIPTION_LABEL, "editDesc"},
    };
    for (const auto& text : texts)
        SetControlText(text.id, GetText(text.key));
}

void CSendDlg::UpdateLayout()
{
    if (CWnd* status = GetDlgItem(IDC_SEND_REPORT_STATUS))
        status->ShowWindow(SW_HIDE);
}

void CSendDlg::SetSkin()
{
    SetControlSkin(IDC_SEND_REPORT_STATUS, kBoldTitle, "Dialog");
    SetControlSkin(IDC_SEND_REPORT_EMAIL_LABEL, kBoldTitle, "Dialog");
    SetControlSkin(IDC_SEND_REPORT_SUBJECT_LABEL, kBoldTitle, "Dialog");
    SetControlSkin(IDC_SEND_REPORT_DESCRIPTION_LABEL, kBoldTitle, "Dialog");
}

void CSendDlg::OnBnClickedSend()
{
    if (m_request.GetState() != CHelpRequest::Editing)
        return;
    const CString email = GetControlText(IDC_SEND_REPORT_EMAIL);
    if (!CHelpRequest::IsAddressAccepted(email))
    {
        MessageBox(GetText("errorSending"), "Error", MB_OK);
        return;
    }

    EnableControl(IDC_SEND_REPORT_SEND, FALSE);
    EnableControl(IDC_SEND_REPORT_CANCEL, FALSE);
    SetControlText(IDC_SEND_REPORT_STATUS, GetText("sendingEdit"));
    if (CWnd* status = GetDlgItem(IDC_SEND_REPORT_STATUS))
        status->ShowWindow(SW_SHOW);

    const HWND hWnd = m_hWnd;
    if (!m_request.Start(email, GetControlText(IDC_SEND_REPORT_SUBJECT), GetControlText(IDC_SEND_REPORT_DESCRIPTION),
                         [hWnd](bool sent) { ::PostMessageA(hWnd, WM_SENDING_DONE, sent, 0); }))
    {
        // No thread to send on: the form stays as it was, and says so.
        SetControlText(IDC_SEND_REPORT_STATUS, GetText("endSendingError"));
        EnableControl(IDC_SEND_REPORT_SEND, TRUE);
        EnableControl(IDC_SEND_REPORT_CANCEL, TRUE);
    }
}

void CSendDlg::OnBnClickedCancel()
{
    if (m_request.CanClose())
        EndDialog(IDCANCEL);
}

void CSendDlg::OnCancel()
{
    OnBnClickedCancel();
}

void CSendDlg::OnOK()
{
}

LRESULT CSendDlg::OnSendingDone(WPARAM, LPARAM)
{
    m_bResult = m_request.GetResult();
    EndSending();
    return 0;
}

void CSendDlg::EndSending()
{
    SetControlText(IDC_SEND_REPORT_STATUS, GetText(m_bResult ? "endSending" : "endSendingError"));
    EnableControl(IDC_SEND_REPORT_CANCEL, TRUE);
    // Enter and Space reach Cancel, unless the user is typing elsewhere.
    const HWND focus = ::GetFocus();
    if (focus == nullptr || focus == m_hWnd)
        if (CWnd* cancel = GetDlgItem(IDC_SEND_REPORT_CANCEL))
            SendMessage(WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(cancel->m_hWnd), TRUE);
}

void CSendDlg::OnDestroy()
{
    m_request.StopNotices();
    CToolTipDialogEx::OnDestroy();
}

BOOL CSendDlg::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_KEYDOWN)
    {
        if (pMsg->wParam == VK_RETURN)
        {
            switch (m_request.GetEnterAction())
            {
            case CHelpRequest::EnterSends:
                OnBnClickedSend();
                break;
            case CHelpRequest::EnterCloses:
                OnBnClickedCancel();
                break;
            case CHelpRequest::EnterDoesNothing:
                break;
            }
            pMsg->wParam = 0;
        }
        else if (pMsg->wParam == VK_ESCAPE)
            pMsg->wParam = 0;
    }
    return CToolTipDialogEx::PreTranslateMessage(pMsg);
}
