#include "platform/mfc/cmapstringtostring.h"

#include <new>
#include <string.h>

CMapStringToString::CMapStringToString(INT_PTR)
    : m_pHashTable(NULL), m_nHashTableSize(DefaultHashSize), m_nCount(0)
{
}

CMapStringToString::~CMapStringToString()
{
    RemoveAll();
}

UINT CMapStringToString::HashKey(LPCSTR key)
{
    UINT hash = 0;
    while (key && *key)
        hash = (hash << 5) + hash + (UINT)(BYTE)*key++;
    return hash;
}

void CMapStringToString::InitHashTable(UINT hashSize, BOOL allocNow)
{
    if (m_nCount != 0 || hashSize == 0)
        return;
    delete[] m_pHashTable;
    m_pHashTable = NULL;
    m_nHashTableSize = hashSize;
    if (allocNow)
        EnsureTable();
}

bool CMapStringToString::EnsureTable()
{
    if (m_pHashTable == NULL)
    {
        m_pHashTable = new (std::nothrow) CAssoc*[m_nHashTableSize];
        if (m_pHashTable == NULL)
            return false;
        memset(m_pHashTable, 0, sizeof(CAssoc*) * m_nHashTableSize);
    }
    return true;
}

CMapStringToString::CAssoc* CMapStringToString::Find(LPCSTR key, UINT& bucket) const
{
    const UINT hash = HashKey(key);
    bucket = hash % m_nHashTableSize;
    if (m_pHashTable == NULL)
        return NULL;
    for (CAssoc* a = m_pHashTable[bucket]; a; a = a->pNext)
        if (a->nHashValue == hash && strcmp(a->key, key ? key : "") == 0)
            return a;
    return NULL;
}

BOOL CMapStringToString::Lookup(LPCSTR key, CString& value) const
{
    UINT bucket;
    const CAssoc* a = Find(key, bucket);
    if (a == NULL)
        return FALSE;
    value = a->value;
    return TRUE;
}

CString& CMapStringToString::operator[](LPCSTR key)
{
    UINT bucket;
    CAssoc* a = Find(key, bucket);
    if (a == NULL)
    {
        EnsureTable();
        a = new CAssoc;
        a->nHashValue = HashKey(key);
        a->key = key;
        a->pNext = m_pHashTable[bucket];
        m_pHashTable[bucket] = a;
        ++m_nCount;
    }
    return a->value;
}

void CMapStringToString::SetAt(LPCSTR key, LPCSTR value)
{
    (*this)[key] = value;
}

BOOL CMapStringToString::RemoveKey(LPCSTR key)
{
    UINT bucket;
    if (Find(key, bucket) == NULL)
        return FALSE;
    for (CAssoc** link = &m_pHashTable[bucket]; *link; link = &(*link)->pNext)
    {
        if (strcmp((*link)->key, key ? key : "") == 0)
        {
            CAssoc* gone = *link;
            *link = gone->pNext;
            delete gone;
            --m_nCount;
            return TRUE;
        }
    }
    return FALSE;
}

void CMapStringToString::RemoveAll()
{
    if (m_pHashTable)
    {
        for (UINT i = 0; i < m_nHashTableSize; ++i)
        {
            for (CAssoc* a = m_pHashTable[i]; a;)
            {
                CAssoc* next = a->pNext;
                delete a;
                a = next;
            }
        }
        delete[] m_pHashTable;
        m_pHashTable = NULL;
    }
    m_nCount = 0;
}

POSITION CMapStringToString::GetStartPosition() const
{
    if (m_nCount == 0 || m_pHashTable == NULL)
        return NULL;
    for (UINT i = 0; i < m_nHashTableSize; ++i)
        if (m_pHashTable[i])
            return (POSITION)m_pHashTable[i];
    return NULL;
}

void CMapStringToString::GetNextAssoc(POSITION& next, CString& key, CString& value) const
{
    const CAssoc* a = (const CAssoc*)next;
    if (a == NULL)
        return;
    key = a->key;
    value = a->value;
    const CAssoc* following = a->pNext;
    if (following == NULL)
    {
        for (UINT i = a->nHashValue % m_nHashTableSize + 1; i < m_nHashTableSize; ++i)
        {
            if (m_pHashTable[i])
            {
                following = m_pHashTable[i];
                break;
            }
        }
    }
    next = (POSITION)following;
}
