#pragma once
// The scanning engine proper: opens the signature database "definitions.bin",
// runs the enabled scan areas in a fixed order in two passes and reports every
// detection and progress step to its listeners. Knows nothing of COM.

#include <windows.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

#include "engine/internalscannerlistener.h"
#include "foundation/packfile.h"

class CDigestPipeline;
class CFolderLister;

class CInternalScanner
{
public:
    enum Area
    {
        AreaProcesses = 0,
        AreaRegistry = 1,
        AreaGuarded = 2,
        AreaQuickDisk = 3,
        AreaFullDisk = 4,
        AreaHosts = 5,
        AreaCookies = 6,
        AreaCount = 7, // also "the whole scan" in OnCompleteArea
    };

    // Block ids of the database sections.
    enum Section
    {
        SectionPrograms = 1,
        SectionRegistry = 17,
        SectionGuarded = 18,
        SectionFiles = 33,
        SectionCookies = 49,
        SectionHosts = 65,
        SectionDigests = 81,
    };

    // Registry record flags.
    enum
    {
        FlagDetectable = 0x8000,
        FlagSubkeys = 0x0001,
        FlagNamePattern = 0x0004,
        FlagContains = 0x0008,
    };

    enum { LocationCount = 16, KeyLength = 16, MaxRegistryDepth = 512 };

    CInternalScanner();
    virtual ~CInternalScanner();

    static const wchar_t* GetDefaultKey();
    // The 16 key bytes for a key text: ANSI, at most 15 characters, NUL-padded;
    // the empty text (or NULL) gives the default key text.
    static void MakeKey(const wchar_t* keyText, BYTE key[KeyLength]);
    // Directory facts of a database, read with the default key: creation
    // stamp, program count, and the record count of the item sections.
    static bool ReadDatabaseInfo(const wchar_t* path, DWORD* stamp, DWORD* programs, DWORD* items);

    void AddListener(IInternalScannerListener* listener);
    void SetAreaEnabled(int area, bool enabled);
    bool IsAreaEnabled(int area) const;
    int AddPath(const char* folder);
    void ClearPaths();
    void SetKeyText(const wchar_t* keyText);
    const std::wstring& GetKeyText() const { return m_keyText; }

    bool OpenDefinitions(const wchar_t* path);
    bool GetProgramInfo(DWORD program, char* name, char* description, char* url, size_t size,
                        DWORD* risk);
    bool PrepareUserContext(bool otherUser);
    bool StartScan(const char* path);
    // Drops what a scan abandoned by an exception left: the open database
    // and the name index into it.
    void CloseDatabase();
    void Stop() { m_bStop = 1; }
    void SetPause(bool pause) { m_bPause = pause ? 1 : 0; }
    bool GetCompleteFlag() const { return m_bComplete != 0; }
    bool WaitWhilePaused();

    DWORD GetCounter(int area) const { return area >= 0 && area < AreaCount ? m_counters[area] : 0; }
    const char* GetCurrentFolder() const { return m_currentFolder.c_str(); }
    const char* GetLocation(int slot) const;
    const char* GetHostsPath() const { return m_hostsPath.c_str(); }
    const char* GetUserSidText() const { return m_sidText.c_str(); }
    bool IsProgramFound(DWORD program) const { return m_found.count(program) != 0; }

    // Database lookups; valid while the container is open.
    bool FindDigest(const BYTE digest[16], DWORD* program);
    bool BuildNameIndex(CPackBlock& block);
    void ClearNameIndex();
    int GetNameIndexCount() const { return (int)m_names.size(); }
    BYTE* FindByFileName(const char* path);

