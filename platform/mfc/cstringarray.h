#pragma once
// Growable array of CString with the interface the program's code expects
// from the MFC string array. Indexes are pointer-sized as in MFC.

#include "platform/mfc/cstring.h"

#include <vector>

class CStringArray
{
public:
    CStringArray() = default;
    CStringArray(const CStringArray&) = default;
    CStringArray& operator=(const CStringArray&) = default;

    INT_PTR GetSize() const { return static_cast<INT_PTR>(m_items.size()); }
    INT_PTR GetCount() const { return GetSize(); }
    INT_PTR GetUpperBound() const { return GetSize() - 1; }
    bool IsEmpty() const { return m_items.empty(); }

    // Resizes; new elements are empty. growBy is accepted for compatibility.
    void SetSize(INT_PTR newSize, INT_PTR growBy = -1);

    // An index outside the array reads as the empty text; SetAt ignores it,
    // and ElementAt hands out a scratch element that belongs to no index.
    const CString& GetAt(INT_PTR index) const;
    void SetAt(INT_PTR index, const char* text);
    void SetAt(INT_PTR index, const CString& text);
    CString& ElementAt(INT_PTR index);
    CString operator[](INT_PTR index) const { return GetAt(index); }
    CString& operator[](INT_PTR index) { return ElementAt(index); }

    INT_PTR Add(const char* text);
    INT_PTR Add(const CString& text);
    // Appends the other array's items; returns the index of the first one.
    INT_PTR Append(const CStringArray& other);
    void Copy(const CStringArray& other);

    void RemoveAll() { m_items.clear(); }
    // A range that does not lie wholly inside the array removes nothing.
    void RemoveAt(INT_PTR index, INT_PTR count = 1);
    // Inserting at or past the end grows the array with empty items first.
    void InsertAt(INT_PTR index, const char* text, INT_PTR count = 1);
    void InsertAt(INT_PTR index, const CString& text, INT_PTR count = 1);
    void InsertAt(INT_PTR startIndex, const CStringArray* other);

private:
    bool InRange(INT_PTR index) const { return index >= 0 && index < GetSize(); }

    std::vector<CString> m_items;
    CString m_scratch;
};
