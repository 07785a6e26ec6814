#pragma once
// Dialogs from templates in the resource module. Create makes a modeless
// dialog; DoModal disables the owner and runs the framework's modal loop,
// which passes every message through the PreTranslateMessage chain and
// ends when EndDialog is called, from any depth of nested loops or COM
// calls, or when WM_QUIT arrives (posted again for the loop outside, and
// answered with -1).

#include "platform/mfc/cwnd.h"

class CDialog : public CWnd
{
    DECLARE_DYNAMIC(CDialog)

public:
    CDialog();
    CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    CDialog(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);

    // Modeless: FALSE when the template is missing or the window could not
    // be made.
    virtual BOOL Create(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    BOOL Create(LPCSTR lpszTemplateName, CWnd* pParentWnd = nullptr);
    // The EndDialog result, or -1 when the dialog could not be made or the
    // loop met WM_QUIT.
    virtual INT_PTR DoModal();
    void EndDialog(int nResult);

    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();

    BOOL PreTranslateMessage(MSG* pMsg) override;
    void MapDialogRect(LPRECT lpRect) const;

    LPCSTR m_lpszTemplateName;
    UINT m_nIDHelp;
    CWnd* m_pParentWnd;

protected:
    // The template in the resource module; NULL when missing.
    LPCDLGTEMPLATEA LoadTemplate() const;
    BOOL CreateFromTemplate(HWND hWndParent);
    HWND PreModal();
    void PostModal();
    afx_msg LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);

    HWND m_hWndTop;

    DECLARE_MESSAGE_MAP()
};

// The dialog procedure behind every framework dialog; the messages are
// handled by the window procedure before the dialog manager sees them.
INT_PTR CALLBACK AfxDlgProc(HWND hWnd, UINT message, WPARAM wParam, LPARAM lParam);
