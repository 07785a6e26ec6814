#include "reg/reportservers.h"

#include <windows.h>

#include <mutex>
#include <vector>

namespace {

// One address: an override, else the environment variable, else the default.
struct Address
{
    const char* variable;
    const char* fallback;
    bool overridden;
    std::string value;
};

std::mutex g_lock;
Address g_reportHost = {"CLEANWARDEN_REPORT_HOST", "www.telmin.com", false, ""};
Address g_crashReportUrl = {"CLEANWARDEN_CRASH_REPORT_URL", "http://www.telmin.com/support.php", false, ""};

std::string Get(const Address& address)
{
    {
        std::lock_guard<std::mutex> lock(g_lock);
        if (address.overridden)
            return address.value;
    }
    DWORD size = GetEnvironmentVariableA(address.variable, NULL, 0);
    if (size == 0)
        return address.fallback;
    std::vector<char> value(size);
    DWORD n = GetEnvironmentVariableA(address.variable, value.data(), size);
    if (n == 0 || n >= size)
        return address.fallback;
    return std::string(value.data(), n);
}

void Set(Address& address, const char* text)
{
    std::lock_guard<std::mutex> lock(g_lock);
    address.overridden = text != NULL;
    address.value = text ? text : "";
}

} // namespace

std::string GetSupportReportHost()
{
    return Get(g_reportHost);
}

void SetSupportReportHost(const char* hostOrNull)
{
    Set(g_reportHost, hostOrNull);
}

std::string GetCrashReportUrl()
{
    return Get(g_crashReportUrl);
}

void SetCrashReportUrl(const char* urlOrNull)
{
    Set(g_crashReportUrl, urlOrNull);
}
