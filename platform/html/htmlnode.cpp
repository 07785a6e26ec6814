#include "platform/html/htmlnode.h"

#include "platform/html/htmlinline.h"

#include <cstring>
#include <cwctype>

CHtmlNode::CHtmlNode(Kind k, std::string t)
    : kind(k), tag(std::move(t)), id(k == Element ? LookupHtmlTag(tag) : HtmlTag::Other)
{
}

CHtmlNode::CHtmlNode(std::string t, HtmlTag i) : kind(Element), tag(std::move(t)), id(i)
{
}

CHtmlNode::~CHtmlNode()
{
    RemoveChildren();
}

void CHtmlNode::Release()
{
    if (--m_refs == 0)
        delete this;
}

const std::wstring* CHtmlNode::Attribute(const char* name) const
{
    for (const auto& a : attributes)
        if (a.first == name)
            return &a.second;
    return nullptr;
}

void CHtmlNode::SetAttribute(const char* name, const std::wstring& value)
{
    for (auto& a : attributes)
        if (a.first == name)
        {
            a.second = value;
            return;
        }
    attributes.emplace_back(name, value);
}

bool CHtmlNode::HasClass(const wchar_t* name, size_t len) const
{
    const std::wstring* cls = Attribute("class");
    if (!cls || len == 0)
        return false;
    const wchar_t* s = cls->c_str();
    size_t n = cls->size(), i = 0;
    while (i < n)
    {
        while (i < n && iswspace(s[i]))
            ++i;
        size_t b = i;
        while (i < n && !iswspace(s[i]))
            ++i;
        if (i - b == len && wcsncmp(s + b, name, len) == 0)
            return true;
    }
    return false;
}

std::wstring CHtmlNode::InputType() const
{
    const std::wstring* type = Attribute("type");
    std::wstring t = type ? *type : L"text";
    for (wchar_t& c : t)
        c = towlower(c);
    return t;
}

bool CHtmlNode::IsCheckType() const
{
    std::wstring t = InputType();
    return t == L"checkbox" || t == L"radio";
}

void CHtmlNode::AppendChild(CHtmlNode* child)
{
    child->parent = this;
    // Room for a few at once: most elements hold a handful of children
    // (blanks between tags count), and the heap's smallest block has it.
    if (children.capacity() == 0)
        children.reserve(4);
    children.push_back(child);
    box.blockContent = -1;
}

void CHtmlNode::InsertChild(size_t index, CHtmlNode* child)
{
    if (index > children.size())
        index = children.size();
    child->parent = this;
    children.insert(children.begin() + index, child);
    box.blockContent = -1;
}

void CHtmlNode::RemoveChildren()
{
    flows.clear();
    box.flowsValid = false;
    box.blockContent = -1;
    std::vector<CHtmlNode*> old;
    old.swap(children);
    for (CHtmlNode* c : old)
    {
        c->parent = nullptr;
        c->Release();
    }
}

CHtmlNode* CHtmlNode::DetachChild(size_t index)
{
    CHtmlNode* c = children[index];
    children.erase(children.begin() + index);
    c->parent = nullptr;
    flows.clear();
    box.flowsValid = false;
    box.blockContent = -1;
    return c;
}

void CHtmlNode::MarkDirty()
{
    for (CHtmlNode* n = this; n; n = n->parent)
    {
        n->box.dirty = true;
        n->box.intrinsicValid = false;
        n->box.flowsValid = false;
        n->box.blockContent = -1;
    }
}

size_t CHtmlNode::CountNodes() const
{
    size_t n = 1;
    for (const CHtmlNode* c : children)
        n += c->CountNodes();
    return n;
}
