#pragma once
// Growable array with the framework's interface; elements are constructed
// and destroyed properly, so it holds class types such as CString.

#include <windows.h>

#include <vector>

template <class TYPE, class ARG_TYPE = const TYPE&>
class CArray
{
public:
    INT_PTR GetSize() const { return (INT_PTR)m_items.size(); }
    INT_PTR GetCount() const { return (INT_PTR)m_items.size(); }
    INT_PTR GetUpperBound() const { return (INT_PTR)m_items.size() - 1; }
    bool IsEmpty() const { return m_items.empty(); }

    // newSize < 0 is treated as 0.
    void SetSize(INT_PTR newSize) { m_items.resize(newSize < 0 ? 0 : (size_t)newSize); }
    void RemoveAll() { m_items.clear(); }

    INT_PTR Add(ARG_TYPE item)
    {
        m_items.push_back(item);
        return (INT_PTR)m_items.size() - 1;
    }

    // Indexes must lie in 0 .. GetUpperBound(), as with the framework.
    const TYPE& GetAt(INT_PTR i) const { return m_items[(size_t)i]; }
    TYPE& ElementAt(INT_PTR i) { return m_items[(size_t)i]; }
    void SetAt(INT_PTR i, ARG_TYPE item) { m_items[(size_t)i] = item; }
    TYPE& operator[](INT_PTR i) { return m_items[(size_t)i]; }
    const TYPE& operator[](INT_PTR i) const { return m_items[(size_t)i]; }

    void RemoveAt(INT_PTR i, INT_PTR count = 1)
    {
        if (i < 0 || count <= 0 || i >= GetSize())
            return;
        if (count > GetSize() - i)
            count = GetSize() - i;
        m_items.erase(m_items.begin() + i, m_items.begin() + i + count);
    }

    void InsertAt(INT_PTR i, ARG_TYPE item, INT_PTR count = 1)
    {
        if (i < 0 || count <= 0)
            return;
        if (i > GetSize())
            SetSize(i);
        m_items.insert(m_items.begin() + i, (size_t)count, item);
    }

private:
    std::vector<TYPE> m_items;
};
