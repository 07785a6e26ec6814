#include "platform/html/htmlstyler.h"

#include "platform/html/cssstyle.h"
#include "platform/html/htmlnode.h"

#include <algorithm>
#include <cwctype>

namespace
{
const int kFontSizes[] = {10, 13, 16, 18, 24, 32, 48};

CssLength Em(float em, int fontSize)
{
    return CssLength::Pixels(em * fontSize);
}

// The same border on all four sides; a width of 0 draws none.
void SetBorders(CCssStyle& s, int width, CssBorderStyle style)
{
    for (int i = 0; i < 4; ++i)
    {
        s.borderWidth[i] = width;
        s.borderStyle[i] = width ? style : CssBorderStyle::None;
    }
}

// An attribute's number, kept between 0 and max.
int BoundedNumber(const std::wstring& v, int max)
{
    return std::max(0, std::min(max, _wtoi(v.c_str())));
}

// What a browser's own style sheet gives each tag.
void TagDefaults(CCssStyle& s, const CHtmlNode* e)
{
    using T = HtmlTag;
    switch (e->id)
    {
    case T::Html: case T::Body: case T::Div: case T::P: case T::Form: case T::Ul: case T::Ol: case T::Dl: case T::Dt:
    case T::Dd: case T::H1: case T::H2: case T::H3: case T::H4: case T::H5: case T::H6: case T::Center:
    case T::Blockquote: case T::Pre: case T::Hr: case T::Address: case T::Fieldset: case T::Noscript: case T::Menu:
    case T::Dir: case T::Caption:
        s.display = CssDisplay::Block;
        break;
    case T::Head: case T::Script: case T::Style: case T::Title: case T::Meta: case T::Link: case T::Base:
    case T::Noframes: case T::Template: case T::Param:
        s.display = CssDisplay::None;
        return;
    case T::Li: s.display = CssDisplay::ListItem; break;
    case T::Table: s.display = CssDisplay::Table; break;
    case T::Tbody: case T::Thead: case T::Tfoot: s.display = CssDisplay::TableRowGroup; break;
    case T::Tr: s.display = CssDisplay::TableRow; break;
    case T::Td: case T::Th:
        s.display = CssDisplay::TableCell;
        s.verticalAlign = CssVerticalAlign::Middle;
        s.padding[0] = s.padding[1] = s.padding[2] = s.padding[3] = 1;
        break;
    default:
        break;
    }
    switch (e->id)
    {
    case T::Body:
        for (CssLength& m : s.margin)
            m = CssLength::Pixels(8);
        break;
    case T::P: case T::Ul: case T::Ol: case T::Blockquote: case T::Dl: case T::Pre:
        s.margin[0] = s.margin[2] = Em(1, s.fontSize);
        if (e->id == T::Ul || e->id == T::Ol)
            s.padding[3] = 40;
        if (e->id == T::Blockquote)
            s.margin[1] = s.margin[3] = CssLength::Pixels(40);
        if (e->id == T::Pre)
        {
            s.whiteSpace = CssWhiteSpace::Pre;
            s.fontFamily = InternCssString(L"Courier New, monospace");
            s.fontSize = std::max(1, s.fontSize * 13 / 16);
        }
        break;
    case T::Dd: s.margin[3] = CssLength::Pixels(40); break;
    case T::H1: case T::H2: case T::H3: case T::H4: case T::H5: case T::H6:
    {
        static const float sizes[] = {2.0f, 1.5f, 1.17f, 1.0f, 0.83f, 0.67f};
        static const float margins[] = {0.67f, 0.83f, 1.0f, 1.33f, 1.67f, 2.33f};
        int level = static_cast<int>(e->id) - static_cast<int>(T::H1);
        s.fontSize = std::max(1, static_cast<int>(s.fontSize * sizes[level] + 0.5f));
        s.fontWeight = 700;
        s.margin[0] = s.margin[2] = Em(margins[level], s.fontSize);
        break;
    }
    case T::B: case T::Strong: s.fontWeight = 700; break;
    case T::Th:
        s.fontWeight = 700;
        s.textAlign = CssTextAlign::Center;
        break;
    case T::I: case T::Em: case T::Cite: case T::Var: case T::Address: s.italic = true; break;
    case T::U: case T::Ins: s.underline = true; break;
    case T::S: case T::Strike: case T::Del: s.lineThrough = true; break;
    case T::A:
        if (e->Attribute("href"))
        {
            s.color = CssColor::Of(RGB(0, 0, 238));
            s.underline = true;
            s.pointer = true;
        }
        break;
    case T::Center: s.textAlign = CssTextAlign::Center; break;
    case T::Nobr: s.whiteSpace = CssWhiteSpace::NoWrap; break;
    case T::Xmp: case T::Textarea: s.whiteSpace = CssWhiteSpace::Pre; break;
    case T::Code: case T::Tt: case T::Kbd: case T::Samp:
        s.fontFamily = InternCssString(L"Courier New, monospace");
        break;
    case T::Small: s.fontSize = std::max(1, s.fontSize * 5 / 6); break;
    case T::Big: s.fontSize = s.fontSize * 6 / 5; break;
    case T::Hr:
        s.margin[0] = s.margin[2] = CssLength::Pixels(8);
        SetBorders(s, 1, CssBorderStyle::Inset);
        break;
    case T::Input: case T::Button: case T::Select:
    {
        bool box = e->IsCheckType();
        if (box)
        {
            s.margin[0] = s.margin[1] = s.margin[2] = CssLength::Pixels(3);
            s.margin[3] = CssLength::Pixels(4);
        }
        s.display = CssDisplay::InlineBlock;
        s.verticalAlign = box ? CssVerticalAlign::Middle : CssVerticalAlign::Baseline;
        break;
    }
    default:
        break;
    }
}

const CHtmlNode* EnclosingTable(const CHtmlNode* e)
{
    for (const CHtmlNode* p = e->parent; p; p = p->parent)
        if (p->id == HtmlTag::Table)
            return p;
    return nullptr;
}

bool ParseDimension(const std::wstring& v, CssLength& out)
{
    if (v.empty())
        return false;
    CssLength len;
    if (!ParseCssLength(v, 16, len) || len.IsAuto() || len.value < 0)
        return false;
    out = len;
    return true;
}

// Attributes that old HTML uses in place of styles, read in one pass.
void PresentationalHints(CCssStyle& s, const CHtmlNode* e)
{
    using T = HtmlTag;
    const T t = e->id;
    const bool sized = t == T::Img || t == T::Table || t == T::Td || t == T::Th || t == T::Hr || t == T::Div ||
                       t == T::Input || t == T::Col;
    const bool cell = t == T::Td || t == T::Th;
    const std::wstring* valign = nullptr;
    CssColor color;
    CssLength len;
    for (const auto& a : e->attributes)
    {
        const std::string& n = a.first;
        const std::wstring& v = a.second;
        switch (n[0])
        {
        case 'b':
            if (n == "bgcolor" && ParseCssColor(v, color))
                s.background = color;
            else if (n == "background" && !v.empty())
                s.backgroundImage = InternCssString(v);
            else if (n == "border" && t == T::Img)
                SetBorders(s, BoundedNumber(v, 100), CssBorderStyle::Solid);
            else if (n == "border" && t == T::Table)
                SetBorders(s, v.empty() ? 1 : BoundedNumber(v, 100), CssBorderStyle::Outset);
            break;
        case 'w':
            if (n == "width" && sized && ParseDimension(v, len))
                s.width = len;
            break;
        case 'h':
            if (n == "height" && (sized || t == T::Tr) && ParseDimension(v, len))
                s.height = len;
            else if (n == "hspace" && t == T::Img)
            {
                int h = BoundedNumber(v, 1000);
                if (h)
                    s.margin[1] = s.margin[3] = CssLength::Pixels(static_cast<float>(h));
            }
            break;
        case 'v':
            if (n == "valign")
                valign = &v;
            else if (n == "vspace" && t == T::Img)
            {
                int h = BoundedNumber(v, 1000);
                if (h)
                    s.margin[0] = s.margin[2] = CssLength::Pixels(static_cast<float>(h));
            }
            break;
        case 'a':
            if (n == "align")
            {
                if (t == T::Table)
                {
                    if (_wcsicmp(v.c_str(), L"center") == 0)
                        s.margin[1] = s.margin[3] = CssLength();
                }
                else if (t != T::Img)
                {
                    if (_wcsicmp(v.c_str(), L"center") == 0 || _wcsicmp(v.c_str(), L"middle") == 0)
                        s.textAlign = CssTextAlign::Center;
                    else if (_wcsicmp(v.c_str(), L"right") == 0)
                        s.textAlign = CssTextAlign::Right;
                    else if (_wcsicmp(v.c_str(), L"left") == 0)
                        s.textAlign = CssTextAlign::Left;
                }
            }
            break;
        case 'n':
            if (n == "nowrap" && cell)
                s.whiteSpace = CssWhiteSpace::NoWrap;
            break;
        case 'c':
            if (n == "color" && t == T::Font && ParseCssColor(v, color) && color.set)
                s.color = color;
            break;
        case 'f':
            if (n == "face" && t == T::Font && !v.empty())
                s.fontFamily = InternCssString(v);
            break;
        case 's':
            if (n == "size" && t == T::Font && !v.empty())
            {
                int size = _wtoi(v.c_str());
                if (v[0] == L'+' || v[0] == L'-')
                    size += 3;
                size = std::max(1, std::min(7, size));
                s.fontSize = kFontSizes[size - 1];
            }
            break;
        case 't':
            if (n == "text" && t == T::Body && ParseCssColor(v, color) && color.set)
                s.color = color;
            break;
        }
    }
    if (!valign && cell && e->parent && e->parent->id == T::Tr)
        valign = e->parent->Attribute("valign");
    if (valign)
    {
        const wchar_t* a = valign->c_str();
        s.verticalAlign = _wcsicmp(a, L"top") == 0 || _wcsicmp(a, L"baseline") == 0 ? CssVerticalAlign::Top
                          : _wcsicmp(a, L"bottom") == 0                              ? CssVerticalAlign::Bottom
                                                                                       : CssVerticalAlign::Middle;
    }
    if (cell)
        if (const CHtmlNode* table = EnclosingTable(e))
        {
            const std::wstring* v;
            if ((v = table->Attribute("cellpadding")))
            {
                int p = BoundedNumber(*v, 1000);
                s.padding[0] = s.padding[1] = s.padding[2] = s.padding[3] = p;
            }
            if ((v = table->Attribute("border")) && (v->empty() || _wtoi(v->c_str()) > 0))
                SetBorders(s, 1, CssBorderStyle::Inset);
        }
}

void SkipComment(const std::wstring& css, size_t& i)
{
    size_t end = css.find(L"*/", i + 2);
    i = end == std::wstring::npos ? css.size() : end + 2;
}
}  // namespace

