#pragma once
// Text-to-text hash map with the framework's interface and iteration order:
// buckets in index order, the newest entry of a bucket first.

#include <windows.h>

#include "platform/mfc/cstring.h"

// Opaque position of GetStartPosition/GetNextAssoc; NULL ends the walk.
typedef struct __POSITION* POSITION;

class CMapStringToString
{
public:
    enum { DefaultHashSize = 17 };

    explicit CMapStringToString(INT_PTR blockSize = 10);
    ~CMapStringToString();

    INT_PTR GetCount() const { return m_nCount; }
    INT_PTR GetSize() const { return m_nCount; }
    bool IsEmpty() const { return m_nCount == 0; }
    UINT GetHashTableSize() const { return m_nHashTableSize; }

    // Only takes effect while the map is empty, as with the framework.
    void InitHashTable(UINT hashSize, BOOL allocNow = TRUE);

    BOOL Lookup(LPCSTR key, CString& value) const;
    void SetAt(LPCSTR key, LPCSTR value);
    CString& operator[](LPCSTR key);
    BOOL RemoveKey(LPCSTR key);
    void RemoveAll();

    POSITION GetStartPosition() const;
    void GetNextAssoc(POSITION& next, CString& key, CString& value) const;

    static UINT HashKey(LPCSTR key);

private:
    CMapStringToString(const CMapStringToString&);
    CMapStringToString& operator=(const CMapStringToString&);

    struct CAssoc
    {
        CAssoc* pNext;
        UINT nHashValue;
        CString key;
        CString value;
    };

    CAssoc* Find(LPCSTR key, UINT& bucket) const;
    bool EnsureTable();

    CAssoc** m_pHashTable;
    UINT m_nHashTableSize;
    INT_PTR m_nCount;
};
