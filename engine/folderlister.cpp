#include "engine/folderlister.h"

#include <string.h>

#include <algorithm>

namespace {

// The folder walk needs no short names, and making them costs more than the
// rest of an entry; systems before 6.1 refuse the basic level, so fall back.
HANDLE FindFolderFirst(const char* pattern, WIN32_FIND_DATAA* data)
{
    HANDLE find = FindFirstFileExA(pattern, FindExInfoBasic, data, FindExSearchNameMatch, NULL,
                                   FIND_FIRST_EX_LARGE_FETCH);
    if (find == INVALID_HANDLE_VALUE && GetLastError() == ERROR_INVALID_PARAMETER)
        find = FindFirstFileA(pattern, data);
    return find;
}

// Writability probe: a new file that vanishes when closed. A file of that
// name that is already there belongs to someone else and stays untouched.
bool CanCreateFileIn(const std::string& folder)
{
    const std::string probe = folder + "test.dat";
    HANDLE h = CreateFileA(probe.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, NULL);
    if (h == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_EXISTS;
    CloseHandle(h);
    return true;
}

} // namespace

// ------------------------------------------------------------------ listing

CFolderListing::CFolderListing() : m_read(0), m_find(INVALID_HANDLE_VALUE), m_dataPending(false)
{
}

CFolderListing::~CFolderListing()
{
    Reset();
}

void CFolderListing::Reset()
{
    if (m_find != INVALID_HANDLE_VALUE)
        FindClose(m_find);
    m_find = INVALID_HANDLE_VALUE;
    m_dataPending = false;
    m_names.clear();
    m_entries.clear();
    m_read = 0;
}

void CFolderListing::Swap(CFolderListing& other)
{
    m_names.swap(other.m_names);
    m_entries.swap(other.m_entries);
    std::swap(m_read, other.m_read);
    std::swap(m_find, other.m_find);
    std::swap(m_dataPending, other.m_dataPending);
    std::swap(m_data, other.m_data);
}

bool CFolderListing::Make(const std::string& folder, size_t held)
{
    Reset();
    if (!CanCreateFileIn(folder))
        return false;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFolderFirst((folder + "*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return false;
    for (;;)
    {
        if (m_entries.size() == held)
        {
            // The rest is listed as it is taken.
            m_find = find;
            m_data = data;
            m_dataPending = true;
            return true;
        }
        const Entry entry = {m_names.size(), data.dwFileAttributes};
        m_entries.push_back(entry);
        m_names.insert(m_names.end(), data.cFileName, data.cFileName + strlen(data.cFileName) + 1);
        if (!FindNextFileA(find, &data))
            break;
    }
    FindClose(find);
    return true;
}

bool CFolderListing::Next(const char** name, DWORD* attributes)
{
    if (m_read < m_entries.size())
    {
        *name = HeldName(m_read);
        *attributes = HeldAttributes(m_read);
        ++m_read;
        return true;
    }
    if (m_find == INVALID_HANDLE_VALUE)
        return false;
    if (!m_dataPending && !FindNextFileA(m_find, &m_data))
    {
        FindClose(m_find);
        m_find = INVALID_HANDLE_VALUE;
        return false;
    }
    m_dataPending = false;
    *name = m_data.cFileName;
    *attributes = m_data.dwFileAttributes;
    return true;
}

// ------------------------------------------------------------------- lister

CFolderLister::CFolderLister(int threads, size_t ahead, size_t held)
    : m_ahead(ahead > 0 ? ahead : 1), m_held(held), m_ready(0), m_listing(0), m_waiters(0), m_quit(false)
{
    InitializeSRWLock(&m_lock);
    InitializeConditionVariable(&m_asked);
    InitializeConditionVariable(&m_listed);
    if (threads <= 0)
        threads = 3;
    for (int i = 0; i < threads; ++i)
        m_workers.emplace_back(&CFolderLister::Work, this);
}

CFolderLister::~CFolderLister()
{
    Clear();
    AcquireSRWLockExclusive(&m_lock);
    m_quit = true;
    ReleaseSRWLockExclusive(&m_lock);
    WakeAllConditionVariable(&m_asked);
    for (std::thread& t : m_workers)
        t.join();
}

void CFolderLister::Request(const std::vector<std::string>& folders)
{
    AcquireSRWLockExclusive(&m_lock);
    bool added = false;
    for (size_t i = folders.size(); i-- > 0;)
    {
        std::pair<Slots::iterator, bool> slot = m_slots.try_emplace(folders[i]);
        if (!slot.second)
            continue;
        slot.first->second.state = Asked;
        slot.first->second.ok = false;
        m_stack.push_back(slot.first);
        added = true;
    }
    ReleaseSRWLockExclusive(&m_lock);
    if (added)
        WakeAllConditionVariable(&m_asked);
}

bool CFolderLister::Take(const std::string& folder, CFolderListing& listing)
{
    AcquireSRWLockExclusive(&m_lock);
    Slots::iterator slot = m_slots.find(folder);
    while (slot != m_slots.end() && slot->second.state == Listing)
    {
        ++m_waiters;
        SleepConditionVariableSRW(&m_listed, &m_lock, INFINITE, 0);
        --m_waiters;
    }
    if (slot == m_slots.end() || slot->second.state == Asked)
    {
        // Not started: quicker to list it here than to wait for a lister.
        if (slot != m_slots.end())
        {
            m_stack.erase(std::find(m_stack.begin(), m_stack.end(), slot));
            m_slots.erase(slot);
        }
        ReleaseSRWLockExclusive(&m_lock);
        return listing.Make(folder, m_held);
    }
    listing.Swap(slot->second.listing);
    const bool ok = slot->second.ok;
    m_slots.erase(slot);
    --m_ready;
    const bool wake = !m_stack.empty();
    ReleaseSRWLockExclusive(&m_lock);
    if (wake)
        WakeConditionVariable(&m_asked);
    return ok;
}

void CFolderLister::Clear()
{
    AcquireSRWLockExclusive(&m_lock);
    m_stack.clear();
    while (m_listing > 0)
    {
        ++m_waiters;
        SleepConditionVariableSRW(&m_listed, &m_lock, INFINITE, 0);
        --m_waiters;
    }
    Slots dropped;
    dropped.swap(m_slots);
    m_ready = 0;
    ReleaseSRWLockExclusive(&m_lock);
    // Listings close their open find handles outside the lock.
}

void CFolderLister::Work()
{
    CFolderListing listing;
    AcquireSRWLockExclusive(&m_lock);
    for (;;)
    {
        while (!m_quit && (m_stack.empty() || m_ready + m_listing >= m_ahead))
            SleepConditionVariableSRW(&m_asked, &m_lock, INFINITE, 0);
        if (m_quit)
            break;
        Slots::iterator slot = m_stack.back();
        m_stack.pop_back();
        slot->second.state = Listing;
        ++m_listing;
        ReleaseSRWLockExclusive(&m_lock);
        const bool ok = listing.Make(slot->first, m_held);
        AcquireSRWLockExclusive(&m_lock);
        // Only Take and Clear remove slots, and both wait for this one.
        slot->second.listing.Swap(listing);
        slot->second.ok = ok;
        slot->second.state = Listed;
        --m_listing;
        ++m_ready;
        if (m_waiters > 0)
            WakeAllConditionVariable(&m_listed);
    }
    ReleaseSRWLockExclusive(&m_lock);
}
