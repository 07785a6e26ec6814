#include "pages/statdialogs.h"

#include "foundation/appstats.h"
#include "pages/pagelayout.h"
#include "resources/pages/scanids.h"

namespace {

const char kSection[] = "Statistics";
const char kDialogSkin[] = "Dialog";
// The database version is the engine's text; the pane's field is short.
const int kMaxVersionLength = 64;

const StatPaneIds kProcessesIds = {IDD_STAT_PROCESSES, IDC_PROCESSES_HEADER, "processes.header",
                                   IDC_PROCESSES_SCANNED_LBL, IDC_PROCESSES_FOUND_LBL, IDC_PROCESSES_SCANNED,
                                   IDC_PROCESSES_FOUND, IDC_PROCESSES_PICTURE, IDB_STAT_PROCESSES};
const StatPaneIds kRegistryIds = {IDD_STAT_REGISTRY, IDC_REGISTRY_HEADER, "registry.header",
                                  IDC_REGISTRY_SCANNED_LBL, IDC_REGISTRY_FOUND_LBL, IDC_REGISTRY_SCANNED,
                                  IDC_REGISTRY_FOUND, IDC_REGISTRY_PICTURE, IDB_STAT_REGISTRY};
const StatPaneIds kCookiesIds = {IDD_STAT_COOKIES, IDC_COOKIES_HEADER, "cookies.header",
                                 IDC_COOKIES_SCANNED_LBL, IDC_COOKIES_FOUND_LBL, IDC_COOKIES_SCANNED,
                                 IDC_COOKIES_FOUND, IDC_COOKIES_PICTURE, IDB_STAT_COOKIES};
const StatPaneIds kFilesIds = {IDD_STAT_FILES, IDC_FILES_HEADER, "files.header", IDC_FILES_SCANNED_LBL,
                               IDC_FILES_FOUND_LBL, IDC_FILES_SCANNED, IDC_FILES_FOUND, IDC_FILES_PICTURE,
                               IDB_STAT_FILES};

// The pane's picture with its grey background (C0C0C0) in the dialog's
// face colour, as the system maps the colours of small bitmaps.
HBITMAP LoadPanePicture(UINT id)
{
    HBITMAP bitmap = static_cast<HBITMAP>(
        ::LoadImageA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    DIBSECTION dib = {};
    if (!bitmap || ::GetObjectA(bitmap, sizeof(dib), &dib) != sizeof(dib) || dib.dsBm.bmBitsPixel != 24 ||
        !dib.dsBm.bmBits)
        return bitmap;
    const COLORREF face = ::GetSysColor(COLOR_3DFACE);
    for (int y = 0; y < dib.dsBm.bmHeight; ++y)
    {
        BYTE* row = static_cast<BYTE*>(dib.dsBm.bmBits) + y * dib.dsBm.bmWidthBytes;
        for (int x = 0; x < dib.dsBm.bmWidth; ++x)
        {
            BYTE* px = row + x * 3;  // blue, green, red
            if (px[0] == 0xC0 && px[1] == 0xC0 && px[2] == 0xC0)
            {
                px[0] = GetBValue(face);
                px[1] = GetGValue(face);
                px[2] = GetRValue(face);
            }
        }
    }
    return bitmap;
}

} // namespace

// ------------------------------------------------------------------ base

IMPLEMENT_DYNAMIC(CStatDialog, CToolTipDialog)

CStatDialog::CStatDialog(CWnd* pParent, UINT templateId)
    : CToolTipDialog(pParent, templateId), CLocalizedTextSource(kSection), CDialogControlHelper(this),
      m_templateId(templateId)
{
}

BOOL CStatDialog::CreatePage(int left, int top, int right, int bottom)
{
    m_rcPage.SetRect(left, top, right, bottom);
    return Create(m_templateId, m_pParentWnd);
}

BOOL CStatDialog::SkinControl(UINT id, const char* skinObject)
{
    return SetControlSkin(id, skinObject, kDialogSkin);
}

void CStatDialog::UpdateLayout()
{
    PlaceRightAligned(*this, m_rcPage);
    PlaceGroupFrame(*this);
}

// ------------------------------------------------------------ area panes

IMPLEMENT_DYNAMIC(CStatAreaDialog, CStatDialog)

CStatAreaDialog::CStatAreaDialog(CWnd* pParent, const StatPaneIds& ids)
    : CStatDialog(pParent, ids.templateId), m_ids(ids), m_scanned(0), m_found(0), m_hPicture(nullptr)
{
}

CStatAreaDialog::~CStatAreaDialog()
{
    if (m_hPicture)
        ::DeleteObject(m_hPicture);
}

BOOL CStatAreaDialog::OnInitDialog()
{
    if (!CToolTipDialog::OnInitDialog())
        return FALSE;
    SkinControl(IDC_GROUP_FRAME, "DialogFrame");
    SkinControl(m_ids.header, "TitleStatic");
    if (!m_hPicture)
        m_hPicture = LoadPanePicture(m_ids.bitmap);
    if (CWnd* picture = GetDlgItem(m_ids.picture))
        picture->SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(m_hPicture));
    UpdateLayout();
    LoadTexts();
    return TRUE;
}

