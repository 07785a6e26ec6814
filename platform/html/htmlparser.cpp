#include "platform/html/htmlparser.h"

#include "platform/html/htmlnode.h"

#include <algorithm>
#include <cstring>
#include <cwctype>
#include <vector>

namespace
{
struct Entity
{
    const char* name;
    unsigned code;
};

// The common names and the Latin-1 range.
const Entity kEntities[] = {
    {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", 160},
    {"iexcl", 161}, {"cent", 162}, {"pound", 163}, {"curren", 164}, {"yen", 165}, {"brvbar", 166},
    {"sect", 167}, {"uml", 168}, {"copy", 169}, {"ordf", 170}, {"laquo", 171}, {"not", 172},
    {"shy", 173}, {"reg", 174}, {"macr", 175}, {"deg", 176}, {"plusmn", 177}, {"sup2", 178},
    {"sup3", 179}, {"acute", 180}, {"micro", 181}, {"para", 182}, {"middot", 183}, {"cedil", 184},
    {"sup1", 185}, {"ordm", 186}, {"raquo", 187}, {"frac14", 188}, {"frac12", 189}, {"frac34", 190},
    {"iquest", 191}, {"Agrave", 192}, {"Aacute", 193}, {"Acirc", 194}, {"Atilde", 195}, {"Auml", 196},
    {"Aring", 197}, {"AElig", 198}, {"Ccedil", 199}, {"Egrave", 200}, {"Eacute", 201}, {"Ecirc", 202},
    {"Euml", 203}, {"Igrave", 204}, {"Iacute", 205}, {"Icirc", 206}, {"Iuml", 207}, {"ETH", 208},
    {"Ntilde", 209}, {"Ograve", 210}, {"Oacute", 211}, {"Ocirc", 212}, {"Otilde", 213}, {"Ouml", 214},
    {"times", 215}, {"Oslash", 216}, {"Ugrave", 217}, {"Uacute", 218}, {"Ucirc", 219}, {"Uuml", 220},
    {"Yacute", 221}, {"THORN", 222}, {"szlig", 223}, {"agrave", 224}, {"aacute", 225}, {"acirc", 226},
    {"atilde", 227}, {"auml", 228}, {"aring", 229}, {"aelig", 230}, {"ccedil", 231}, {"egrave", 232},
    {"eacute", 233}, {"ecirc", 234}, {"euml", 235}, {"igrave", 236}, {"iacute", 237}, {"icirc", 238},
    {"iuml", 239}, {"eth", 240}, {"ntilde", 241}, {"ograve", 242}, {"oacute", 243}, {"ocirc", 244},
    {"otilde", 245}, {"ouml", 246}, {"divide", 247}, {"oslash", 248}, {"ugrave", 249}, {"uacute", 250},
    {"ucirc", 251}, {"uuml", 252}, {"yacute", 253}, {"thorn", 254}, {"yuml", 255},
    {"euro", 0x20AC}, {"hellip", 0x2026}, {"mdash", 0x2014}, {"ndash", 0x2013}, {"bull", 0x2022},
    {"trade", 0x2122}, {"lsquo", 0x2018}, {"rsquo", 0x2019}, {"ldquo", 0x201C}, {"rdquo", 0x201D},
    {"larr", 0x2190}, {"rarr", 0x2192}, {"uarr", 0x2191}, {"darr", 0x2193}, {"ensp", 0x2002},
    {"emsp", 0x2003}, {"thinsp", 0x2009},
};

// Names that a page may write without the closing semicolon.
bool LegacyEntity(const char* name)
{
    static const char* names[] = {"amp", "lt", "gt", "quot", "nbsp", "copy", "reg"};
    for (const char* n : names)
        if (strcmp(n, name) == 0)
            return true;
    return false;
}

void AppendCodePoint(std::wstring& out, unsigned cp)
{
    if (cp == 0 || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        cp = 0xFFFD;
    if (cp >= 0x10000)
    {
        cp -= 0x10000;
        out += static_cast<wchar_t>(0xD800 + (cp >> 10));
        out += static_cast<wchar_t>(0xDC00 + (cp & 0x3FF));
    }
    else
        out += static_cast<wchar_t>(cp);
}

// Reads one reference starting after '&'; returns the characters used, 0 when
// the text is no reference (the ampersand then stands for itself).
size_t ReadReference(const wchar_t* s, size_t n, std::wstring& out)
{
    if (n > 0 && s[0] == L'#')
    {
        size_t i = 1;
        bool hex = i < n && (s[i] == L'x' || s[i] == L'X');
        if (hex)
            ++i;
        unsigned long cp = 0;
        size_t digits = 0;
        for (; i < n; ++i, ++digits)
        {
            int d = iswdigit(s[i]) ? s[i] - L'0'
                    : (hex && iswxdigit(s[i])) ? (towlower(s[i]) - L'a' + 10)
                                                : -1;
            if (d < 0)
                break;
            if (cp <= 0x10FFFF)
                cp = cp * (hex ? 16 : 10) + d;
        }
        if (digits == 0)
            return 0;
        if (i < n && s[i] == L';')
            ++i;
        AppendCodePoint(out, cp > 0x10FFFF ? 0xFFFD : static_cast<unsigned>(cp));
        return i;
    }
    char name[12];
    size_t len = 0;
    while (len < n && len < sizeof(name) - 1 && iswalnum(s[len]) && s[len] < 128)
    {
        name[len] = static_cast<char>(s[len]);
        ++len;
    }
    name[len] = 0;
    bool semicolon = len < n && s[len] == L';';
    for (const Entity& e : kEntities)
        if (strcmp(e.name, name) == 0 && (semicolon || LegacyEntity(name)))
        {
            AppendCodePoint(out, e.code);
            return len + (semicolon ? 1 : 0);
        }
    // An old name may run into the text that follows it ("&ampb").
    if (!semicolon)
        for (const Entity& e : kEntities)
        {
            size_t n = strlen(e.name);
            if (n < len && LegacyEntity(e.name) && strncmp(e.name, name, n) == 0)
            {
                AppendCodePoint(out, e.code);
                return n;
            }
        }
    return 0;
}

bool IsSpace(wchar_t c)
{
    return c == L' ' || c == L'\t' || c == L'\n' || c == L'\r' || c == L'\f';
}

using Tag = HtmlTag;

bool In(Tag tag, std::initializer_list<Tag> tags)
{
    for (Tag t : tags)
        if (tag == t)
            return true;
    return false;
}

// Builds the tree from tokens.
class TreeBuilder
{
public:
    TreeBuilder(CHtmlNode* parent, size_t index, bool document) : m_document(document), m_index(index)
    {
        m_stack.push_back(parent);
        m_baseDepth = 0;
        for (CHtmlNode* p = parent; p; p = p->parent)
            ++m_baseDepth;
        if (document)
            m_root = parent;
    }

    size_t Added() const { return m_added; }

    void Text(const wchar_t* s, size_t n)
    {
        if (n == 0)
            return;
        if (m_document && !m_body)
        {
            bool blank = true;
            for (size_t i = 0; i < n && blank; ++i)
                blank = IsSpace(s[i]);
            if (blank)
                return;  // blanks before the body are not content
            EnsureBody();
        }
        CHtmlNode* cur = Current();
        CHtmlNode* last = LastChild(cur);
        if (cur == m_stack[0] && !m_document)
            last = m_added > 0 ? cur->children[m_index - 1] : nullptr;  // fragments insert mid-way
        if (last && last->kind == CHtmlNode::Text)
        {
            last->text.append(s, n);
            return;
        }
        CHtmlNode* t = new CHtmlNode(CHtmlNode::Text, std::string());
        t->text.assign(s, n);
        Insert(cur, t);
    }

    void StartTag(std::string& tag, Tag id, std::vector<std::pair<std::string, std::wstring>>& attrs, bool selfClosing)
    {
        uint32_t flags = HtmlTagFlags(id);
        if (id == Tag::Html || id == Tag::Head || id == Tag::Body)
        {
            if (!m_document)
                return;
            if (id == Tag::Html)
                MergeAttributes(m_root, attrs);
            else if (id == Tag::Head)
                EnsureHead();
            else
                MergeAttributes(EnsureBody(), attrs);
            return;
        }
        if (m_document && !m_body && (flags & kTagHeadOnly))
        {
            CHtmlNode* e = MakeElement(tag, id, attrs);
            Insert(EnsureHead(), e);
            if (!(flags & kTagVoid) && !selfClosing)
                m_headOpen = e;
            return;
        }
        if (m_document)
            EnsureBody();
        ImplyEndTags(id, flags);
        if ((id == Tag::Td || id == Tag::Th) && !InTableContext(Tag::Tr))
        {
            std::vector<std::pair<std::string, std::wstring>> none;
            std::string tr = "tr";
            Push(MakeElement(tr, Tag::Tr, none));
        }
        if (id == Tag::Tr && !In(Current()->id, {Tag::Table, Tag::Tbody, Tag::Thead, Tag::Tfoot}) && Open(Tag::Table))
            CloseUpTo({Tag::Table, Tag::Tbody, Tag::Thead, Tag::Tfoot});
        CHtmlNode* e = MakeElement(tag, id, attrs);
        if ((flags & kTagVoid) || selfClosing)
            Insert(Current(), e);
        else
            Push(e);
    }

    void EndTag(const std::string& tag, Tag id)
    {
        if (m_headOpen && tag == m_headOpen->tag)
        {
            m_headOpen = nullptr;
            return;
        }
        if (id == Tag::Html || id == Tag::Head || id == Tag::Body)
            return;
        if (id == Tag::Br)
        {
            std::vector<std::pair<std::string, std::wstring>> none;
            std::string br = "br";
            StartTag(br, Tag::Br, none, true);
            return;
        }
        // The nearest open element of that name, not past a table boundary
        // unless the tag itself is one.
        bool tableTag = (HtmlTagFlags(id) & kTagTablePart) != 0;
        for (size_t i = m_stack.size(); i-- > 1;)
        {
            const CHtmlNode* open = m_stack[i];
            if (open->id == id && (id != Tag::Other || open->tag == tag))
            {
                m_stack.resize(i);
                return;
            }
            if (!tableTag && (HtmlTagFlags(open->id) & kTagTableScope))
                return;
            if ((id == Tag::Td || id == Tag::Th || id == Tag::Tr) && open->id == Tag::Table)
                return;
        }
    }

    void RawText(const wchar_t* s, size_t n)
    {
        // Content of script, style, title and textarea: as written.
        CHtmlNode* cur = m_headOpen ? m_headOpen : Current();
        CHtmlNode* t = new CHtmlNode(CHtmlNode::Text, std::string());
        t->text.assign(s, n);
        Insert(cur, t);
    }

    void Finish()
    {
        if (m_document)
            EnsureBody();
    }

private:
    CHtmlNode* Current() const { return m_headOpen ? m_headOpen : m_stack.back(); }

    static CHtmlNode* LastChild(CHtmlNode* e) { return e->children.empty() ? nullptr : e->children.back(); }

    // The attributes are moved into a list of their own size: a long page
    // holds hundreds of thousands of elements.
    static CHtmlNode* MakeElement(std::string& tag, Tag id, std::vector<std::pair<std::string, std::wstring>>& attrs)
    {
        CHtmlNode* e = new CHtmlNode(std::move(tag), id);
        e->attributes.reserve(attrs.size());
        for (auto& a : attrs)
            e->attributes.push_back(std::move(a));
        attrs.clear();
        if (id == Tag::Input)
            e->checked = e->Attribute("checked") != nullptr;
        return e;
    }

    void Insert(CHtmlNode* parent, CHtmlNode* child)
    {
        if (parent == m_stack[0] && !m_document)
        {
            parent->InsertChild(m_index, child);
            ++m_index;
            ++m_added;
        }
        else
            parent->AppendChild(child);
    }

    void Push(CHtmlNode* e)
    {
        Insert(Current(), e);
        if (m_baseDepth + m_stack.size() < static_cast<size_t>(kMaxHtmlDepth))
            m_stack.push_back(e);
        // Past the depth limit the element stays empty and its content
        // lands beside it.
    }

    bool Open(Tag tag) const
    {
        for (size_t i = m_stack.size(); i-- > 1;)
            if (m_stack[i]->id == tag)
                return true;
        return false;
    }

    // Whether the innermost table-level element open is tag (tr for a cell).
    bool InTableContext(Tag tag) const
    {
        for (size_t i = m_stack.size(); i-- > 1;)
        {
            Tag t = m_stack[i]->id;
            if (t == tag)
                return true;
            if (In(t, {Tag::Table, Tag::Tbody, Tag::Thead, Tag::Tfoot}))
                return false;
        }
        // Outside any table a cell stands alone.
        return true;
    }

    void CloseUpTo(std::initializer_list<Tag> stops)
    {
        while (m_stack.size() > 1 && !In(m_stack.back()->id, stops))
            m_stack.pop_back();
    }

    // Closes the nearest open element of the names, unless a boundary comes first.
    void CloseIfOpen(std::initializer_list<Tag> names, std::initializer_list<Tag> boundaries)
    {
        for (size_t i = m_stack.size(); i-- > 1;)
        {
            Tag t = m_stack[i]->id;
            if (In(t, boundaries))
                return;
            if (In(t, names))
            {
                m_stack.resize(i);
                return;
            }
        }
    }

    // Closes what a new element of this kind implicitly ends.
    void ImplyEndTags(Tag tag, uint32_t flags)
    {
        if (flags & kTagClosesP)
            CloseIfOpen({Tag::P}, {Tag::Td, Tag::Th, Tag::Table, Tag::Div, Tag::Li, Tag::Button});
        switch (tag)
        {
        case Tag::Li: CloseIfOpen({Tag::Li}, {Tag::Ul, Tag::Ol, Tag::Td, Tag::Th, Tag::Table}); break;
        case Tag::Dt:
        case Tag::Dd: CloseIfOpen({Tag::Dt, Tag::Dd}, {Tag::Dl, Tag::Td, Tag::Th, Tag::Table}); break;
        case Tag::Option: CloseIfOpen({Tag::Option}, {Tag::Select}); break;
        case Tag::A: CloseIfOpen({Tag::A}, {Tag::Td, Tag::Th, Tag::Table}); break;
        case Tag::Td:
        case Tag::Th: CloseIfOpen({Tag::Td, Tag::Th}, {Tag::Tr, Tag::Table}); break;
        case Tag::Tr: CloseIfOpen({Tag::Tr}, {Tag::Table, Tag::Tbody, Tag::Thead, Tag::Tfoot}); break;
        case Tag::Tbody:
        case Tag::Thead:
        case Tag::Tfoot: CloseIfOpen({Tag::Tbody, Tag::Thead, Tag::Tfoot}, {Tag::Table}); break;
        default:
            if (flags & kTagHeading)
                CloseIfOpen({Tag::H1, Tag::H2, Tag::H3, Tag::H4, Tag::H5, Tag::H6}, {Tag::Td, Tag::Th, Tag::Table, Tag::Div});
        }
    }

    CHtmlNode* EnsureHead()
    {
        if (!m_head)
        {
            m_head = new CHtmlNode("head", Tag::Head);
            m_root->InsertChild(0, m_head);
        }
        return m_head;
    }

    CHtmlNode* EnsureBody()
    {
        if (!m_body)
        {
            m_body = new CHtmlNode("body", Tag::Body);
            m_root->AppendChild(m_body);
            m_stack.push_back(m_body);
            m_headOpen = nullptr;
        }
        return m_body;
    }

    static void MergeAttributes(CHtmlNode* e, const std::vector<std::pair<std::string, std::wstring>>& attrs)
    {
        for (const auto& a : attrs)
            if (!e->Attribute(a.first.c_str()))
                e->attributes.push_back(a);
    }

    bool m_document;
    size_t m_index;
    size_t m_added = 0;
    size_t m_baseDepth;
    std::vector<CHtmlNode*> m_stack;
    CHtmlNode* m_root = nullptr;
    CHtmlNode* m_head = nullptr;
    CHtmlNode* m_body = nullptr;
    CHtmlNode* m_headOpen = nullptr;  // title, style or script in the head
};

bool IsNameStart(wchar_t c)
{
    return (c >= L'a' && c <= L'z') || (c >= L'A' && c <= L'Z');
}

void Tokenize(const wchar_t* s, size_t n, TreeBuilder& builder)
{
    size_t i = 0;
    auto flushText = [&](size_t from, size_t to) {
        if (to > from)
        {
            // Decode references only where there are any.
            if (std::find(s + from, s + to, L'&') == s + to)
                builder.Text(s + from, to - from);
            else
            {
                std::wstring t = DecodeCharacterReferences(s + from, to - from);
                builder.Text(t.data(), t.size());
            }
        }
    };
    size_t textStart = 0;
    std::vector<std::pair<std::string, std::wstring>> attrs;  // of the tag being read
    while (i < n)
    {
        if (s[i] != L'<')
        {
            ++i;
            continue;
        }
        size_t lt = i;
        if (i + 1 >= n)
            break;
        wchar_t c = s[i + 1];
        if (c == L'!')
        {
            flushText(textStart, lt);
            if (i + 3 < n && s[i + 2] == L'-' && s[i + 3] == L'-')
            {
                const wchar_t* end = nullptr;
                for (size_t k = i + 4; k + 2 < n && !end; ++k)
                    if (s[k] == L'-' && s[k + 1] == L'-' && s[k + 2] == L'>')
                        end = s + k + 3;
                i = end ? static_cast<size_t>(end - s) : n;
            }
            else
            {
                while (i < n && s[i] != L'>')
                    ++i;
                i = std::min(n, i + 1);
            }
            textStart = i;
            continue;
        }
        if (c == L'?')
        {
            flushText(textStart, lt);
            while (i < n && s[i] != L'>')
                ++i;
            i = std::min(n, i + 1);
            textStart = i;
            continue;
        }
        bool end = c == L'/';
        size_t p = i + (end ? 2 : 1);
        if (p >= n || !IsNameStart(s[p]))
        {
            if (end && p < n && s[p] == L'>')
            {
                flushText(textStart, lt);
                i = p + 1;  // "</>" is dropped
                textStart = i;
                continue;
            }
            ++i;  // a lone '<' is text
            continue;
        }
        flushText(textStart, lt);
        size_t nameStart = p;
        while (p < n && !IsSpace(s[p]) && s[p] != L'>' && s[p] != L'/')
            ++p;
        std::string tag = LowerAsciiName(s + nameStart, p - nameStart);
        HtmlTag id = LookupHtmlTag(tag);
        uint32_t flags = HtmlTagFlags(id);
        attrs.clear();
        bool selfClosing = false;
        // Attributes.
        while (p < n)
        {
            while (p < n && IsSpace(s[p]))
                ++p;
            if (p >= n)
                break;
            if (s[p] == L'>')
            {
                ++p;
                break;
            }
            if (s[p] == L'/')
            {
                ++p;
                if (p < n && s[p] == L'>')
                {
                    selfClosing = true;
                    ++p;
                    break;
                }
                continue;
            }
            size_t an = p;
            while (p < n && !IsSpace(s[p]) && s[p] != L'>' && s[p] != L'=' && !(s[p] == L'/' && p + 1 < n && s[p + 1] == L'>'))
                ++p;
            if (p == an)
            {
                ++p;  // a stray '=' without a name
                continue;
            }
            std::string name = LowerAsciiName(s + an, p - an);
            while (p < n && IsSpace(s[p]))
                ++p;
            std::wstring value;
            if (p < n && s[p] == L'=')
            {
                ++p;
                while (p < n && IsSpace(s[p]))
                    ++p;
                size_t vb, ve;
                if (p < n && (s[p] == L'"' || s[p] == L'\''))
                {
                    wchar_t q = s[p++];
                    vb = p;
                    while (p < n && s[p] != q)
                        ++p;
                    ve = p;
                    if (p < n)
                        ++p;
                }
                else
                {
                    vb = p;
                    while (p < n && !IsSpace(s[p]) && s[p] != L'>')
                        ++p;
                    ve = p;
                }
                if (std::find(s + vb, s + ve, L'&') == s + ve)
                    value.assign(s + vb, ve - vb);
                else
                    value = DecodeCharacterReferences(s + vb, ve - vb);
            }
            bool dup = false;
            for (const auto& a : attrs)
                dup |= a.first == name;
            if (!dup && attrs.size() < 256)
                attrs.emplace_back(std::move(name), std::move(value));
        }
        i = p;
        if (end)
            builder.EndTag(tag, id);
        else
        {
            std::string name = tag;  // the builder takes the element's copy
            builder.StartTag(name, id, attrs, selfClosing && !(flags & kTagVoid));
            if ((flags & kTagRawText) && !selfClosing)
            {
                // Everything up to the matching end tag is text.
                size_t k = i;
                size_t len = tag.size();
                for (; k < n; ++k)
                    if (s[k] == L'<' && k + 1 + len < n && s[k + 1] == L'/' &&
                        LowerAsciiName(s + k + 2, std::min(len, n - k - 2)) == tag)
                        break;
                if (k > i)
                {
                    if (id == HtmlTag::Textarea || id == HtmlTag::Title)
                    {
                        std::wstring t = DecodeCharacterReferences(s + i, k - i);
                        builder.RawText(t.data(), t.size());
                    }
                    else
                        builder.RawText(s + i, k - i);
                }
                builder.EndTag(tag, id);
                i = k;
                while (i < n && s[i] != L'>')
                    ++i;
                i = std::min(n, i + 1);
            }
        }
        textStart = i;
    }
    flushText(textStart, n);
    builder.Finish();
}

void EscapeText(const std::wstring& t, std::wstring& out, bool attribute)
{
    for (wchar_t c : t)
    {
        switch (c)
        {
        case L'&': out += L"&amp;"; break;
        case L'<': out += L"&lt;"; break;
        case L'>': out += L"&gt;"; break;
        case 160: out += L"&nbsp;"; break;
        case L'"':
            if (attribute)
            {
                out += L"&quot;";
                break;
            }
            // fall through
        default: out += c;
        }
    }
}

void SerializeNode(const CHtmlNode* n, std::wstring& out, int depth)
{
    if (n->kind == CHtmlNode::Text)
    {
        if (n->parent && (n->parent->id == HtmlTag::Script || n->parent->id == HtmlTag::Style))
            out += n->text;
        else
            EscapeText(n->text, out, false);
        return;
    }
    out += L'<';
    out.append(n->tag.begin(), n->tag.end());
    for (const auto& a : n->attributes)
    {
        out += L' ';
        out.append(a.first.begin(), a.first.end());
        out += L"=\"";
        EscapeText(a.second, out, true);
        out += L'"';
    }
    out += L'>';
    if (n->TagFlags() & kTagVoid)
        return;
    if (depth < kMaxHtmlDepth * 2)
        for (const CHtmlNode* c : n->children)
            SerializeNode(c, out, depth + 1);
    out += L"</";
    out.append(n->tag.begin(), n->tag.end());
    out += L'>';
}

bool ValidUtf8(const BYTE* s, size_t n)
{
    size_t i = 0;
    while (i < n)
    {
        BYTE c = s[i];
        if (c < 0x80)
        {
            ++i;
            continue;
        }
        size_t len = (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (len == 0 || i + len > n)
            return false;
        for (size_t k = 1; k < len; ++k)
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return true;
}

UINT CodePageOfCharset(const std::string& cs)
{
    if (cs == "utf-8" || cs == "utf8")
        return CP_UTF8;
    if (cs.compare(0, 8, "windows-") == 0)
        return static_cast<UINT>(atoi(cs.c_str() + 8));
    if (cs == "iso-8859-1" || cs == "latin1" || cs == "us-ascii")
        return 1252;
    if (cs == "koi8-r")
        return 20866;
    if (cs.compare(0, 9, "iso-8859-") == 0)
        return 28590 + static_cast<UINT>(atoi(cs.c_str() + 9));
    return 0;
}

// The charset a meta element of the first kilobytes names, in lower case.
std::string MetaCharset(const BYTE* s, size_t n)
{
    std::string head(reinterpret_cast<const char*>(s), std::min<size_t>(n, 2048));
    for (char& c : head)
        c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    size_t at = head.find("charset=");
    if (at == std::string::npos)
        return std::string();
    at += 8;
    while (at < head.size() && (head[at] == '"' || head[at] == '\'' || head[at] == ' '))
        ++at;
    size_t e = at;
    while (e < head.size() && (isalnum(static_cast<unsigned char>(head[e])) || head[e] == '-' || head[e] == '_'))
        ++e;
    return head.substr(at, e - at);
}

std::wstring MultiByteToWide(UINT cp, const char* s, size_t n)
{
    if (n == 0)
        return std::wstring();
    int len = MultiByteToWideChar(cp, 0, s, static_cast<int>(n), nullptr, 0);
    if (len <= 0)
        return std::wstring();
    std::wstring out(len, L'\0');
    MultiByteToWideChar(cp, 0, s, static_cast<int>(n), &out[0], len);
    return out;
}
}  // namespace

std::wstring DecodeCharacterReferences(const wchar_t* s, size_t n)
{
    std::wstring out;
    out.reserve(n);
    for (size_t i = 0; i < n;)
    {
        if (s[i] == L'&')
        {
            size_t used = ReadReference(s + i + 1, n - i - 1, out);
            if (used)
            {
                i += used + 1;
                continue;
            }
        }
        out += s[i++];
    }
    return out;
}

std::string WideToMultiByte(UINT codePage, const std::wstring& text)
{
    if (text.empty())
        return std::string();
    int len = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(len > 0 ? len : 0, '\0');
    if (len > 0)
        WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), &out[0], len, nullptr, nullptr);
    return out;
}

std::wstring Utf8ToUtf16(const char* text, size_t length)
{
    return MultiByteToWide(CP_UTF8, text, length);
}

std::wstring DecodeHtmlBytes(const BYTE* data, size_t size)
{
    if (!data || size == 0)
        return std::wstring();
    if (size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF)
        return Utf8ToUtf16(reinterpret_cast<const char*>(data + 3), size - 3);
    if (size >= 2 && data[0] == 0xFF && data[1] == 0xFE)
        return std::wstring(reinterpret_cast<const wchar_t*>(data + 2), (size - 2) / 2);
    const char* s = reinterpret_cast<const char*>(data);
    UINT cp = CodePageOfCharset(MetaCharset(data, size));
    if (cp == 0 || cp == CP_UTF8)
        cp = ValidUtf8(data, size) ? CP_UTF8 : CP_ACP;
    std::wstring text = MultiByteToWide(cp, s, size);
    if (text.empty() && cp != CP_ACP)
        text = MultiByteToWide(CP_ACP, s, size);
    return text;
}

void CHtmlParser::ParseDocument(const wchar_t* text, size_t length, CHtmlNode* root)
{
    TreeBuilder builder(root, 0, true);
    Tokenize(text, length, builder);
}

size_t CHtmlParser::ParseFragment(const wchar_t* text, size_t length, CHtmlNode* parent, size_t index)
{
    TreeBuilder builder(parent, index, false);
    Tokenize(text, length, builder);
    return builder.Added();
}

std::wstring CHtmlParser::Serialize(const CHtmlNode* element, bool outer)
{
    std::wstring out;
    if (outer)
        SerializeNode(element, out, 0);
    else
        for (const CHtmlNode* c : element->children)
            SerializeNode(c, out, 0);
    return out;
}
