#pragma once
// Reaches a dialog's controls by id. Every operation does nothing (and
// answers 0, FALSE or an empty text) when the dialog has no such control.

#include "platform/mfc/afxwin.h"
#include "platform/mfc/cstringarray.h"

class CDialogControlHelper
{
public:
    explicit CDialogControlHelper(CWnd* pDialog);
    virtual ~CDialogControlHelper();

    // Places the dialog and its controls; dialogs that need it override it.
    virtual void UpdateLayout();

    // Hands the control to the skin toolkit (SetControlSkin) with the two
    // skin object names; the toolkit's result.
    BOOL SetControlSkin(UINT id, CString skinObject, CString containerObject);
    void SetCheck(UINT id, BOOL check);
    // Checked or indeterminate.
    BOOL IsChecked(UINT id) const;
    BOOL SetControlPos(UINT id, const CWnd* pWndInsertAfter, int x, int y, int cx, int cy, UINT nFlags);
    void SetControlText(UINT id, CString text);
    CString GetControlText(UINT id) const;
    // The text of a combo box's entry; empty for none.
    CString GetComboText(UINT id, int index) const;
    void SetControlInt(UINT id, int value);
    void EnableControl(UINT id, BOOL enable);

    // Replaces out with the names (no folder) of the files matching the
    // mask, in the order the search finds them; folders and the dot entries
    // are skipped. stripExtension drops each name's last four characters.
    static void ListFiles(CStringArray& out, CString mask, BOOL stripExtension);

protected:
    CWnd* Control(UINT id) const;

    CWnd* m_pDialog;
};
