#include "reports/exceptiondialog.h"

#include "platform/mfc/afxdlgs.h"
#include "resources/reports/reportids.h"

IMPLEMENT_DYNAMIC(CExceptionDialog, CToolTipDialog)

BEGIN_MESSAGE_MAP(CExceptionDialog, CToolTipDialog)
    ON_BN_CLICKED(IDC_EXCEPTION_SEND, OnBnClickedSend)
    ON_BN_CLICKED(IDC_EXCEPTION_CANCEL, OnBnClickedCancel)
END_MESSAGE_MAP()

namespace {

const int kIconSize = 32;

// A resource string of the module that holds the dialog.
CString LoadResourceString(UINT id)
{
    char text[512] = "";
    ::LoadStringA(AfxGetResourceHandle(), id, text, sizeof(text));
    return text;
}

} // namespace

CExceptionDialog::CExceptionDialog(CWnd* pParent)
    : CToolTipDialog(pParent, IDD_EXCEPTION_DIALOG), CLocalizedTextSource("ExceptionDialog"),
      CDialogControlHelper(this), m_hCursor(nullptr)
{
}

CExceptionDialog::~CExceptionDialog() = default;

BOOL CExceptionDialog::OnInitDialog()
{
    CToolTipDialog::OnInitDialog();
    m_hCursor = ::LoadCursorA(nullptr, IDC_ARROW);
    SetControlPos(IDC_EXCEPTION_ICON, nullptr, 0, 0, kIconSize, kIconSize, SWP_NOMOVE | SWP_NOZORDER);
    if (!SetControlSkin(IDC_EXCEPTION_ICON, "IconError", "Dialog"))
        ShowSystemErrorIcon();
    SetControlSkin(IDC_EXCEPTION_TOP_TEXT, "BoldStatic", "Dialog");
    LoadTexts();
    SetMinTrackSize(0, 0);
    ShowSizeGrip(FALSE);
    return TRUE;
}

void CExceptionDialog::ShowSystemErrorIcon()
{
    // Without the skin's picture the disabled button is a blank square; the
    // system's error icon takes its place.
    CWnd* button = GetDlgItem(IDC_EXCEPTION_ICON);
    if (button == nullptr)
        return;
    CRect rect;
    button->GetWindowRect(rect);
    ScreenToClient(rect);
    if (m_errorIcon.Create(nullptr, WS_CHILD | WS_VISIBLE | SS_ICON, rect, this))
    {
        m_errorIcon.SetIcon(::LoadIconA(nullptr, IDI_ERROR));
        button->ShowWindow(SW_HIDE);
    }
}

void CExceptionDialog::LoadTexts()
{
    const CString title = CLocalizedTextSource::GetText("title");
    if (!title.IsEmpty())
        SetWindowText(title);
    const struct
    {
        UINT id;
        const char* key;
    } texts[] = {
        {IDC_EXCEPTION_TOP_TEXT, "topText"},   {IDC_EXCEPTION_COMMENTS_HEADER, "reportHeader"},
        {IDC_EXCEPTION_SEND, "btSendReport"}, {IDC_EXCEPTION_CANCEL, "btCancel"},
        {IDC_EXCEPTION_EMAIL_LABEL, "emailLbl"},
    };
    for (const auto& text : texts)
    {
        const CString value = CLocalizedTextSource::GetText(text.key);
        if (!value.IsEmpty())
            SetControlText(text.id, value);
    }
}

BOOL CExceptionDialog::PreTranslateMessage(MSG* pMsg)
{
    if (pMsg->message == WM_MOUSEMOVE && m_hCursor != nullptr)
        ::SetCursor(m_hCursor);
    else if (pMsg->message == WM_KEYDOWN && (pMsg->wParam == VK_RETURN || pMsg->wParam == VK_ESCAPE))
        pMsg->wParam = 0;
    return CToolTipDialog::PreTranslateMessage(pMsg);
}

BOOL CExceptionDialog::CreatePage(int left, int top, int right, int bottom)
{
    m_rcPage.SetRect(left, top, right, bottom);
    return CToolTipDialog::Create(IDD_EXCEPTION_DIALOG, m_pParentWnd);
}

void CExceptionDialog::OnBnClickedSend()
{
    // The report's lines end in "\n"; the edit control's in "\r\n".
    CString comments = GetControlText(IDC_EXCEPTION_COMMENTS);
    comments.Replace("\r\n", "\n");
    m_report.Send(comments, GetControlText(IDC_EXCEPTION_EMAIL), *this);
    EndDialog(0);
}

void CExceptionDialog::OnBnClickedCancel()
{
    EndDialog(0);
}

void CExceptionDialog::SaveReport(const CString& text)
{
    CExceptionReport::SaveReport(text, *this);
}

CString CExceptionDialog::GetText(const char* key)
{
    CString text = CLocalizedTextSource::GetText(key);
    if (text.IsEmpty())
    {
        // The crash may have come before the language file was read.
        if (strcmp(key, "cannotSendInfo") == 0)
            text = LoadResourceString(IDS_EXCEPTION_CANNOT_SEND);
        else if (strcmp(key, "thanksMessage") == 0)
            text = LoadResourceString(IDS_EXCEPTION_THANKS);
    }
    return text;
}

int CExceptionDialog::ShowMessage(const CString& text, const char* caption, UINT type)
{
    return MessageBox(text, caption, type);
}

bool CExceptionDialog::AskSavePath(CString& path)
{
    CFileDialog dialog(FALSE, nullptr, nullptr, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT, nullptr, this);
    if (dialog.DoModal() != IDOK)
        return false;
    path = dialog.GetPathName();
    return true;
}

void CExceptionDialog::ShowWaitCursor(bool show)
{
    if (show)
        m_pWaitCursor.reset(new CWaitCursor);
    else
        m_pWaitCursor.reset();
}
