#pragma once
// Where the support report and the crash report are sent. Each address has a
// built-in default that an environment variable of the same machine replaces
// ("CLEANWARDEN_REPORT_HOST", "CLEANWARDEN_CRASH_REPORT_URL"), and a
// process-wide override that tests set.

#include <string>

// "host" or "host:port"; the support report goes there by plain HTTP.
std::string GetSupportReportHost();
// NULL drops the override.
void SetSupportReportHost(const char* hostOrNull);

// The whole address of the crash-report page.
std::string GetCrashReportUrl();
// NULL drops the override.
void SetCrashReportUrl(const char* urlOrNull);
