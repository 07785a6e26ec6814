#pragma once
// The base of the main dialog and of every page and dialog of the program:
// a resizable dialog with a tooltip control (tips wrap at 300 pixels), the
// page-creation hook that page containers call, and empty hooks named
// after the engine's events for the pages that want them.

#include "ui/resizabledialog.h"

#include "engine/mothtrap.h"

class CToolTipDialog : public CResizableDialog
{
    DECLARE_DYNAMIC(CToolTipDialog)

public:
    CToolTipDialog(CWnd* pParent, UINT nIDTemplate);
    ~CToolTipDialog() override;

    // Creates the page modeless inside its parent at the rectangle (the
    // parent's client coordinates); pages override it. FALSE here.
    virtual BOOL CreatePage(int left, int top, int right, int bottom);
    // Engine-event hooks; nothing here, pages override what they listen to.
    virtual void OnStartedArea(DWORD area);
    virtual void OnScanning(ScanAreaType area, DWORD count);
    virtual void OnCompleteArea(DWORD area);
    virtual void OnSubItemAdded(DWORD collection, DWORD threat, DWORD item);
    virtual void OnQuaException(DWORD code);

    BOOL Create(UINT nIDTemplate, CWnd* pParentWnd) override;
    BOOL OnInitDialog() override;
    // Every message reaches the tooltip before the dialog handles it.
    BOOL PreTranslateMessage(MSG* pMsg) override;

    void SetMinTrackSize(int cx, int cy);
    void ShowSizeGrip(BOOL bShow);

protected:
    afx_msg void OnSize(UINT nType, int cx, int cy);
    afx_msg void OnDestroy();

    CToolTipCtrl* m_pToolTip;

    DECLARE_MESSAGE_MAP()
};
