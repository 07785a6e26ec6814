#pragma once
// Every user-interface text comes from the current language's file, which is
// enciphered; the localizer deciphers it, loads its sections and hands out
// texts with the configured macros replaced. One object per process.

#include <windows.h>

#include <string>

#include "foundation/languagestore.h"
#include "platform/mfc/cmapstringtostring.h"
#include "platform/mfc/cstring.h"
#include "platform/mfc/exception.h"

class CLocalizerException : public CException
{
public:
    explicit CLocalizerException(const std::string& message) : m_message(message) {}
    virtual ~CLocalizerException();

    std::string m_message;
};

class CLocalizer
{
public:
    static void Configure(const char* keyText, const CMapStringToString& macros,
                          const char* tempFileName, const char* languageFolder);
    static CLocalizer* Instance();
    static void DeleteInstance();

    CLocalizer();
    ~CLocalizer();

    CString GetString(const CString& section, const CString& key) const;
    BOOL SetLocale(const CString& language);
    CString GetLanguage() const { return m_language; }
    // Whether some language file has been read: without one every text is empty.
    bool HasTexts() const { return m_pStore && m_pStore->GetSectionCount() > 0; }
    CString GetLanguageFilePath(const CString& language) const;
    void OpenLanguageFile();

private:
    CLocalizer(const CLocalizer&);
    CLocalizer& operator=(const CLocalizer&);

    // Deciphers and loads one language into a new store; the current store
    // and language change only when that language yields texts.
    bool LoadLanguage(const CString& language);
    CString GetTempFilePath() const;

    CLanguageStore* m_pStore;
    CString m_language;
};
