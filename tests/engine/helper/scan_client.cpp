// Command-line test client of the scanning engine:
//   cw_scan_client <database> [-key TEXT] [-ignore FILE] [-areas 0,1,3] [-folder DIR]...
//                  [-interval MS] [-quiet]
// Scans with the Scanner COM class and prints the events, the threats with
// their items, and the time and scanned-file count of the scan.

#include <stdio.h>
#include <stdlib.h>

#include "tests/engine/scan_client.h"

static std::wstring Wide(const char* text)
{
    return std::wstring(static_cast<LPWSTR>(CA2W(text)));
}

int main(int argc, char** argv)
{
    if (argc < 2)
    {
        fprintf(stderr, "usage: cw_scan_client <database> [-key TEXT] [-ignore FILE] [-areas 0,1,...] "
                        "[-folder DIR]... [-interval MS] [-quiet]\n");
        return 2;
    }
    ScanClientOptions options;
    options.database = Wide(argv[1]);
    options.areas = {0, 1, 2, 3, 5, 6};
    options.timeoutMs = 3600000;
    bool quiet = false;
    for (int i = 2; i < argc; ++i)
    {
        std::string a = argv[i];
        if (a == "-key" && i + 1 < argc)
            options.keyText = Wide(argv[++i]);
        else if (a == "-ignore" && i + 1 < argc)
            options.ignoreList = Wide(argv[++i]);
        else if (a == "-folder" && i + 1 < argc)
            options.folders.push_back(Wide(argv[++i]));
        else if (a == "-interval" && i + 1 < argc)
            options.scanningInterval = static_cast<DWORD>(strtoul(argv[++i], nullptr, 10));
        else if (a == "-quiet")
            quiet = true;
        else if (a == "-areas" && i + 1 < argc)
        {
            options.areas.clear();
            for (const char* p = argv[++i]; *p; ++p)
                if (*p >= '0' && *p <= '6')
                    options.areas.push_back(*p - '0');
        }
        else
        {
            fprintf(stderr, "unknown argument %s\n", argv[i]);
            return 2;
        }
    }

    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    int rc = 0;
    {
        ScanClient client;
        HRESULT hr = client.Open();
        if (FAILED(hr))
        {
            fprintf(stderr, "cannot create the scanner: 0x%08lx\n", static_cast<unsigned long>(hr));
            CoUninitialize();
            return 1;
        }
        LARGE_INTEGER f, t0, t1;
        QueryPerformanceFrequency(&f);
        QueryPerformanceCounter(&t0);
        hr = client.Run(options);
        QueryPerformanceCounter(&t1);
        if (hr != S_OK)
        {
            fprintf(stderr, "scan failed: 0x%08lx\n", static_cast<unsigned long>(hr));
            rc = 1;
        }
        size_t scanningEvents = 0;
        ULONG files = 0;
        for (const ScanClientEvent& e : client.Sink().events)
            if (e.kind == "scanning")
            {
                ++scanningEvents;
                if (e.area == saQuickDisk)
                    files = e.count;
            }
        if (!quiet)
            fputs(client.EventText().c_str(), stdout);
        fputs(client.ResultText().c_str(), stdout);
        const double seconds = static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(f.QuadPart);
        printf("seconds %.3f files %lu files/s %.0f scanning-events %lu\n", seconds,
               static_cast<unsigned long>(files), seconds > 0 ? files / seconds : 0.0,
               static_cast<unsigned long>(scanningEvents));
        client.Close();
    }
    CoUninitialize();
    return rc;
}
