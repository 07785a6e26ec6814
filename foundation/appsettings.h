#pragma once
// General program settings in "app_settings.xml".

#include "foundation/singleton.h"
#include "foundation/xmlsettingsfile.h"

#include <string>

class CAppSettingsData
{
public:
    CAppSettingsData();

protected:
    bool m_bAutoScan;
    bool m_bDownloadNews;
    bool m_bAutoRunScan;
    bool m_bHideToTrayOnClose;
    std::string m_strLanguage;
};

class CAppSettings : public CXmlSettingsFile, public CAppSettingsData, public CSingleton<CAppSettings>
{
public:
    CAppSettings();
    ~CAppSettings() override;

    bool Save(std::string path) override;
    bool Load(std::string path) override;
    void CreateDefault() override;

    std::string GetLanguage() const { return m_strLanguage; }
    void SetLanguage(std::string language) { m_strLanguage = language; }
    bool GetAutoScan() const { return m_bAutoScan; }
    void SetAutoScan(bool value) { m_bAutoScan = value; }
    bool GetDownloadNews() const { return m_bDownloadNews; }
    void SetDownloadNews(bool value) { m_bDownloadNews = value; }
    bool GetAutoRunScan() const { return m_bAutoRunScan; }
    void SetAutoRunScan(bool value) { m_bAutoRunScan = value; }
    void SetHideToTrayOnClose(bool value) { m_bHideToTrayOnClose = value; }
};
