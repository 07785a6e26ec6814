#pragma once
// The statistics panes (texts of section "Statistics"): four area panes
// that count what the running scan has scanned and found in their area,
// and the totals pane of the start page with the usage statistics. Every
// pane stands right-aligned in its parent: the left of its rectangle is
// the distance from the parent's right edge.

#include "platform/mfc/afxwin.h"
#include "ui/dialogcontrolhelper.h"
#include "ui/localizedtextsource.h"
#include "ui/tooltipdialog.h"

// What tells the panes apart: template, controls, picture and title key.
struct StatPaneIds
{
    UINT templateId;
    UINT header;
    const char* headerKey;
    UINT scannedLabel;
    UINT foundLabel;
    UINT scanned;
    UINT found;
    UINT picture;
    UINT bitmap;
};

// The base of the panes: rectangle, right alignment and frame.
class CStatDialog : public CToolTipDialog, public CLocalizedTextSource, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CStatDialog)

public:
    CStatDialog(CWnd* pParent, UINT templateId);

    // Keeps the rectangle and creates the pane modeless (hidden).
    BOOL CreatePage(int left, int top, int right, int bottom) override;
    // Right-aligned in the parent at the rectangle's top; the frame around.
    void UpdateLayout() override;

    const CRect& GetPageRect() const { return m_rcPage; }

protected:
    // Every skin the pane gives its controls (with the dialog object "Dialog").
    virtual BOOL SkinControl(UINT id, const char* skinObject);

    CRect m_rcPage;
    UINT m_templateId;
};

// An area pane: its scanned and found counts.
class CStatAreaDialog : public CStatDialog
{
    DECLARE_DYNAMIC(CStatAreaDialog)

public:
    CStatAreaDialog(CWnd* pParent, const StatPaneIds& ids);
    ~CStatAreaDialog() override;

    BOOL OnInitDialog() override;
    void LoadTexts() override;

    void SetScanned(ULONG count);
    // The found count grows by one; the first item of a scan turns it red.
    void AddFound();
    // Both counts back to 0, the found count plain again.
    void Reset();

    ULONG GetScanned() const { return m_scanned; }
    ULONG GetFound() const { return m_found; }
    const StatPaneIds& GetIds() const { return m_ids; }

protected:
    void ShowCount(UINT id, ULONG count);

    StatPaneIds m_ids;
    ULONG m_scanned;
    ULONG m_found;
    HBITMAP m_hPicture;
};

class CStatProcessesDialog : public CStatAreaDialog
{
    DECLARE_DYNAMIC(CStatProcessesDialog)
public:
    explicit CStatProcessesDialog(CWnd* pParent);
};

class CStatRegistryDialog : public CStatAreaDialog
{
    DECLARE_DYNAMIC(CStatRegistryDialog)
public:
    explicit CStatRegistryDialog(CWnd* pParent);
};

class CStatCookiesDialog : public CStatAreaDialog
{
    DECLARE_DYNAMIC(CStatCookiesDialog)
public:
    explicit CStatCookiesDialog(CWnd* pParent);
};

// The files pane shows the quick-disk count plus the full-disk count.
class CStatFilesDialog : public CStatAreaDialog
{
    DECLARE_DYNAMIC(CStatFilesDialog)
public:
    explicit CStatFilesDialog(CWnd* pParent);
    // Shows the stored (quick-disk) count plus this one, without storing it.
    void SetFullScanned(ULONG count);
};

// The totals of the start page, read from the usage statistics each time
// it is shown and on a refresh.
class CStatScanDialog : public CStatDialog
{
    DECLARE_DYNAMIC(CStatScanDialog)

public:
    explicit CStatScanDialog(CWnd* pParent);

    BOOL OnInitDialog() override;
    void LoadTexts() override;
    void FillTotals();

protected:
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus);
    DECLARE_MESSAGE_MAP()
};
