#include "foundation/scheduledupdatesoftsettings.h"

namespace {

const char kRoot[] = "ScheduledUpdateSoft";
const char kDefault[] =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<ScheduledUpdateSoft scheduleType=\"1\"\n"
    "\tdays=\"1111111\"\n"
    "\tdayOfMonth=\"1\"\n"
    "\tstartTime=\"12:00:00\"\n"
    "\tincludePaths=\"true\"\n"
    "\tautoRemove=\"0\"\n"
    "\tautoQua=\"0\"\n"
    "\tactive=\"false\"\n"
    "\tenable=\"false\"/>\n";

} // namespace

// "active" is carried, not read: this schedule has no master switch of its own.
CScheduledUpdateSoftSettings::CScheduledUpdateSoftSettings() : CScheduledUpdateFile(kRoot, kDefault, false)
{
}

CScheduledUpdateSoftSettings::~CScheduledUpdateSoftSettings()
{
}