void CHtmlStyler::Clear()
{
    m_rules.clear();
    m_hover = false;
}

void CHtmlStyler::AddStyleSheet(const std::wstring& css)
{
    size_t i = 0, n = css.size();
    std::wstring selector;
    while (i < n && m_rules.size() < 10000)
    {
        wchar_t c = css[i];
        if (c == L'/' && i + 1 < n && css[i + 1] == L'*')
        {
            SkipComment(css, i);
            continue;
        }
        if (c == L'<' && css.compare(i, 4, L"<!--") == 0)
        {
            i += 4;
            continue;
        }
        if (c == L'-' && css.compare(i, 3, L"-->") == 0)
        {
            i += 3;
            continue;
        }
        if (c == L'@')
        {
            // Skip the at-rule: up to ';' or through its balanced block.
            int depth = 0;
            while (i < n)
            {
                if (css[i] == L';' && depth == 0)
                {
                    ++i;
                    break;
                }
                if (css[i] == L'{')
                    ++depth;
                else if (css[i] == L'}' && --depth <= 0)
                {
                    ++i;
                    break;
                }
                ++i;
            }
            selector.clear();
            continue;
        }
        if (c == L'{')
        {
            size_t end = i + 1;
            std::wstring decls;
            while (end < n && css[end] != L'}')
            {
                if (css[end] == L'/' && end + 1 < n && css[end + 1] == L'*')
                {
                    SkipComment(css, end);
                    continue;
                }
                decls += css[end++];
            }
            CHtmlSelector sel;
            if (sel.Parse(selector))
            {
                m_hover |= sel.UsesHover();
                for (size_t a = 0; a < sel.Alternatives(); ++a)
                {
                    Rule r{sel.Alternative(a), 0, m_rules.size(), decls};
                    r.specificity = r.selector.Specificity();
                    m_rules.push_back(std::move(r));
                }
            }
            selector.clear();
            i = std::min(n, end + 1);
            continue;
        }
        if (c == L'}')
        {
            selector.clear();
            ++i;
            continue;
        }
        selector += c;
        ++i;
    }
    std::stable_sort(m_rules.begin(), m_rules.end(), [](const Rule& a, const Rule& b) {
        return a.specificity != b.specificity ? a.specificity < b.specificity : a.order < b.order;
    });
}

