#include "reg/mainscan.h"

#include "reg/bhodetector.h"
#include "reg/controlinidetector.h"
#include "reg/hostsfiledetector.h"
#include "reg/httppostclient.h"
#include "reg/ieextensiondetector.h"
#include "reg/iemenuextdetector.h"
#include "reg/ieplugindetector.h"
#include "reg/ierestrictionsdetector.h"
#include "reg/inidetector.h"
#include "reg/processdetector.h"
#include "reg/registrytoolsdetector.h"
#include "reg/reportfile.h"
#include "reg/reportservers.h"
#include "reg/runkeydetector.h"
#include "reg/scanlogdetector.h"
#include "reg/servicedetector.h"
#include "reg/ssodldetector.h"
#include "reg/startpagedetector.h"
#include "reg/startupfolderdetector.h"
#include "reg/tcpipdomaindetector.h"
#include "reg/toolbardetector.h"
#include "reg/trusteddomaindetector.h"

#include <utility>

namespace {

const char kReportPath[] = "/post_log/parse.php";
const DWORD kResponseReserve = 4096;

template <class T> void AddDetector(CMainScan::Detectors& detectors)
{
    detectors.push_back(std::unique_ptr<CDetector>(new T));
}

} // namespace

CMainScan::CMainScan() : CMainScan(CReportFile::Program(), GetSupportReportHost())
{
}

CMainScan::CMainScan(CReportFile* reportFile, const std::string& host)
    : m_file(reportFile), m_host(host), m_lastError(0), m_status(0)
{
}

CMainScan::Detectors CMainScan::CreateDetectors()
{
    Detectors d;
    AddDetector<CProcessDetector>(d);
    AddDetector<CToolbarDetector>(d);
    AddDetector<CRunKeyDetector>(d);
    AddDetector<CStartPageMachineDetector>(d);
    AddDetector<CStartPageUserDetector>(d);
    AddDetector<CIEMenuExtDetector>(d);
    AddDetector<CBhoDetector>(d);
    AddDetector<CControlIniDetector>(d);
    AddDetector<CIERestrictionsDetector>(d);
    AddDetector<CRegistryToolsDetector>(d);
    AddDetector<CServiceDetector>(d);
    AddDetector<CIEPluginDetector>(d);
    AddDetector<CSsodlDetector>(d);
    AddDetector<CIEExtensionDetector>(d);
    AddDetector<CTrustedDomainDetector>(d);
    AddDetector<CTcpipDomainDetector>(d);
    AddDetector<CHostsFileDetector>(d);
    AddDetector<CSystemIniDetector>(d);
    AddDetector<CWinIniDetector>(d);
    AddDetector<CStartupFolderDetector>(d);
    AddDetector<CScanLogDetector>(d);
    return d;
}

bool CMainScan::SendReport(std::string email, std::string subject, std::string description)
{
    Detectors detectors = CreateDetectors();
    return SendReport(detectors, std::move(email), std::move(subject), std::move(description));
}

bool CMainScan::SendReport(Detectors& detectors, std::string email, std::string subject, std::string description)
{
    // Each request reports only what its own detectors found.
    m_report.clear();
    m_lastError = 0;
    m_status = 0;
    if (m_file)
        m_file->Restart();
    for (const std::unique_ptr<CDetector>& detector : detectors)
        RunDetector(*detector);
    if (m_report.empty())
        return true;

    const std::string body = BuildBody(m_report + "\n", email, subject, description);
    CHttpPostClient client(m_host.c_str(), false);
    client.ReserveResponse(kResponseReserve);
    const bool sent = client.Post(kReportPath, body.data(), NULL, static_cast<DWORD>(body.size()));
    m_lastError = client.GetLastError();
    m_status = client.GetStatusCode();
    client.Close();
    return sent;
}

void CMainScan::RunDetector(CDetector& detector)
{
    detector.Detect();
    const std::string encoded = UrlEncode(detector.GetResult());
    if (encoded.empty())
        return;
    m_report += encoded;
    if (m_file)
        m_file->Write(encoded);
}

std::string CMainScan::UrlEncode(const std::string& text)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(text.size() * 3);
    for (unsigned char c : text)
    {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '=')
        {
            out += static_cast<char>(c);
        }
        else
        {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        }
    }
    return out;
}

std::string CMainScan::BuildBody(const std::string& report, const std::string& email, const std::string& subject,
                                 const std::string& description)
{
    return "log=<log>" + report + "</log>" + "&email=" + UrlEncode(email) + "&subj=" + UrlEncode(subject) +
           "&desc=" + UrlEncode(description);
}
