#include "pages/scanlog.h"

#include "platform/atl/atlbase.h"

#include <windows.h>

namespace {

const char kSeparator[] = "------------------------------------------\r\n\r\n";
const char kTimeFormat[] = "%m.%d.%Y %H:%M:%S";
// Files of one second beyond this many are not written.
const int kMaxSameSecondFiles = 1000;

CString Narrow(BSTR text)
{
    return text ? CString(static_cast<LPSTR>(CW2A(text))) : CString();
}

} // namespace

CScanLog::CScanLog(const CString& folder)
    : m_state(StateNew), m_folder(folder), m_generalScanned(0), m_generalFound(0)
{
    for (Group& group : m_groups)
        group = Group{0, 0, 0, 0, CString()};
}

CScanLog::~CScanLog() {}

CTime CScanLog::Now() const
{
    return CTime::GetCurrentTime();
}

const char* CScanLog::AreaName(int area)
{
    switch (area)
    {
    case saProcesses: return "Processes";
    case saRegistry:
    case saGuardedRegistry: return "Registry";
    case saQuickDisk:
    case saFullDisk: return "File system";
    case saHosts: return "Hosts file";
    case saCookies: return "Cookies";
    default: return "";
    }
}

CScanLog::GroupKind CScanLog::GroupOf(int area)
{
    if (area == saRegistry || area == saGuardedRegistry)
        return GroupRegistry;
    if (area == saQuickDisk || area == saFullDisk)
        return GroupFiles;
    return GroupNone;
}

CString CScanLog::CompletionBlock(int area, ULONG scanned, ULONG found)
{
    CString block;
    block.Format("Completed %s scan\r\nTotal items scanned: %lu\r\nItems found: %lu\r\n", AreaName(area), scanned, found);
    return block + kSeparator;
}

void CScanLog::Start()
{
    for (Group& group : m_groups)
        group = Group{0, 0, 0, 0, CString()};
    m_generalScanned = m_generalFound = 0;
    m_savedPath.Empty();
    m_state = StateStarted;
    m_text = "Scan log. Started at " + Now().Format(kTimeFormat) + "\r\n" + kSeparator;
}

void CScanLog::StartArea(ScanAreaType area)
{
    const GroupKind kind = GroupOf(area);
    if (kind == GroupNone)
    {
        m_generalScanned = m_generalFound = 0;
        m_text += CString("Start ") + AreaName(area) + " scan\r\n";
        return;
    }
    Group& group = m_groups[kind];
    // The first pass opens the group's block; after its block was written a
    // later pass opens a new one.
    if (group.completions == 0 || (group.completions >= 2 && group.section.IsEmpty()))
    {
        if (group.completions == 0)
            group.scanned = 0;
        group.found = group.pending = 0;
        group.section = CString("Start ") + AreaName(area) + " scan\r\n";
    }
}

void CScanLog::AddScanned(ScanAreaType area, ULONG count)
{
    const GroupKind kind = GroupOf(area);
    if (kind != GroupNone)
        m_groups[kind].scanned = count;
    m_generalScanned = count;
}

void CScanLog::AddFoundItem(IThreat* threat, ISearchItem* item)
{
    if (!item)
        return;
    ScanAreaType type = saMaxAreaNumber;
    item->get_Type(&type);
    CComBSTR threatName, itemName;
    if (threat)
        threat->get_Name(&threatName);
    item->get_ItemName(&itemName);
    const CString record = "Name: " + Narrow(threatName) + "\r\n" + Narrow(itemName) + "\r\n\r\n";

    const GroupKind kind = GroupOf(type);
    if (kind == GroupNone)
    {
        m_text += record;
        ++m_generalFound;
        return;
    }
    Group& group = m_groups[kind];
    if (group.completions >= 2 && group.section.IsEmpty())
    {
        group.found = group.pending = 0;
        group.section = CString("Start ") + AreaName(type) + " scan\r\n";
    }
    group.section += record;
    ++group.found;
    ++group.pending;
}

void CScanLog::FlushGroup(Group& group, int area)
{
    m_text += group.section + CompletionBlock(area, group.scanned, group.found);
    group.section.Empty();
    group.pending = 0;
}

void CScanLog::CompleteArea(ScanAreaType area)
{
    if (area == saMaxAreaNumber)
        return;
    const GroupKind kind = GroupOf(area);
    if (kind == GroupNone)
    {
        m_text += CompletionBlock(area, m_generalScanned, m_generalFound);
        return;
    }
    Group& group = m_groups[kind];
    ++group.completions;
    if (group.completions == 2 || (group.completions > 2 && group.pending > 0))
        FlushGroup(group, area);
    else if (group.completions > 2)
        group.section.Empty();  // a later pass that found nothing adds nothing
}

void CScanLog::Drop()
{
    m_state = StateSaved;
}

void CScanLog::Save(int endKind)
{
    if (m_state == StateSaved)
        return;
    // A group that completed only once, or found more after its block.
    const int groupAreas[2] = {saRegistry, saFullDisk};
    for (int i = 0; i < 2; ++i)
    {
        Group& group = m_groups[i];
        if (!group.section.IsEmpty() && (group.completions < 2 || group.pending > 0))
            FlushGroup(group, groupAreas[i]);
    }

    const CTime now = Now();
    const char* endText = endKind == EndFinished ? "Finished." : endKind == EndAborted ? "aborted by user." : "";
    m_text += CString("Scanning ") + endText + " " + now.Format(kTimeFormat);
    m_state = StateSaved;
    m_savedPath.Empty();

    ::CreateDirectoryA(m_folder, nullptr);
    const CString base = m_folder + "\\scan_log_" + now.Format("%m-%d-%Y_%H-%M-%S");
    for (int n = 1; n <= kMaxSameSecondFiles; ++n)
    {
        CString path = base;
        if (n > 1)
            path.AppendFormat("_%d", n);
        path += ".log";
        HANDLE file = ::CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE)
        {
            if (::GetLastError() == ERROR_FILE_EXISTS)
                continue;
            return;
        }
        DWORD written = 0;
        const BOOL ok = ::WriteFile(file, static_cast<LPCSTR>(m_text), m_text.GetLength(), &written, nullptr);
        ::CloseHandle(file);
        if (ok && written == static_cast<DWORD>(m_text.GetLength()))
            m_savedPath = path;
        return;
    }
}
