#include "foundation/localizer.h"

#include <stdio.h>
#include <string.h>

#include "foundation/debuglog.h"
#include "foundation/decipher.h"
#include "foundation/syshelpers.h"
#include "platform/mfc/file.h"

namespace {

struct LocalizerConfig
{
    std::string keyText;
    std::string tempFileName;
    std::string languageFolder;
    CMapStringToString macros;
};

LocalizerConfig& Config()
{
    static LocalizerConfig config;
    return config;
}

CLocalizer* g_localizer = NULL;

// A profile file in the ANSI code page never holds a NUL byte; deciphering
// with a wrong key or from a damaged file almost always yields one.
bool LooksLikeText(const BYTE* text, int length)
{
    return length > 0 && memchr(text, 0, length) == NULL;
}

} // namespace

CLocalizerException::~CLocalizerException() {}

void CLocalizer::Configure(const char* keyText, const CMapStringToString& macros,
                           const char* tempFileName, const char* languageFolder)
{
    LocalizerConfig& config = Config();
    config.keyText = keyText ? keyText : "";
    config.tempFileName = tempFileName ? tempFileName : "";
    config.languageFolder = languageFolder ? languageFolder : "";
    config.macros.RemoveAll();
    config.macros.InitHashTable((UINT)macros.GetCount());
    CString key, value;
    for (POSITION pos = macros.GetStartPosition(); pos;)
    {
        macros.GetNextAssoc(pos, key, value);
        config.macros.SetAt(key, value);
    }
}

CLocalizer* CLocalizer::Instance()
{
    if (g_localizer == NULL)
        g_localizer = new CLocalizer;
    return g_localizer;
}

void CLocalizer::DeleteInstance()
{
    delete g_localizer;
    g_localizer = NULL;
}

CLocalizer::CLocalizer() : m_pStore(NULL), m_language("English")
{
    if (Config().keyText.empty())
        throw new CLocalizerException("Crypto key wasn't set before construction");
    m_pStore = new CLanguageStore;
    OpenLanguageFile();
}

CLocalizer::~CLocalizer()
{
    if (m_pStore)
    {
        m_pStore->ResetModified();
        m_pStore->SaveIfModified();
        delete m_pStore;
        m_pStore = NULL;
    }
    ForceDeleteFile(GetTempFilePath());
}

CString CLocalizer::GetTempFilePath() const
{
    return GetTempFolder() + Config().tempFileName.c_str();
}

CString CLocalizer::GetLanguageFilePath(const CString& language) const
{
    return CString(Config().languageFolder.c_str()) + "\\" + language + ".ini";
}

bool CLocalizer::LoadLanguage(const CString& language)
{
    const CString source = GetLanguageFilePath(language);
    const CString temp = GetTempFilePath();
    BYTE* plain = NULL;
    const int length = DecipherFileToBuffer((LPCSTR)source, Config().keyText, &plain);
    bool loaded = false;
    if (LooksLikeText(plain, length))
    {
        // The profile functions read files only; the plain text lives on
        // disk just long enough to be loaded.
        FILE* file = fopen(temp, "wb");
        if (file)
        {
            const bool written = fwrite(plain, 1, length, file) == (size_t)length;
            fclose(file);
            CLanguageStore* store = new CLanguageStore;
            if (written)
            {
                store->SetFilePath(temp);
                store->Load(temp);
            }
            if (store->GetSectionCount() > 0)
            {
                delete m_pStore;
                m_pStore = store;
                loaded = true;
            }
            else
                delete store;
        }
        ForceDeleteFile(temp);
    }
    if (plain)
    {
        SecureZeroMemory(plain, length > 0 ? length : 0);
        delete[] plain;
    }
    return loaded;
}

void CLocalizer::OpenLanguageFile()
{
    try
    {
        LoadLanguage(m_language);
    }
    catch (CException* e)
    {
        LogException(e, "CLocalizer::OpenLanguageFile");
        e->Delete();
    }
}

BOOL CLocalizer::SetLocale(const CString& language)
{
    try
    {
        CFileStatus status;
        if (!CFile::GetStatus(GetLanguageFilePath(language), status))
            return FALSE;
        m_pStore->ResetModified();
        m_pStore->SaveIfModified();
        if (!LoadLanguage(language))
            return FALSE;
        m_language = language;
        return TRUE;
    }
    catch (CException* e)
    {
        LogException(e, "CLocalizer::SetLocale");
        e->Delete();
        return FALSE;
    }
}

CString CLocalizer::GetString(const CString& section, const CString& key) const
{
    CString text;
    m_pStore->Lookup(text, section, key);
    if (text.IsEmpty())
        return text;
    const CMapStringToString& macros = Config().macros;
    CString name, value;
    for (POSITION pos = macros.GetStartPosition(); pos;)
    {
        macros.GetNextAssoc(pos, name, value);
        text.Replace(name, value);
    }
    return text;
}
