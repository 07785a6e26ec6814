#pragma once
// Schedule of the program update in "scheduled_updatesoft.xml".

#include "foundation/scheduledupdatesettings.h"
#include "foundation/singleton.h"
#include "foundation/xmlsettingsfile.h"

#include <string>

class CScheduledUpdateSoftSettings : public CXmlSettingsFile,
                                     public CScheduledUpdateData,
                                     public CSingleton<CScheduledUpdateSoftSettings>
{
public:
    CScheduledUpdateSoftSettings();
    ~CScheduledUpdateSoftSettings() override;

    bool Save(std::string path) override;
    bool Load(std::string path) override;
    void CreateDefault() override;
};