void CHtmlStyler::SetOverride(CHtmlNode* e, const std::string& name, const std::wstring& value)
{
    for (auto& o : e->styleOverrides)
        if (o.first == name)
        {
            o.second = value;
            return;
        }
    if (e->styleOverrides.size() < 64)
        e->styleOverrides.emplace_back(name, value);
}

void CHtmlStyler::StyleElement(CHtmlNode* e, const CCssStyle* parent)
{
    CCssStyle& s = e->style;
    if (parent)
        s.InheritFrom(*parent);
    else
        s = CCssStyle();
    TagDefaults(s, e);
    PresentationalHints(s, e);
    for (const Rule& r : m_rules)
        if (r.selector.Matches(e))
            ApplyCssDeclarations(s, parent, r.declarations.data(), r.declarations.size());
    if (const std::wstring* inlineStyle = e->Attribute("style"))
        ApplyCssDeclarations(s, parent, inlineStyle->data(), inlineStyle->size());
    for (const auto& o : e->styleOverrides)
        ApplyCssProperty(s, parent, o.first, o.second);
}

void CHtmlStyler::StyleChildren(CHtmlNode* e, int depth)
{
    for (CHtmlNode* c : e->children)
    {
        if (!c->IsElement())
            continue;
        StyleElement(c, &e->style);
        c->image = nullptr;
        c->backgroundImage = nullptr;
        c->box.dirty = true;
        c->box.intrinsicValid = false;
        c->box.flowsValid = false;
        c->box.blockContent = -1;
        if (depth < 1024)
            StyleChildren(c, depth + 1);
    }
}

void CHtmlStyler::StyleTree(CHtmlNode* element)
{
    StyleElement(element, element->parent ? &element->parent->style : nullptr);
    element->image = nullptr;
    element->backgroundImage = nullptr;
    element->MarkDirty();
    StyleChildren(element, 0);
}
