#include "engine/internalquarantine.h"

#include <new>
#include <stdio.h>
#include <string.h>

#include "engine/enginelogtext.h"

#define QLOG(...) FormatSourceError(CEngineLogText, "engine/internalquarantine", __LINE__, __VA_ARGS__)

namespace {

const char kArchivePrefix[] = "archive";

// Deleting a file that is already gone leaves the state that was wanted.
bool DeleteArchiveFile(const char* path)
{
    if (DeleteFileA(path))
        return true;
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
        return true;
    QLOG("Cannot delete archive file %s, code is 0x%x", path, (unsigned)error);
    return false;
}

} // namespace

CInternalQuarantine::CInternalQuarantine() : m_bLoaded(false) {}

CInternalQuarantine::~CInternalQuarantine()
{
    for (size_t i = 0; i < m_archives.size(); ++i)
        delete m_archives[i];
}

bool CInternalQuarantine::Initialize(const char* folder)
{
    if (m_bLoaded)
        return false;
    m_folder = folder;
    return true;
}

CString CInternalQuarantine::FolderWithSlash() const
{
    CString folder = m_folder;
    if (!folder.IsEmpty() && folder[folder.GetLength() - 1] != '\\')
        folder += '\\';
    return folder;
}

bool CInternalQuarantine::MakeArchivePath(const char* folder, DATE time, CString& infPath)
{
    infPath.Empty();
    SYSTEMTIME st;
    const size_t folderLength = folder ? strlen(folder) : 0;
    if (folderLength == 0 || folderLength > MaxFolderLength || !VariantTimeToSystemTime(time, &st))
        return false;
    const char* slash = folder[folderLength - 1] == '\\' ? "" : "\\";
    char path[MaxPathLength];
    const int length = _snprintf(path, sizeof(path), "%s%s%s %02d.%02d.%04d %02d-%02d-%02d%s", folder, slash,
                                 kArchivePrefix, st.wDay, st.wMonth, st.wYear, st.wHour, st.wMinute, st.wSecond,
                                 ".inf");
    if (length < 0 || length >= (int)sizeof(path))
        return false;
    infPath = path;
    return true;
}

CString CInternalQuarantine::MakeDatPath(const char* infPath)
{
    CString path = infPath;
    const int dot = path.ReverseFind('.');
    const int slash = path.ReverseFind('\\');
    if (dot > slash)
        path = path.Left(dot);
    return path + ".dat";
}

bool CInternalQuarantine::ParseArchiveName(const char* fileName, DATE* time)
{
    int day, month, year, hour, minute, second, end = -1;
    if (fileName == NULL ||
        sscanf(fileName, "archive %2d.%2d.%4d %2d-%2d-%2d%n", &day, &month, &year, &hour, &minute, &second,
               &end) != 6 ||
        end < 0 || _stricmp(fileName + end, ".inf") != 0)
        return false;
    if (year < 100 || month < 1 || month > 12 || day < 1 || day > 31 || hour < 0 || hour > 23 || minute < 0 ||
        minute > 59 || second < 0 || second > 59)
        return false;
    // Only the name this store writes: two digits each, four for the year.
    char canonical[64];
    _snprintf(canonical, sizeof(canonical), "archive %02d.%02d.%04d %02d-%02d-%02d.inf", day, month, year, hour,
              minute, second);
    canonical[sizeof(canonical) - 1] = 0;
    if (_stricmp(canonical, fileName) != 0)
        return false;
    SYSTEMTIME st = {};
    st.wYear = (WORD)year;
    st.wMonth = (WORD)month;
    st.wDay = (WORD)day;
    st.wHour = (WORD)hour;
    st.wMinute = (WORD)minute;
    st.wSecond = (WORD)second;
    DATE date;
    SYSTEMTIME back;
    // The round trip refuses days that the month does not have.
    if (!SystemTimeToVariantTime(&st, &date) || !VariantTimeToSystemTime(date, &back) || back.wDay != st.wDay ||
        back.wMonth != st.wMonth)
        return false;
    *time = date;
    return true;
}

