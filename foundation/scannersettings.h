#pragma once
// Scan areas and disk paths in "scanner_settings.xml".

#include "foundation/singleton.h"
#include "foundation/xmlsettingsfile.h"

#include <string>

class CScannerSettingsData
{
public:
    CScannerSettingsData();

    virtual void SetCookiesScan(bool value) { m_bCookiesScan = value; }
    virtual void SetRegistryScan(bool value) { m_bRegistryScan = value; }
    virtual void SetProcessesScan(bool value) { m_bProcessesScan = value; }
    virtual void SetHostsFile(bool value) { m_bHostsFile = value; }
    virtual void SetIncludePaths(std::string paths) { m_strIncludePaths = paths; }
    virtual bool GetRegistryScan() { return m_bRegistryScan; }
    virtual bool GetProcessesScan() { return m_bProcessesScan; }
    virtual bool GetCookiesScan() { return m_bCookiesScan; }
    virtual bool GetHostsFile() { return m_bHostsFile; }
    virtual std::string GetIncludePaths() { return m_strIncludePaths; }

protected:
    // Never deleted through this part; the settings object goes through its
    // singleton base.
    ~CScannerSettingsData() {}

    bool m_bHostsFile;
    bool m_bCookiesScan;
    bool m_bProcessesScan;
    bool m_bRegistryScan;
    std::string m_strIncludePaths;
};

class CScannerSettings : public CXmlSettingsFile,
                         public CScannerSettingsData,
                         public CSingleton<CScannerSettings>
{
public:
    CScannerSettings();
    ~CScannerSettings() override;

    bool Save(std::string path) override;
    bool Load(std::string path) override;
    void CreateDefault() override;
};
