#include "platform/mfc/cstringarray.h"

namespace {
const CString kEmpty;
}

void CStringArray::SetSize(INT_PTR newSize, INT_PTR /*growBy*/)
{
    m_items.resize(newSize > 0 ? static_cast<size_t>(newSize) : 0);
}

const CString& CStringArray::GetAt(INT_PTR index) const
{
    return InRange(index) ? m_items[static_cast<size_t>(index)] : kEmpty;
}

void CStringArray::SetAt(INT_PTR index, const char* text)
{
    if (InRange(index))
        m_items[static_cast<size_t>(index)] = text;
}

void CStringArray::SetAt(INT_PTR index, const CString& text)
{
    if (InRange(index))
        m_items[static_cast<size_t>(index)] = text;
}

CString& CStringArray::ElementAt(INT_PTR index)
{
    if (InRange(index))
        return m_items[static_cast<size_t>(index)];
    m_scratch.Empty();
    return m_scratch;
}

INT_PTR CStringArray::Add(const char* text)
{
    m_items.emplace_back(text);
    return GetUpperBound();
}

INT_PTR CStringArray::Add(const CString& text)
{
    m_items.push_back(text);
    return GetUpperBound();
}

INT_PTR CStringArray::Append(const CStringArray& other)
{
    const INT_PTR first = GetSize();
    const std::vector<CString> items(other.m_items);  // other may be this array
    m_items.insert(m_items.end(), items.begin(), items.end());
    return first;
}

void CStringArray::Copy(const CStringArray& other)
{
    if (&other != this)
        m_items = other.m_items;
}

void CStringArray::RemoveAt(INT_PTR index, INT_PTR count)
{
    if (index < 0 || count <= 0 || index >= GetSize() || count > GetSize() - index)
        return;
    auto first = m_items.begin() + index;
    m_items.erase(first, first + count);
}

void CStringArray::InsertAt(INT_PTR index, const CString& text, INT_PTR count)
{
    if (index < 0 || count <= 0)
        return;
    if (index > GetSize())
        SetSize(index);
    const CString copy(text);  // text may be one of our items
    m_items.insert(m_items.begin() + index, static_cast<size_t>(count), copy);
}

void CStringArray::InsertAt(INT_PTR index, const char* text, INT_PTR count)
{
    InsertAt(index, CString(text), count);
}

void CStringArray::InsertAt(INT_PTR startIndex, const CStringArray* other)
{
    if (!other || startIndex < 0 || other->IsEmpty())
        return;
    if (startIndex > GetSize())
        SetSize(startIndex);
    const std::vector<CString> items(other->m_items);
    m_items.insert(m_items.begin() + startIndex, items.begin(), items.end());
}