void CInternalQuarantine::Insert(CBackupArchive* archive)
{
    size_t at = 0;
    while (at < m_archives.size() && !(m_archives[at]->GetTime() < archive->GetTime()))
        ++at;
    m_archives.insert(m_archives.begin() + at, archive);
}

bool CInternalQuarantine::LoadArchives()
{
    if (m_folder.IsEmpty())
        return false;
    if (m_bLoaded)
        return true;
    m_bLoaded = true;

    const CString folder = FolderWithSlash();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA(folder + kArchivePrefix + "*.inf", &found);
    if (search == INVALID_HANDLE_VALUE)
        return true;
    do
    {
        DATE time;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        if (!ParseArchiveName(found.cFileName, &time))
        {
            QLOG("Not a quarantine archive name: %s", found.cFileName);
            continue;
        }
        const CString infPath = folder + found.cFileName;
        if (infPath.GetLength() >= MaxPathLength)
            continue;
        CBackupArchive* archive = new (std::nothrow) CBackupArchive(infPath, MakeDatPath(infPath), time);
        if (archive)
            Insert(archive);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return true;
}

int CInternalQuarantine::GetCount()
{
    LoadArchives();
    return (int)m_archives.size();
}

CBackupArchive& CInternalQuarantine::GetArchive(int index)
{
    LoadArchives();
    if (index < 0 || index >= (int)m_archives.size())
        return m_empty;
    return *m_archives[index];
}

CBackupArchive& CInternalQuarantine::Lookup(DATE time)
{
    LoadArchives();
    for (size_t i = 0; i < m_archives.size(); ++i)
    {
        const DATE own = m_archives[i]->GetTime();
        if (memcmp(&own, &time, sizeof(DATE)) == 0)
            return *m_archives[i];
    }
    return m_empty;
}

CBackupArchive& CInternalQuarantine::CreateArchive(DATE time)
{
    LoadArchives();
    CString infPath;
    if (!MakeArchivePath(m_folder, time, infPath))
    {
        QLOG("Cannot name an archive in %s", (LPCSTR)m_folder);
        return m_empty;
    }
    CBackupArchive* archive = new (std::nothrow) CBackupArchive(infPath, MakeDatPath(infPath), time);
    if (archive == NULL)
        return m_empty;
    m_archives.push_back(archive);
    return *archive;
}

bool CInternalQuarantine::DeleteArchive(int index)
{
    LoadArchives();
    if (index < 0 || index >= (int)m_archives.size())
        return false;
    CBackupArchive* archive = m_archives[index];
    archive->Close();
    const bool infDeleted = DeleteArchiveFile(archive->GetInfPath());
    const bool datDeleted = DeleteArchiveFile(archive->GetDatPath());
    if (infDeleted != datDeleted)
        QLOG("Half of an archive pair is left: %s", (LPCSTR)(infDeleted ? archive->GetDatPath() : archive->GetInfPath()));
    m_archives.erase(m_archives.begin() + index);
    delete archive;
    return infDeleted && datDeleted;
}

bool CInternalQuarantine::RemoveBackup(DATE time)
{
    for (size_t i = 0; i < m_archives.size(); ++i)
    {
        const double difference = m_archives[i]->GetTime() - time;
        if (difference <= 1e-5 && difference >= -1e-5)
            return DeleteArchive((int)i);
    }
    return false;
}

bool CInternalQuarantine::ShrinkStorage(DWORD limit)
{
    // 64-bit sums; an archive whose size cannot be read adds nothing.
    ULONGLONG total = 0;
    for (size_t i = 0; i < m_archives.size(); ++i)
    {
        ULONGLONG size;
        if (m_archives[i]->GetSize64(&size))
            total += size;
    }
    bool ok = true;
    while (total > limit && !m_archives.empty())
    {
        // The oldest backup goes first; of equal times the one listed last.
        size_t oldest = 0;
        for (size_t i = 1; i < m_archives.size(); ++i)
            if (!(m_archives[oldest]->GetTime() < m_archives[i]->GetTime()))
                oldest = i;
        ULONGLONG size = 0;
        const bool known = m_archives[oldest]->GetSize64(&size);
        if (!DeleteArchive((int)oldest))
            ok = false;
        else if (known)
            total -= size < total ? size : total;
    }
    return ok;
}
