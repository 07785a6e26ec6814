#pragma once
// The built English language file as the process's localizer, for the
// lifetime of the object; or, with NoLanguage, a localizer that cannot be
// made, as before the program has read its settings.

#include "foundation/languagekey.h"
#include "foundation/localizer.h"
#include "foundation/syshelpers.h"

#include <string>

class EnglishTexts
{
public:
    struct NoLanguage
    {
    };

    EnglishTexts() : m_temp(static_cast<LPCSTR>(CreateTempFileName("cwt")))
    {
        CMapStringToString macros;
        SetMacros(macros);
        CLocalizer::Configure(LOCALIZER_KEY_TEXT, macros, m_temp.c_str(), GetModuleFolder() + "Lang");
        m_ready = CLocalizer::Instance()->SetLocale("English") != FALSE;
    }
    explicit EnglishTexts(NoLanguage) : m_temp(static_cast<LPCSTR>(CreateTempFileName("cwt")))
    {
        CLocalizer::DeleteInstance();
        CMapStringToString macros;
        SetMacros(macros);
        CLocalizer::Configure("", macros, m_temp.c_str(), "");
    }
    ~EnglishTexts()
    {
        CLocalizer::DeleteInstance();
        DeleteFileA((std::string(static_cast<LPCSTR>(GetTempFolder())) + m_temp).c_str());
    }

    // The English file was found and read.
    bool IsReady() const { return m_ready; }

private:
    static void SetMacros(CMapStringToString& macros)
    {
        macros.SetAt("{BR}", "\n");
        macros.SetAt("{APPNAME}", "Telmin Cleanwarden");
        macros.SetAt("{VER}", "2.1.153");
    }

    std::string m_temp;
    bool m_ready = false;

    EnglishTexts(const EnglishTexts&) = delete;
    EnglishTexts& operator=(const EnglishTexts&) = delete;
};
