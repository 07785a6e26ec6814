#pragma once
// The context of one data exchange between a dialog's members and what its
// window shows: UpdateData(FALSE) puts the members in, UpdateData(TRUE)
// reads them back; the DDX_ functions look at m_bSaveAndValidate.

#include <windows.h>

class CWnd;

class CDataExchange
{
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}

    BOOL m_bSaveAndValidate;  // TRUE: from the window into the members
    CWnd* m_pDlgWnd;
};
