#pragma once
// "report.html" in the product data folder: the URL-encoded records of the
// support report being sent. The file is made when a report is (Restart)
// and deleted at exit, so no report outlives the run; a run that makes no
// report (a registration run, say) leaves the data folder alone.

#include <cstdio>
#include <mutex>
#include <string>

class CReportFile
{
public:
    // The program's report file; CReportFile::Program() finds it. Neither
    // constructor touches the file.
    CReportFile();
    // Another file (tests); not the program's.
    explicit CReportFile(const std::string& path);
    virtual ~CReportFile();

    // Closes and deletes the file; later writes do nothing.
    void Close();
    bool IsOpen() const;
    // Appends the bytes and flushes them; nothing until Restart opened it.
    void Write(const std::string& text);
    // Makes the file empty for a new report, opening it (again: the data
    // folder may have been made since a failed try). False when it stays
    // closed.
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
