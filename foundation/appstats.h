#pragma once
// Statistics in "app_stats.xml", saved at shutdown.

#include "foundation/singleton.h"
#include "foundation/xmlsettingsfile.h"

#include <string>

class CAppStatsData
{
public:
    CAppStatsData();

protected:
    std::string m_strDBVersion;
    std::string m_strLastScan;
    int m_nSignatures;
    int m_nRemoved;
    int m_nScansNumber;
    int m_nIgnored;
    int m_nQuarantined;
};

class CAppStats : public CXmlSettingsFile, public CAppStatsData, public CSingleton<CAppStats>
{
public:
    CAppStats();
    ~CAppStats() override;

    bool Save(std::string path) override;
    bool Load(std::string path) override;
    void CreateDefault() override;

    std::string GetDBVersion() const { return m_strDBVersion; }
    void SetDBVersion(std::string version) { m_strDBVersion = version; }
    int GetSignatures() const { return m_nSignatures; }
    void SetSignatures(int count) { m_nSignatures = count; }
    void SetLastScan(std::string date) { m_strLastScan = date; }
    int GetScansNumber() const { return m_nScansNumber; }
    void SetScansNumber(int count) { m_nScansNumber = count; }
    int GetQuarantined() const { return m_nQuarantined; }
};
