#pragma once
// Schedule of the program update in "scheduled_updatesoft.xml".

#include "foundation/scheduledupdatesettings.h"
#include "foundation/singleton.h"
#include "foundation/xmlsettingsfile.h"

#include <string>

class CScheduledUpdateSoftSettings : public CScheduledUpdateFile,
                                     public CSingleton<CScheduledUpdateSoftSettings>
{
public:
    CScheduledUpdateSoftSettings();
    ~CScheduledUpdateSoftSettings() override;
};
