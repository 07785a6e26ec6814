#include "platform/html/htmlselector.h"

#include "platform/html/htmlnode.h"

#include <cwctype>

namespace
{
bool IsNameChar(wchar_t c)
{
    return iswalnum(c) || c == L'-' || c == L'_' || c > 0x7F;
}
}  // namespace

bool CHtmlSelector::Parse(const std::wstring& text)
{
    m_groups.clear();
    m_hover = false;
    size_t i = 0, n = text.size();
    Chain chain;
    bool pendingChild = false;
    auto skipBlanks = [&] {
        while (i < n && iswspace(text[i]))
            ++i;
    };
    auto readName = [&] {
        size_t b = i;
        while (i < n && IsNameChar(text[i]))
            ++i;
        return text.substr(b, i - b);
    };
    skipBlanks();
    while (i <= n)
    {
        if (i == n || text[i] == L',')
        {
            if (chain.empty() || pendingChild)
            {
                m_groups.clear();
                return false;
            }
            m_groups.push_back(chain);
            chain.clear();
            if (i == n)
                break;
            ++i;
            skipBlanks();
            continue;
        }
        if (text[i] == L'>')
        {
            if (chain.empty() || pendingChild)
            {
                m_groups.clear();
                return false;
            }
            pendingChild = true;
            ++i;
            skipBlanks();
            continue;
        }
        Compound c;
        c.child = pendingChild;
        pendingChild = false;
        bool any = false;
        if (text[i] == L'*')
        {
            ++i;
            any = true;
        }
        else if (IsNameChar(text[i]))
        {
            std::wstring name = readName();
            c.tag = LowerAsciiName(name.data(), name.size());
            any = true;
        }
        while (i < n)
        {
            wchar_t ch = text[i];
            if (ch == L'#' || ch == L'.')
            {
                ++i;
                std::wstring name = readName();
                if (name.empty())
                {
                    m_groups.clear();
                    return false;
                }
                if (ch == L'#')
                    c.id = name;
                else
                    c.classes.push_back(name);
            }
            else if (ch == L'[')
            {
                ++i;
                skipBlanks();
                std::wstring name = readName();
                std::string attr = LowerAsciiName(name.data(), name.size());
                skipBlanks();
                std::wstring value;
                bool hasValue = false;
                if (i < n && text[i] == L'=')
                {
                    ++i;
                    skipBlanks();
                    hasValue = true;
                    if (i < n && (text[i] == L'"' || text[i] == L'\''))
                    {
                        wchar_t q = text[i++];
                        size_t b = i;
                        while (i < n && text[i] != q)
                            ++i;
                        value = text.substr(b, i - b);
                        if (i < n)
                            ++i;
                    }
                    else
                        value = readName();
                    skipBlanks();
                }
                if (attr.empty() || i >= n || text[i] != L']')
                {
                    m_groups.clear();
                    return false;
                }
                ++i;
                c.attributes.emplace_back(attr, value);
                c.attributeHasValue.push_back(hasValue);
            }
            else if (ch == L':')
            {
                ++i;
                std::wstring pseudo = readName();
                if (pseudo != L"hover")
                {
                    m_groups.clear();
                    return false;
                }
                c.hover = true;
                m_hover = true;
            }
            else
                break;
            any = true;
        }
        if (!any)
        {
            m_groups.clear();
            return false;
        }
        chain.push_back(c);
        skipBlanks();
    }
    return !m_groups.empty();
}

bool CHtmlSelector::MatchCompound(const Compound& c, const CHtmlNode* e)
{
    if (!e->IsElement())
        return false;
    if (!c.tag.empty() && c.tag != e->tag)
        return false;
    if (!c.id.empty())
    {
        const std::wstring* id = e->Attribute("id");
        if (!id || *id != c.id)
            return false;
    }
    for (const std::wstring& cls : c.classes)
        if (!e->HasClass(cls.c_str(), cls.size()))
            return false;
    for (size_t k = 0; k < c.attributes.size(); ++k)
    {
        const std::wstring* v = e->Attribute(c.attributes[k].first.c_str());
        if (!v || (c.attributeHasValue[k] && *v != c.attributes[k].second))
            return false;
    }
    if (c.hover && !e->hovered)
        return false;
    return true;
}

bool CHtmlSelector::MatchChain(const Chain& chain, size_t index, const CHtmlNode* e, int& budget)
{
    // index is the compound that must match e; walk to the left. The budget
    // bounds the backtracking a long chain could cost on a deep tree.
    if (--budget < 0 || !MatchCompound(chain[index], e))
        return false;
    if (index == 0)
        return true;
    bool child = chain[index].child;
    for (const CHtmlNode* a = e->parent; a; a = a->parent)
    {
        if (MatchChain(chain, index - 1, a, budget))
            return true;
        if (child)
            return false;
    }
    return false;
}

bool CHtmlSelector::Matches(const CHtmlNode* element) const
{
    for (const Chain& chain : m_groups)
    {
        int budget = 4096;
        if (MatchChain(chain, chain.size() - 1, element, budget))
            return true;
    }
    return false;
}

int CHtmlSelector::Specificity() const
{
    if (m_groups.empty())
        return 0;
    int ids = 0, classes = 0, types = 0;
    for (const Compound& c : m_groups[0])
    {
        ids += c.id.empty() ? 0 : 1;
        classes += static_cast<int>(c.classes.size() + c.attributes.size()) + (c.hover ? 1 : 0);
        types += c.tag.empty() ? 0 : 1;
    }
    return ids * 10000 + classes * 100 + types;
}

CHtmlSelector CHtmlSelector::Alternative(size_t index) const
{
    CHtmlSelector s;
    s.m_groups.push_back(m_groups[index]);
    for (const Compound& c : m_groups[index])
        s.m_hover |= c.hover;
    return s;
}
