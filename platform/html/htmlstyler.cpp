#include "platform/html/htmlstyler.h"

#include "platform/html/cssstyle.h"
#include "platform/html/htmlnode.h"

#include <algorithm>
#include <cwctype>

namespace
{
const int kFontSizes[] = {10, 13, 16, 18, 24, 32, 48};

bool Is(const std::string& tag, std::initializer_list<const char*> names)
{
    for (const char* n : names)
        if (tag == n)
            return true;
    return false;
}

CssLength Em(float em, int fontSize)
{
    return CssLength::Pixels(em * fontSize);
}

// What a browser's own style sheet gives each tag.
void TagDefaults(CCssStyle& s, const CHtmlNode* e)
{
    const std::string& t = e->tag;
    if (Is(t, {"html", "body", "div", "p", "form", "ul", "ol", "dl", "dt", "dd", "h1", "h2", "h3", "h4", "h5", "h6",
               "center", "blockquote", "pre", "hr", "address", "fieldset", "noscript", "menu", "dir", "caption"}))
        s.display = CssDisplay::Block;
    else if (Is(t, {"head", "script", "style", "title", "meta", "link", "base", "noframes", "template", "param"}))
        s.display = CssDisplay::None;
    else if (t == "li")
        s.display = CssDisplay::ListItem;
    else if (t == "table")
        s.display = CssDisplay::Table;
    else if (Is(t, {"tbody", "thead", "tfoot"}))
        s.display = CssDisplay::TableRowGroup;
    else if (t == "tr")
        s.display = CssDisplay::TableRow;
    else if (t == "td" || t == "th")
    {
        s.display = CssDisplay::TableCell;
        s.verticalAlign = CssVerticalAlign::Middle;
        s.padding[0] = s.padding[1] = s.padding[2] = s.padding[3] = 1;
    }
    if (t == "body")
        for (CssLength& m : s.margin)
            m = CssLength::Pixels(8);
    if (t == "p" || t == "ul" || t == "ol" || t == "blockquote" || t == "dl" || t == "pre")
        s.margin[0] = s.margin[2] = Em(1, s.fontSize);
    if (t == "ul" || t == "ol")
        s.padding[3] = 40;
    if (t == "blockquote")
        s.margin[1] = s.margin[3] = CssLength::Pixels(40);
    if (t == "dd")
        s.margin[3] = CssLength::Pixels(40);
    if (t.size() == 2 && t[0] == 'h' && t[1] >= '1' && t[1] <= '6')
    {
        static const float sizes[] = {2.0f, 1.5f, 1.17f, 1.0f, 0.83f, 0.67f};
        static const float margins[] = {0.67f, 0.83f, 1.0f, 1.33f, 1.67f, 2.33f};
        int level = t[1] - '1';
        s.fontSize = std::max(1, static_cast<int>(s.fontSize * sizes[level] + 0.5f));
        s.fontWeight = 700;
        s.margin[0] = s.margin[2] = Em(margins[level], s.fontSize);
    }
    if (Is(t, {"b", "strong", "th"}))
        s.fontWeight = 700;
    if (Is(t, {"i", "em", "cite", "var", "address"}))
        s.italic = true;
    if (Is(t, {"u", "ins"}))
        s.underline = true;
    if (Is(t, {"s", "strike", "del"}))
        s.lineThrough = true;
    if (t == "a" && e->Attribute("href"))
    {
        s.color = CssColor::Of(RGB(0, 0, 238));
        s.underline = true;
        s.pointer = true;
    }
    if (t == "center" || t == "th")
        s.textAlign = CssTextAlign::Center;
    if (t == "nobr")
        s.whiteSpace = CssWhiteSpace::NoWrap;
    if (t == "pre" || t == "xmp" || t == "textarea")
        s.whiteSpace = CssWhiteSpace::Pre;
    if (Is(t, {"pre", "code", "tt", "kbd", "samp", "xmp"}))
    {
        static const std::wstring* mono = InternCssString(L"Courier New, monospace");
        s.fontFamily = mono;
        if (t == "pre")
            s.fontSize = std::max(1, s.fontSize * 13 / 16);
    }
    if (t == "small")
        s.fontSize = std::max(1, s.fontSize * 5 / 6);
    if (t == "big")
        s.fontSize = s.fontSize * 6 / 5;
    if (t == "hr")
    {
        s.margin[0] = s.margin[2] = CssLength::Pixels(8);
        for (int i = 0; i < 4; ++i)
        {
            s.borderWidth[i] = 1;
            s.borderStyle[i] = CssBorderStyle::Inset;
        }
    }
    if (t == "input" || t == "button" || t == "select")
    {
        const std::wstring* type = e->Attribute("type");
        bool box = type && (_wcsicmp(type->c_str(), L"checkbox") == 0 || _wcsicmp(type->c_str(), L"radio") == 0);
        if (box)
        {
            s.margin[0] = s.margin[1] = s.margin[2] = CssLength::Pixels(3);
            s.margin[3] = CssLength::Pixels(4);
        }
        s.display = CssDisplay::InlineBlock;
        s.verticalAlign = box ? CssVerticalAlign::Middle : CssVerticalAlign::Baseline;
    }
    if (t == "img")
        s.display = CssDisplay::Inline;
}

const CHtmlNode* EnclosingTable(const CHtmlNode* e)
{
    for (const CHtmlNode* p = e->parent; p; p = p->parent)
        if (p->tag == "table")
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

// Attributes that old HTML uses in place of styles.
void PresentationalHints(CCssStyle& s, const CHtmlNode* e, const CCssStyle* parent)
{
    const std::string& t = e->tag;
    CssColor color;
    CssLength len;
    const std::wstring* v;
    if ((v = e->Attribute("bgcolor")) && ParseCssColor(*v, color))
        s.background = color;
    if ((v = e->Attribute("background")) && !v->empty())
        s.backgroundImage = InternCssString(*v);
    if (Is(t, {"img", "table", "td", "th", "hr", "div", "input", "iframe", "col"}))
    {
        if ((v = e->Attribute("width")) && ParseDimension(*v, len))
            s.width = len;
        if ((v = e->Attribute("height")) && ParseDimension(*v, len))
            s.height = len;
    }
    if (t == "tr" && (v = e->Attribute("height")) && ParseDimension(*v, len))
        s.height = len;
    if ((v = e->Attribute("align")))
    {
        std::wstring a = *v;
        for (wchar_t& c : a)
            c = towlower(c);
        if (t == "table" || t == "img")
        {
            if (t == "table" && a == L"center")
                s.margin[1] = s.margin[3] = CssLength();
        }
        else if (a == L"center" || a == L"middle")
            s.textAlign = CssTextAlign::Center;
        else if (a == L"right")
            s.textAlign = CssTextAlign::Right;
        else if (a == L"left")
            s.textAlign = CssTextAlign::Left;
    }
    const std::wstring* valign = e->Attribute("valign");
    if (!valign && (t == "td" || t == "th") && e->parent && e->parent->tag == "tr")
        valign = e->parent->Attribute("valign");
    if (valign)
    {
        std::wstring a = *valign;
        for (wchar_t& c : a)
            c = towlower(c);
        s.verticalAlign = a == L"top" ? CssVerticalAlign::Top : a == L"bottom" ? CssVerticalAlign::Bottom
                          : a == L"baseline" ? CssVerticalAlign::Top : CssVerticalAlign::Middle;
    }
    if ((t == "td" || t == "th") && e->Attribute("nowrap"))
        s.whiteSpace = CssWhiteSpace::NoWrap;
    if (t == "img")
    {
        int h = (v = e->Attribute("hspace")) ? std::max(0, std::min(1000, _wtoi(v->c_str()))) : 0;
        int vs = (v = e->Attribute("vspace")) ? std::max(0, std::min(1000, _wtoi(v->c_str()))) : 0;
        if (h)
            s.margin[1] = s.margin[3] = CssLength::Pixels(static_cast<float>(h));
        if (vs)
            s.margin[0] = s.margin[2] = CssLength::Pixels(static_cast<float>(vs));
        if ((v = e->Attribute("border")))
        {
            int b = std::max(0, std::min(100, _wtoi(v->c_str())));
            for (int i = 0; i < 4; ++i)
            {
                s.borderWidth[i] = b;
                s.borderStyle[i] = b ? CssBorderStyle::Solid : CssBorderStyle::None;
            }
        }
    }
    if (t == "table" && (v = e->Attribute("border")))
    {
        int b = v->empty() ? 1 : std::max(0, std::min(100, _wtoi(v->c_str())));
        for (int i = 0; i < 4; ++i)
        {
            s.borderWidth[i] = b;
            s.borderStyle[i] = b ? CssBorderStyle::Outset : CssBorderStyle::None;
        }
    }
    if (t == "td" || t == "th")
    {
        if (const CHtmlNode* table = EnclosingTable(e))
        {
            if ((v = table->Attribute("cellpadding")))
            {
                int p = std::max(0, std::min(1000, _wtoi(v->c_str())));
                s.padding[0] = s.padding[1] = s.padding[2] = s.padding[3] = p;
            }
            if ((v = table->Attribute("border")) && (v->empty() || _wtoi(v->c_str()) > 0))
                for (int i = 0; i < 4; ++i)
                {
                    s.borderWidth[i] = 1;
                    s.borderStyle[i] = CssBorderStyle::Inset;
                }
        }
    }
    if (t == "font")
    {
        if ((v = e->Attribute("color")) && ParseCssColor(*v, color) && color.set)
            s.color = color;
        if ((v = e->Attribute("face")) && !v->empty())
            s.fontFamily = InternCssString(*v);
        if ((v = e->Attribute("size")) && !v->empty())
        {
            int n = _wtoi(v->c_str());
            if ((*v)[0] == L'+' || (*v)[0] == L'-')
                n += 3;
            n = std::max(1, std::min(7, n));
            s.fontSize = kFontSizes[n - 1];
        }
    }
    if (t == "body" && (v = e->Attribute("text")) && ParseCssColor(*v, color) && color.set)
        s.color = color;
    (void)parent;
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
    PresentationalHints(s, e, parent);
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