    // Textual SID ("S-1-5-21-..."); fails with ERROR_INSUFFICIENT_BUFFER and
    // the needed size when the buffer is too small.
    static bool SidToText(PSID sid, char* buffer, DWORD* size);
    // Stable number for an autorun entry no record knows: never a program
    // number of a database with programCount programs.
    static DWORD UnknownEntryNumber(DWORD programCount, DWORD root, const char* keyPath,
                                    const char* valueName);
    // Case-insensitive containment with buffers of the caller's own.
    static bool ContainsNoCase(const char* text, DWORD textSize, const char* part, DWORD partSize);
    // Data comparison of registry records.
    static bool MatchData(const BYTE* read, const BYTE* recordData, DWORD readSize, DWORD recordSize,
                          bool contains);
    // Like RegQueryValueExA / RegEnumValueA, but REG_DWORD and REG_QWORD read
    // as their signed decimal text (size without NUL).
    static LONG QueryValueAsText(HKEY key, const char* name, DWORD* type, BYTE* data, DWORD* size);
    static LONG EnumValueAsText(HKEY key, DWORD index, char* name, DWORD* nameSize, DWORD* type,
                                BYTE* data, DWORD* size);

protected:
    // Hooks: each passes its call on to every listener in registration order.
    virtual void OnItemFound(int area, DWORD programNumber, const char* name, const char* value,
                             DWORD typeOrProcessId, DWORD dataSize, const BYTE* data, DWORD rootKey,
                             BYTE known, const char* extra);
    virtual void OnAccessError(int area, const char* path, DWORD processId);
    virtual void OnStartedArea(int area);
    virtual void OnCompleteArea(int area);
    virtual void OnScanningFolder(const char* folder);
    virtual void OnScanning(int area, DWORD itemsScanned);

private:
    CInternalScanner(const CInternalScanner&);
    CInternalScanner& operator=(const CInternalScanner&);

    struct RegistryWalk;

    void Message(int line, const char* format, ...)
#ifdef __GNUC__
        __attribute__((format(gnu_printf, 3, 4)))
#endif
        ;
    bool Stopped() const { return m_bStop != 0; }
    bool scanAll(int pass);
    template <class Step>
    void RunSectionStep(int area, WORD section, const char* missing, Step step);
    void CompleteFlagWalk(CPackBlock& block);
    LONG OpenUserKey(HKEY root, const char* path, DWORD options, REGSAM access, HKEY* key);

    // Registry areas.
    bool ScanRegistry(CPackBlock& block, int pass);
    void MatchRegistryItem(HKEY key, const CPackedRecord& record, RegistryWalk& walk);
    void MatchRegistryKey(HKEY key, RegistryWalk& walk);
    bool ScanAutorunKeys(CPackBlock& block);
    bool ScanAutorunKey(CPackBlock& block, const char* keyPath, DWORD root, bool subkeys, bool dll);
    bool IsKnownAutorunFile(CPackBlock& block, const char* file);
    bool scanGuarded(CPackBlock& block);

    // File areas.
    void QueueDigest(const std::string& path);
    void ReportDigests(bool wait, bool one);
    HRESULT CheckFileContent(const char* path, const BYTE* pattern, DWORD patternLength, BYTE* field0);
    bool scanProcesses();
    bool scanDisk(CPackBlock& block, int pass);
    void ScanFolder(const std::string& folder, int pass);
    bool scanHosts(CPackBlock& block);
    bool scanCookies(CPackBlock& block);
    void ReportModule(const char* path, DWORD processId);

    std::string m_currentFolder;
    BYTE m_areas[AreaCount];
    volatile BYTE m_bStop;
    volatile BYTE m_bPause;
    DWORD m_counters[AreaCount];
    std::wstring m_keyText;
    CPackFile m_file;
    std::set<DWORD> m_found;
    BYTE m_bComplete;
    std::string m_hostsPath;
    std::vector<std::string> m_paths;
    // Name index over the unlocated file records: the name and the offset of
    // the name inside its record, in record order (names ascending).
    std::vector<const char*> m_names;
    std::vector<WORD> m_nameOffsets;
    // Quick-scan locations: the slots the located-item walk writes behind,
    // and untouched copies for the quick folder walk.
    std::string m_locations[LocationCount];
    std::string m_locationCopies[LocationCount];
    BYTE m_bOtherUser;
    std::string m_sidText;
    std::vector<IInternalScannerListener*> m_listeners;
    // Digests of the folder walk, hashed beside it; made on first use.
    std::unique_ptr<CDigestPipeline> m_pDigests;
    // Listings of the folders the walk enters next; made on first use.
    std::unique_ptr<CFolderLister> m_pLister;
};
