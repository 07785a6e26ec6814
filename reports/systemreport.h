#pragma once
// The system report written on a crash: "report.doc" (system information,
// processes with their modules, running services, installed programs) and
// "screen.kap", an archive holding a screenshot "screen.bmp", both in the
// product data folder, where they stay for the user and support staff.
// Failures are silent: what cannot be read only shortens the report.

#include "platform/mfc/cstring.h"

#include <windows.h>
#include <winsvc.h>

#include <string>

class CSystemReport
{
public:
    // Writes into the product data folder.
    CSystemReport();
    // Writes into another folder (with or without its trailing backslash).
    explicit CSystemReport(const std::string& folder);
    virtual ~CSystemReport();

    // Writes "report.doc", then "screen.kap"; both are complete on return.
    void Write();

    // Section builders: each replaces the section text with its heading and
    // what follows it.
    void AddSystemInfo();
    void AddProcesses();
    void AddServices();
    void AddInstalledPrograms();
    // Parts of the sections, appending to the section text.
    void AddModules(DWORD processId);
    void AddVersionInfo(const char* path);
    void AddServiceConfig(SC_HANDLE manager, const char* serviceName);

    // Writes the desktop into "screen.bmp", packs it into the archive and
    // deletes it; false when any step failed.
    bool CaptureScreen(const char* archivePath);
    // Writes the bitmap as an uncompressed BMP file.
    static bool WriteBitmapFile(HBITMAP bitmap, const char* path);

    const CString& GetSectionText() const { return m_text; }
    std::string GetFolder() const { return m_folder; }

private:
    CSystemReport(const CSystemReport&) = delete;
    CSystemReport& operator=(const CSystemReport&) = delete;

    CString m_text;
    std::string m_folder;  // ends with a backslash
};

// Enables or disables SeDebugPrivilege in the process token; returns whether
// it was enabled before, so the caller can put it back as it was.
bool EnableDebugPrivilege(bool enable);
