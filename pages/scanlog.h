#pragma once
// The plain-text account of one scan: the areas started and completed, the
// items found and the counts per area, written to one file
// "scan_log_<time>.log" in the logs folder when the scan ends or is
// aborted. The scan logs page and the support report read these files.
//
// The registry areas and the two disk areas are each one group whose block
// is written when the group completes the second time (the engine runs
// both in two passes). Records that come later, or of a group that
// completed only once, are written before the end line rather than lost.

#include "engine/mothtrap.h"
#include "platform/mfc/cstring.h"
#include "platform/mfc/ctime.h"

class CScanLog
{
public:
    enum EndKind { EndFinished = 0, EndAborted = 1 };
    enum State { StateSaved = 0, StateStarted = 1, StateNew = 2 };

    explicit CScanLog(const CString& folder);
    virtual ~CScanLog();

    void Start();
    void StartArea(ScanAreaType area);
    void CompleteArea(ScanAreaType area);
    void AddScanned(ScanAreaType area, ULONG count);
    void AddFoundItem(IThreat* threat, ISearchItem* item);
    // Ends the text with the end line and writes the file; nothing once the
    // log was saved (or dropped) since the last Start. An existing file of
    // the same second is never replaced: "_2", "_3", ... go before ".log".
    void Save(int endKind);
    // Forgets a log whose scan never started: nothing is written.
    void Drop();

    int GetState() const { return m_state; }
    const CString& GetText() const { return m_text; }
    const CString& GetFolder() const { return m_folder; }
    // The file the last Save wrote; empty when it wrote none.
    const CString& GetSavedPath() const { return m_savedPath; }

    // "Processes", "Registry", ...; empty for other values.
    static const char* AreaName(int area);

protected:
    // The clock of the start, end and file name (tests give their own).
    virtual CTime Now() const;

private:
    // A group collects its text apart until it has completed twice.
    struct Group
    {
        int completions;
        ULONG scanned;
        ULONG found;
        // Found records waiting in the section (after the group's block was
        // written, a new section is written only when it has records).
        ULONG pending;
        CString section;
    };
    enum GroupKind { GroupNone = -1, GroupRegistry = 0, GroupFiles = 1 };
    static GroupKind GroupOf(int area);
    static CString CompletionBlock(int area, ULONG scanned, ULONG found);
    void FlushGroup(Group& group, int area);

    int m_state;
    CString m_text;
    CString m_folder;
    ULONG m_generalScanned;
    ULONG m_generalFound;
    Group m_groups[2];
    CString m_savedPath;
};
