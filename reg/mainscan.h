#pragma once
// The support report: runs the 21 system detectors, keeps their records
// URL-encoded (in memory, and in "report.html" while the program runs) and
// posts them with the user's address, subject and description as one form
// to "/post_log/parse.php" of the report host.

#include <memory>
#include <string>
#include <vector>

#include <windows.h>

class CDetector;
class CReportFile;

class CMainScan
{
public:
    typedef std::vector<std::unique_ptr<CDetector>> Detectors;

    // The program's report file and the configured report host.
    CMainScan();
    // reportFile may be NULL; host is "name" or "name:port".
    CMainScan(CReportFile* reportFile, const std::string& host);

    // Runs the standard detectors and posts the report. True when the server
    // took the report (2xx) or when no detector found anything; blocking.
    bool SendReport(std::string email, std::string subject, std::string description);
    // The same with the given detectors, run in their order.
    bool SendReport(Detectors& detectors, std::string email, std::string subject, std::string description);

    // Runs one detector and appends its encoded result to the report.
    void RunDetector(CDetector& detector);

    // Letters, digits and "=" stay; every other byte becomes "%XX" (upper case).
    static std::string UrlEncode(const std::string& text);
    // "log=<log>" report "</log>&email=" ... "&subj=" ... "&desc=" ...
    static std::string BuildBody(const std::string& report, const std::string& email, const std::string& subject,
                                 const std::string& description);
    // The 21 detectors in the order the report runs them.
    static Detectors CreateDetectors();

    // The encoded records of the current report.
    const std::string& GetReport() const { return m_report; }
    // Of the last post: the kept error (0 for none) and the HTTP status.
    DWORD GetLastError() const { return m_lastError; }
    DWORD GetStatusCode() const { return m_status; }

private:
    CReportFile* m_file;
    std::string m_host;
    std::string m_report;
    DWORD m_lastError;
    DWORD m_status;
};
