#include "reg/reportservers.h"

#include <windows.h>

#include <mutex>
#include <vector>

namespace {

const char kDefaultReportHost[] = "www.telmin.com";
const char kDefaultCrashReportUrl[] = "http://www.telmin.com/support.php";

std::mutex g_lock;
bool g_hostSet = false;
std::string g_host;
bool g_urlSet = false;
std::string g_url;

std::string FromEnvironment(const char* name, const char* fallback)
{
    DWORD size = GetEnvironmentVariableA(name, NULL, 0);
    if (size == 0)
        return fallback;
    std::vector<char> value(size);
    DWORD n = GetEnvironmentVariableA(name, value.data(), size);
    if (n == 0 || n >= size)
        return fallback;
    return std::string(value.data(), n);
}

void SetOverride(bool& isSet, std::string& value, const char* text)
{
    std::lock_guard<std::mutex> lock(g_lock);
    isSet = text != NULL;
    value = text ? text : "";
}

} // namespace

std::string GetSupportReportHost()
{
    {
        std::lock_guard<std::mutex> lock(g_lock);
        if (g_hostSet)
            return g_host;
    }
    return FromEnvironment("CLEANWARDEN_REPORT_HOST", kDefaultReportHost);
}

void SetSupportReportHost(const char* hostOrNull)
{
    SetOverride(g_hostSet, g_host, hostOrNull);
}

std::string GetCrashReportUrl()
{
    {
        std::lock_guard<std::mutex> lock(g_lock);
        if (g_urlSet)
            return g_url;
    }
    return FromEnvironment("CLEANWARDEN_CRASH_REPORT_URL", kDefaultCrashReportUrl);
}

void SetCrashReportUrl(const char* urlOrNull)
{
    SetOverride(g_urlSet, g_url, urlOrNull);
}
