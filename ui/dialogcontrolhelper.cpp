#include "ui/dialogcontrolhelper.h"

#include "skin/skinlibrary.h"

CDialogControlHelper::CDialogControlHelper(CWnd* pDialog) : m_pDialog(pDialog)
{
}

CDialogControlHelper::~CDialogControlHelper() = default;

void CDialogControlHelper::UpdateLayout()
{
}

CWnd* CDialogControlHelper::Control(UINT id) const
{
    if (m_pDialog == nullptr || m_pDialog->m_hWnd == nullptr)
        return nullptr;
    return m_pDialog->GetDlgItem(static_cast<int>(id));
}

BOOL CDialogControlHelper::SetControlSkin(UINT id, CString skinObject, CString containerObject)
{
    CWnd* control = Control(id);
    return control ? ::SetControlSkin(control->m_hWnd, skinObject, containerObject) : FALSE;
}

void CDialogControlHelper::SetCheck(UINT id, BOOL check)
{
    if (CWnd* control = Control(id))
        control->SendMessage(BM_SETCHECK, check ? BST_CHECKED : BST_UNCHECKED);
}

BOOL CDialogControlHelper::IsChecked(UINT id) const
{
    CWnd* control = Control(id);
    if (control == nullptr)
        return FALSE;
    const LRESULT state = control->SendMessage(BM_GETCHECK);
    return state == BST_CHECKED || state == BST_INDETERMINATE;
}

BOOL CDialogControlHelper::SetControlPos(UINT id, const CWnd* pWndInsertAfter, int x, int y, int cx, int cy,
                                         UINT nFlags)
{
    CWnd* control = Control(id);
    return control ? control->SetWindowPos(pWndInsertAfter, x, y, cx, cy, nFlags) : FALSE;
}

void CDialogControlHelper::SetControlText(UINT id, CString text)
{
    if (CWnd* control = Control(id))
        control->SetWindowText(text);
}

CString CDialogControlHelper::GetControlText(UINT id) const
{
    CString text;
    if (CWnd* control = Control(id))
        control->GetWindowText(text);
    return text;
}

CString CDialogControlHelper::GetComboText(UINT id, int index) const
{
    CString text;
    CWnd* control = Control(id);
    const LRESULT length = control ? control->SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index)) : CB_ERR;
    if (length <= 0)
        return text;
    control->SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index),
                         reinterpret_cast<LPARAM>(text.GetBuffer(static_cast<int>(length) + 1)));
    text.ReleaseBuffer();
    return text;
}

void CDialogControlHelper::SetControlInt(UINT id, int value)
{
    CString text;
    text.Format("%d", value);
    SetControlText(id, text);
}

void CDialogControlHelper::EnableControl(UINT id, BOOL enable)
{
    if (CWnd* control = Control(id))
        control->EnableWindow(enable);
}

void CDialogControlHelper::ListFiles(CStringArray& out, CString mask, BOOL stripExtension)
{
    out.RemoveAll();
    CFileFind finder;
    BOOL more = finder.FindFile(mask);
    while (more)
    {
        more = finder.FindNextFile();
        if (finder.IsDots() || finder.IsDirectory())
            continue;
        CString name = finder.GetFileName();
        if (stripExtension)
            name = name.Left(name.GetLength() - 4);
        out.Add(name);
    }
}
