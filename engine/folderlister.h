#pragma once
// Folder listings for the disk walk, made ahead on a few threads. Under Wine
// listing a folder costs a stat of every entry in the listing thread and
// several wineserver round trips per folder; the walk itself is one thread
// that must visit the folders in order, so it asks for the folders it will
// enter next and finds them listed when it gets there.
//
// A listing also carries the walk's writability probe: a folder in which the
// new file "test.dat" cannot be made is not listed at all.

#include <windows.h>

#include <map>
#include <string>
#include <thread>
#include <vector>

// One folder's entries in the order the system listed them. The first ones
// are held in memory; the rest of a large folder comes straight from the
// still open listing.
class CFolderListing
{
public:
    CFolderListing();
    ~CFolderListing();

    // Probe, then list folder (ending in a backslash) + "*.*"; false when the
    // probe fails or nothing can be listed.
    bool Make(const std::string& folder, size_t held);
    void Swap(CFolderListing& other);

    size_t HeldCount() const { return m_entries.size(); }
    const char* HeldName(size_t i) const { return &m_names[m_entries[i].name]; }
    DWORD HeldAttributes(size_t i) const { return m_entries[i].attributes; }

    // The next entry; false at the end of the listing.
    bool Next(const char** name, DWORD* attributes);

private:
    CFolderListing(const CFolderListing&);
    CFolderListing& operator=(const CFolderListing&);

    void Reset();

    struct Entry
    {
        size_t name; // offset in m_names
        DWORD attributes;
    };

    std::vector<char> m_names;
    std::vector<Entry> m_entries;
    size_t m_read; // held entries given out
    HANDLE m_find;           // open while entries remain beyond the held ones
    WIN32_FIND_DATAA m_data; // the last entry listed beyond them
    bool m_dataPending;      // m_data is listed and not given out yet
};

class CFolderLister
{
public:
    // threads 0: three (listing waits on Wine more than on a processor);
    // ahead: listings made and not yet taken, at most; held: entries a
    // listing keeps in memory.
    explicit CFolderLister(int threads = 0, size_t ahead = 64, size_t held = 4096);
    ~CFolderLister();

    // Asks for folders to be listed ahead; the first is needed first, and
    // before anything asked for earlier. A folder already asked for and not
    // yet taken is not asked for twice.
    void Request(const std::vector<std::string>& folders);
    // The listing of a folder: the one made ahead, else made here (also
    // when asked for but not started yet). False as CFolderListing::Make.
    bool Take(const std::string& folder, CFolderListing& listing);
    // Forgets every request and listing; listings in the making are awaited.
    void Clear();

private:
    CFolderLister(const CFolderLister&);
    CFolderLister& operator=(const CFolderLister&);

    enum State { Asked, Listing, Listed };
    struct Slot
    {
        State state;
        bool ok;
        CFolderListing listing;
    };
    typedef std::map<std::string, Slot> Slots;

    void Work();

    SRWLOCK m_lock;
    CONDITION_VARIABLE m_asked;  // listers wait for a request or the end
    CONDITION_VARIABLE m_listed; // Take and Clear wait for a listing
    Slots m_slots;
    // Requests not started, the next at the back: the walk's own order.
    std::vector<Slots::iterator> m_stack;
    size_t m_ahead;    // listings made and not taken, at most
    size_t m_held;
    size_t m_ready;    // listings made and not taken
    size_t m_listing;  // listings in the making
    size_t m_waiters;  // threads asleep on m_listed
    bool m_quit;
    std::vector<std::thread> m_workers;
};
