#pragma once
// "report.html" in the product data folder: the URL-encoded records of the
// support report being sent. The program's one object opens the file at
// static initialisation and deletes it at exit, so no report outlives the run.

#include <cstdio>
#include <mutex>
#include <string>

class CReportFile
{
public:
    // The program's report file; CReportFile::Program() finds it.
    CReportFile();
    // Another file (tests); not the program's.
    explicit CReportFile(const std::string& path);
    virtual ~CReportFile();

    // Closes and deletes the file; later writes do nothing.
    void Close();
    bool IsOpen() const;
    // Appends the bytes and flushes them; nothing when closed.
    void Write(const std::string& text);
    // Empties the file for a new report, opening it when that failed before
    // (the data folder may have been made since). False when it stays closed.
    bool Restart();

    const std::string& GetPath() const { return m_path; }

    // The program's report file, or NULL when none exists.
    static CReportFile* Program();

private:
    CReportFile(const CReportFile&) = delete;
    CReportFile& operator=(const CReportFile&) = delete;

    mutable std::mutex m_lock;
    FILE* m_file;
    std::string m_path;
    bool m_closed;  // Close was called: the file is gone for good
};