void CStatAreaDialog::LoadTexts()
{
    SetControlText(m_ids.header, GetText(m_ids.headerKey));
    SetControlText(m_ids.scannedLabel, GetText("msg.Scanned"));
    SetControlText(m_ids.foundLabel, GetText("msg.Found"));
}

void CStatAreaDialog::ShowCount(UINT id, ULONG count)
{
    CString text;
    text.Format("%lu", count);
    SetControlText(id, text);
}

void CStatAreaDialog::SetScanned(ULONG count)
{
    m_scanned = count;
    ShowCount(m_ids.scanned, count);
}

void CStatAreaDialog::AddFound()
{
    ++m_found;
    ShowCount(m_ids.found, m_found);
    if (m_found == 1)
        SkinControl(m_ids.found, "RedBoldStatic");
}

void CStatAreaDialog::Reset()
{
    m_found = 0;
    SetScanned(0);
    ShowCount(m_ids.found, 0);
    SkinControl(m_ids.found, "SimpleStatic");
}

IMPLEMENT_DYNAMIC(CStatProcessesDialog, CStatAreaDialog)
CStatProcessesDialog::CStatProcessesDialog(CWnd* pParent) : CStatAreaDialog(pParent, kProcessesIds) {}

IMPLEMENT_DYNAMIC(CStatRegistryDialog, CStatAreaDialog)
CStatRegistryDialog::CStatRegistryDialog(CWnd* pParent) : CStatAreaDialog(pParent, kRegistryIds) {}

IMPLEMENT_DYNAMIC(CStatCookiesDialog, CStatAreaDialog)
CStatCookiesDialog::CStatCookiesDialog(CWnd* pParent) : CStatAreaDialog(pParent, kCookiesIds) {}

IMPLEMENT_DYNAMIC(CStatFilesDialog, CStatAreaDialog)
CStatFilesDialog::CStatFilesDialog(CWnd* pParent) : CStatAreaDialog(pParent, kFilesIds) {}

void CStatFilesDialog::SetFullScanned(ULONG count)
{
    // The sum saturates rather than wrapping round to a small number.
    const ULONG sum = count > ULONG(-1) - m_scanned ? ULONG(-1) : m_scanned + count;
    ShowCount(m_ids.scanned, sum);
}

// ------------------------------------------------------------ totals pane

IMPLEMENT_DYNAMIC(CStatScanDialog, CStatDialog)

BEGIN_MESSAGE_MAP(CStatScanDialog, CStatDialog)
    ON_WM_SHOWWINDOW()
END_MESSAGE_MAP()

CStatScanDialog::CStatScanDialog(CWnd* pParent) : CStatDialog(pParent, IDD_STAT_SCAN) {}

BOOL CStatScanDialog::OnInitDialog()
{
    if (!CToolTipDialog::OnInitDialog())
        return FALSE;
    SkinControl(IDC_GROUP_FRAME, "DialogFrame");
    SkinControl(IDC_TOTALS_HEADER, "TitleStatic");
    UpdateLayout();
    LoadTexts();
    return TRUE;
}

void CStatScanDialog::LoadTexts()
{
    SetControlText(IDC_TOTALS_HEADER, GetText("scanStatistics.header"));
    SetControlText(IDC_TOTALS_DBVERSION_LBL, GetText("msg.DBVersion"));
    SetControlText(IDC_TOTALS_KNOWN_LBL, GetText("msg.KnownThreats"));
    SetControlText(IDC_TOTALS_SCANS_LBL, GetText("msg.TotalScans"));
    SetControlText(IDC_TOTALS_QUARANTINED_LBL, GetText("msg.TotalQuarantined"));
}

void CStatScanDialog::FillTotals()
{
    CAppStats* stats = CAppStats::Instance();
    SetControlText(IDC_TOTALS_DBVERSION, CString(stats->GetDBVersion().c_str()).Left(kMaxVersionLength));
    SetControlInt(IDC_TOTALS_KNOWN, stats->GetSignatures());
    SetControlInt(IDC_TOTALS_SCANS, stats->GetScansNumber());
    SetControlInt(IDC_TOTALS_QUARANTINED, stats->GetQuarantined());
}

void CStatScanDialog::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CStatDialog::OnShowWindow(bShow, nStatus);
    if (bShow)
        FillTotals();
}
