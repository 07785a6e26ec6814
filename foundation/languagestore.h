#pragma once
// The texts of one language file: sections in file order, each with its
// keys and values, looked up without regard to case.

#include <windows.h>

#include "platform/mfc/carray.h"
#include "platform/mfc/cstring.h"
#include "platform/mfc/cstringarray.h"

struct CLanguageSection
{
    CString name;
    CStringArray keys;
    CStringArray values;
};

class CLanguageStore
{
public:
    enum { BufferSize = 8192 };

    CLanguageStore();
    virtual ~CLanguageStore();

    void SetFilePath(const CString& path);
    const CString& GetFilePath() const { return m_filePath; }
    int Load(const CString& path);
    CString& Lookup(CString& value, const CString& section, const CString& key) const;
    int FindSection(const CString& name) const;
    int FindKey(int section, const CString& key) const;
    void ResetModified() { m_bModified = 0; }
    void SaveIfModified();

    INT_PTR GetSectionCount() const { return m_sections.GetSize(); }
    const CLanguageSection& GetSection(INT_PTR i) const { return m_sections[i]; }

private:
    CLanguageStore(const CLanguageStore&);
    CLanguageStore& operator=(const CLanguageStore&);

    LONG m_bModified;
    CString m_filePath;
    CArray<CLanguageSection> m_sections;
};
