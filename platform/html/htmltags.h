#pragma once
// The tags the engine treats in their own way, known by number so that the
// parser, the styles and the layout test a bit instead of comparing names.

#include <cstdint>
#include <string>

enum class HtmlTag : uint8_t
{
    Other, A, Address, B, Base, Basefont, Big, Blockquote, Body, Br, Button, Caption, Center, Cite, Code, Col, Dd,
    Del, Dir, Div, Dl, Dt, Em, Embed, Fieldset, Font, Form, Frame, H1, H2, H3, H4, H5, H6, Head, Hr, Html, I, Img,
    Input, Ins, Kbd, Li, Link, Menu, Meta, Nobr, Noframes, Noscript, Ol, Option, P, Param, Pre, S, Samp, Script,
    Select, Small, Source, Span, Strike, Strong, Style, Table, Tbody, Td, Template, Textarea, Tfoot, Th, Thead,
    Title, Tr, Track, Tt, U, Ul, Var, Wbr, Xmp, Area,
};

enum HtmlTagFlag : uint32_t
{
    kTagVoid = 1u << 0,          // never has content
    kTagRawText = 1u << 1,       // content is text up to the end tag
    kTagHeadOnly = 1u << 2,      // belongs in the head before the body starts
    kTagClosesP = 1u << 3,       // starts a block that ends an open paragraph
    kTagAtomic = 1u << 4,        // laid out as one box inside a line
    kTagTableScope = 1u << 5,    // td, th, table, caption: end tags stop here
    kTagTablePart = 1u << 6,     // table, tr, td, th, row groups, caption
    kTagHeading = 1u << 7,
};

HtmlTag LookupHtmlTag(const std::string& name);
uint32_t HtmlTagFlags(HtmlTag tag);

// A tag, attribute or property name as the engine keeps it: ASCII letters in
// lower case, characters past ASCII as '?'.
std::string LowerAsciiName(const wchar_t* text, size_t length);
