// Command-line check of the diagnostics from outside the program:
//   cw_diag_tool detectors          the records of the 21 detectors, as sent
//   cw_diag_tool sysinfo [key...]   the system-information text (all keys by default)
//   cw_diag_tool sysreport [folder] writes report.doc and screen.kap (the data folder by default)

#include "reg/detector.h"
#include "reg/mainscan.h"
#include "reports/systeminfo.h"
#include "reports/systemreport.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

namespace {

int Usage()
{
    fprintf(stderr, "usage: cw_diag_tool detectors | sysinfo [key...] | sysreport [folder]\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    // Records and texts are printed byte for byte.
    _setmode(_fileno(stdout), _O_BINARY);
    const std::string command = argv[1];
    if (command == "detectors")
    {
        for (const auto& detector : CMainScan::CreateDetectors())
        {
            detector->Detect();
            fwrite(detector->GetResult().data(), 1, detector->GetResult().size(), stdout);
        }
        return 0;
    }
    if (command == "sysinfo")
    {
        if (argc == 2)
        {
            for (const char* key : CSystemInfo::kKeys)
                fputs(CSystemInfo::Collect(key), stdout);
        }
        for (int i = 2; i < argc; ++i)
            fputs(CSystemInfo::Collect(argv[i]), stdout);
        fputs("\n", stdout);
        return 0;
    }
    if (command == "sysreport")
    {
        std::unique_ptr<CSystemReport> report(argc > 2 ? new CSystemReport(argv[2]) : new CSystemReport());
        report->Write();
        printf("%sreport.doc\n%sscreen.kap\n", report->GetFolder().c_str(), report->GetFolder().c_str());
        return 0;
    }
    return Usage();
}
