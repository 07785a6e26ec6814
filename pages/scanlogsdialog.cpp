#include "pages/scanlogsdialog.h"

#include <string>

#include "foundation/syshelpers.h"
#include "platform/mfc/cwaitcursor.h"
#include "resources/pages/maintenanceids.h"

IMPLEMENT_DYNAMIC(CScanLogsDialog, CMaintenancePage)

BEGIN_MESSAGE_MAP(CScanLogsDialog, CMaintenancePage)
    ON_BN_CLICKED(IDC_SCAN_LOGS_BACK, OnBack)
    ON_WM_SHOWWINDOW()
    ON_WM_SIZE()
    ON_CONTROL(CBN_SELCHANGE, IDC_SCAN_LOGS_FILES, ShowSelectedLog)
    ON_BN_CLICKED(IDC_SCAN_LOGS_DELETE, OnDelete)
END_MESSAGE_MAP()

CScanLogsDialog::CScanLogsDialog(CWnd* pParent)
    : CMaintenancePage("ScanLogsDialog", IDD_SCAN_LOGS_PAGE, pParent)
{
}

BOOL CScanLogsDialog::OnInitDialog()
{
    if (!CMaintenancePage::OnInitDialog())
        return FALSE;
    LoadTexts();
    UpdateLayout();
    SkinFrames(IDC_SCAN_LOGS_FRAME);
    SetControlSkin(IDC_SCAN_LOGS_TITLE, "BoldTitleStatic", "Dialog");
    return TRUE;
}

void CScanLogsDialog::LoadTexts()
{
    SetControlText(IDC_SCAN_LOGS_BACK, GetText("btBack"));
    SetControlText(IDC_SCAN_LOGS_TITLE, GetText("titleLbl"));
    SetControlText(IDC_SCAN_LOGS_DELETE, GetText("btDelete"));
}

void CScanLogsDialog::UpdateLayout()
{
    PlacePage(IDC_SCAN_LOGS_FRAME);
    PlaceTopRow(IDC_SCAN_LOGS_FILES, {IDC_SCAN_LOGS_DELETE});
    // The text fills the page between the chooser and the bottom row.
    const int row = PlaceBottomButton(IDC_SCAN_LOGS_BACK, -Margin);
    CWnd* text = GetDlgItem(IDC_SCAN_LOGS_TEXT);
    if (!text)
        return;
    CRect rc, client;
    text->GetWindowRect(&rc);
    ScreenToClient(&rc);
    GetClientRect(&client);
    text->SetWindowPos(nullptr, rc.left, rc.top, client.Width() - rc.left - Margin, row - Margin / 2 - rc.top,
                       SWP_NOZORDER | SWP_NOACTIVATE);
}

void CScanLogsDialog::OnSize(UINT nType, int cx, int cy)
{
    CMaintenancePage::OnSize(nType, cx, cy);
    if (GetDlgItem(IDC_SCAN_LOGS_TEXT) && cx > 0 && cy > 0)
        UpdateLayout();
}

CString CScanLogsDialog::GetLogsFolder()
{
    const CString data = GetProductDataFolder();
    CreateDirectoryA(data, nullptr);
    return data + "logs";
}

void CScanLogsDialog::OnShowWindow(BOOL bShow, UINT nStatus)
{
    CMaintenancePage::OnShowWindow(bShow, nStatus);
    if (bShow)
        FillLogList();
}

void CScanLogsDialog::FillLogList()
{
    ListFiles(m_names, GetLogsFolder() + "\\*.log", FALSE);
    SendItem(IDC_SCAN_LOGS_FILES, CB_RESETCONTENT, 0, 0);
    for (int i = 0; i < m_names.GetSize(); ++i)
        SendItem(IDC_SCAN_LOGS_FILES, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>((LPCSTR)m_names[i]));
    if (m_names.GetSize() == 0)
        return;
    SendItem(IDC_SCAN_LOGS_FILES, CB_SETCURSEL, 0, 0);
    ShowSelectedLog();
}

CString CScanLogsDialog::ReadLogText(const CString& path, ReadNote* note)
{
    *note = NoteNone;
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                              OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    LARGE_INTEGER size = {};
    if (file == INVALID_HANDLE_VALUE || !GetFileSizeEx(file, &size))
    {
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        *note = NoteUnreadable;
        return CString();
    }
    const LONGLONG limit = MaxShownBytes;
    const DWORD wanted = static_cast<DWORD>(size.QuadPart < limit ? size.QuadPart : limit);
    std::string bytes(wanted, '\0');
    DWORD read = 0;
    const BOOL ok = wanted == 0 || ReadFile(file, &bytes[0], wanted, &read, nullptr);
    CloseHandle(file);
    if (!ok)
    {
        *note = NoteUnreadable;
        return CString();
    }
    bytes.resize(read);
    if (size.QuadPart > read)
    {
        // Only whole lines of a log that is cut.
        *note = NoteTooLarge;
        const size_t lastLine = bytes.rfind('\n');
        if (lastLine != std::string::npos)
            bytes.resize(lastLine + 1);
    }

    // Line by line, each line ended by CR LF; a NUL would end the text early.
    std::string text;
    text.reserve(bytes.size() + bytes.size() / 16 + 2);
    size_t start = 0;
    while (start < bytes.size())
    {
        size_t end = bytes.find('\n', start);
        const size_t next = end == std::string::npos ? bytes.size() : end + 1;
        if (end == std::string::npos)
            end = bytes.size();
        if (end > start && bytes[end - 1] == '\r')
            --end;
        text.append(bytes, start, end - start);
        text += "\r\n";
        start = next;
    }
    for (char& c : text)
        if (c == '\0')
            c = ' ';
    return CString(text.c_str(), static_cast<int>(text.size()));
}

void CScanLogsDialog::ShowSelectedLog()
{
    const LRESULT selection = SendItem(IDC_SCAN_LOGS_FILES, CB_GETCURSEL, 0, 0);
    if (selection == CB_ERR)
        return;
    const CString name = GetComboText(IDC_SCAN_LOGS_FILES, static_cast<int>(selection));
    CWaitCursor wait;
    ReadNote note = NoteNone;
    const CString text = ReadLogText(GetLogsFolder() + "\\" + name, &note);
    if (note == NoteUnreadable)
        SetControlText(IDC_SCAN_LOGS_TEXT, GetText("cannotRead"));
    else if (note == NoteTooLarge)
        SetControlText(IDC_SCAN_LOGS_TEXT, GetText("tooLarge") + "\r\n\r\n" + text);
    else
        SetControlText(IDC_SCAN_LOGS_TEXT, text);
}

void CScanLogsDialog::OnDelete()
{
    const LRESULT count = SendItem(IDC_SCAN_LOGS_FILES, CB_GETCOUNT, 0, 0);
    if (count <= 0 || count == CB_ERR)
        return;
    LRESULT selection = SendItem(IDC_SCAN_LOGS_FILES, CB_GETCURSEL, 0, 0);
    if (selection == CB_ERR)
        selection = 0;
    const CString name = GetComboText(IDC_SCAN_LOGS_FILES, static_cast<int>(selection));
    const CString path = GetLogsFolder() + "\\" + name;
    ForceDeleteFile(path);
    if (!name.IsEmpty() && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES)
        ShowError(GetText("cannotDelete"));
    // The list is read again, so it holds exactly the logs on disk.
    FillLogList();
    if (m_names.GetSize() == 0)
        SetControlText(IDC_SCAN_LOGS_TEXT, "");
}
