#include "platform/html/htmltags.h"

#include <unordered_map>

namespace
{
struct TagEntry
{
    const char* name;
    HtmlTag tag;
    uint32_t flags;
};

const TagEntry kTags[] = {
    {"a", HtmlTag::A, 0}, {"address", HtmlTag::Address, kTagClosesP}, {"area", HtmlTag::Area, kTagVoid},
    {"b", HtmlTag::B, 0}, {"base", HtmlTag::Base, kTagVoid | kTagHeadOnly}, {"basefont", HtmlTag::Basefont, kTagVoid},
    {"big", HtmlTag::Big, 0}, {"blockquote", HtmlTag::Blockquote, kTagClosesP}, {"body", HtmlTag::Body, 0},
    {"br", HtmlTag::Br, kTagVoid}, {"button", HtmlTag::Button, kTagAtomic},
    {"caption", HtmlTag::Caption, kTagTableScope | kTagTablePart}, {"center", HtmlTag::Center, kTagClosesP},
    {"cite", HtmlTag::Cite, 0}, {"code", HtmlTag::Code, 0}, {"col", HtmlTag::Col, kTagVoid},
    {"dd", HtmlTag::Dd, kTagClosesP}, {"del", HtmlTag::Del, 0}, {"dir", HtmlTag::Dir, 0},
    {"div", HtmlTag::Div, kTagClosesP}, {"dl", HtmlTag::Dl, kTagClosesP}, {"dt", HtmlTag::Dt, kTagClosesP},
    {"em", HtmlTag::Em, 0}, {"embed", HtmlTag::Embed, kTagVoid}, {"fieldset", HtmlTag::Fieldset, kTagClosesP},
    {"font", HtmlTag::Font, 0}, {"form", HtmlTag::Form, kTagClosesP}, {"frame", HtmlTag::Frame, kTagVoid},
    {"h1", HtmlTag::H1, kTagClosesP | kTagHeading}, {"h2", HtmlTag::H2, kTagClosesP | kTagHeading},
    {"h3", HtmlTag::H3, kTagClosesP | kTagHeading}, {"h4", HtmlTag::H4, kTagClosesP | kTagHeading},
    {"h5", HtmlTag::H5, kTagClosesP | kTagHeading}, {"h6", HtmlTag::H6, kTagClosesP | kTagHeading},
    {"head", HtmlTag::Head, 0}, {"hr", HtmlTag::Hr, kTagVoid | kTagClosesP}, {"html", HtmlTag::Html, 0},
    {"i", HtmlTag::I, 0}, {"img", HtmlTag::Img, kTagVoid | kTagAtomic}, {"input", HtmlTag::Input, kTagVoid | kTagAtomic},
    {"ins", HtmlTag::Ins, 0}, {"kbd", HtmlTag::Kbd, 0}, {"li", HtmlTag::Li, kTagClosesP},
    {"link", HtmlTag::Link, kTagVoid | kTagHeadOnly}, {"menu", HtmlTag::Menu, 0},
    {"meta", HtmlTag::Meta, kTagVoid | kTagHeadOnly}, {"nobr", HtmlTag::Nobr, 0}, {"noframes", HtmlTag::Noframes, 0},
    {"noscript", HtmlTag::Noscript, 0}, {"ol", HtmlTag::Ol, kTagClosesP}, {"option", HtmlTag::Option, 0},
    {"p", HtmlTag::P, kTagClosesP}, {"param", HtmlTag::Param, kTagVoid}, {"pre", HtmlTag::Pre, kTagClosesP},
    {"s", HtmlTag::S, 0}, {"samp", HtmlTag::Samp, 0}, {"script", HtmlTag::Script, kTagRawText | kTagHeadOnly},
    {"select", HtmlTag::Select, kTagAtomic}, {"small", HtmlTag::Small, 0}, {"source", HtmlTag::Source, kTagVoid},
    {"span", HtmlTag::Span, 0}, {"strike", HtmlTag::Strike, 0}, {"strong", HtmlTag::Strong, 0},
    {"style", HtmlTag::Style, kTagRawText | kTagHeadOnly},
    {"table", HtmlTag::Table, kTagClosesP | kTagTableScope | kTagTablePart},
    {"tbody", HtmlTag::Tbody, kTagTablePart}, {"td", HtmlTag::Td, kTagTableScope | kTagTablePart},
    {"template", HtmlTag::Template, 0}, {"textarea", HtmlTag::Textarea, kTagRawText | kTagAtomic},
    {"tfoot", HtmlTag::Tfoot, kTagTablePart}, {"th", HtmlTag::Th, kTagTableScope | kTagTablePart},
    {"thead", HtmlTag::Thead, kTagTablePart}, {"title", HtmlTag::Title, kTagRawText | kTagHeadOnly},
    {"tr", HtmlTag::Tr, kTagTablePart}, {"track", HtmlTag::Track, kTagVoid}, {"tt", HtmlTag::Tt, 0},
    {"u", HtmlTag::U, 0}, {"ul", HtmlTag::Ul, kTagClosesP}, {"var", HtmlTag::Var, 0}, {"wbr", HtmlTag::Wbr, kTagVoid},
    {"xmp", HtmlTag::Xmp, kTagRawText},
};

struct Tables
{
    std::unordered_map<std::string, HtmlTag> byName;
    uint32_t flags[256] = {};
    Tables()
    {
        for (const TagEntry& e : kTags)
        {
            byName[e.name] = e.tag;
            flags[static_cast<int>(e.tag)] = e.flags;
        }
    }
};

const Tables& TagTables()
{
    static const Tables tables;
    return tables;
}
}  // namespace

HtmlTag LookupHtmlTag(const std::string& name)
{
    const Tables& t = TagTables();
    auto it = t.byName.find(name);
    return it == t.byName.end() ? HtmlTag::Other : it->second;
}

uint32_t HtmlTagFlags(HtmlTag tag)
{
    return TagTables().flags[static_cast<int>(tag)];
}

std::string LowerAsciiName(const wchar_t* text, size_t length)
{
    std::string out;
    out.reserve(length);
    for (size_t i = 0; i < length; ++i)
    {
        wchar_t c = text[i];
        out += static_cast<char>(c < 128 ? (c >= L'A' && c <= L'Z' ? c + 32 : c) : '?');
    }
    return out;
}
