#pragma once
// One node of an HTML document: an element with its attributes, or a run of
// text. Nodes are reference counted: the parent holds one reference to each
// child, and a caller that keeps an element handle holds another, so an
// element taken out of the tree stays valid until its last user lets go.

#include "platform/html/cssstyle.h"
#include "platform/html/htmltags.h"

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

class CHtmlInlineRun;
class CHtmlImage;

// Layout results of one element, in pixels. x and y place the border box
// relative to the border box of the element's containing box.
struct CHtmlBox
{
    int x = 0, y = 0, width = 0, height = 0;
    // Width the element was last laid out for; -1 forces a new layout.
    int layoutWidth = -1;
    int layoutForced = -1, layoutHeight = -1;
    bool layoutShrink = false;
    bool dirty = true;          // this element or something inside changed
    bool flowsValid = false;    // flows match the children
    bool intrinsicValid = false;
    int minWidth = 0, maxWidth = 0;  // content widths for table columns
    int contentHeight = 0;      // height of the content inside the padding box
    int naturalHeight = 0;      // border-box height before a table row stretched it
    int contentOffsetY = 0;     // vertical alignment shift of a table cell's content
    int inkBottom = 0;          // lowest pixel of the box or anything inside, for culling
    int scrollY = 0;            // vertical scroll offset of an overflow box
    bool hasScrollBar = false;
    // An inline element's content holds block-level content: 1 yes, 0 no,
    // -1 not known since the element or its content last changed. Worked
    // out once per element, so nested inline elements take linear time.
    mutable signed char blockContent = -1;
};

// Child flow of a block container: a block-level child element, or a run of
// inline content between block-level children.
struct CHtmlFlow
{
    class CHtmlNode* element = nullptr;
    std::unique_ptr<CHtmlInlineRun> run;
};

class CHtmlNode
{
public:
    enum Kind { Element, Text };

    CHtmlNode(Kind kind, std::string tag);
    CHtmlNode(std::string tag, HtmlTag id);

    void AddRef() { ++m_refs; }
    void Release();

    Kind kind;
    std::string tag;          // lower case; empty for text
    HtmlTag id;               // the tag by number; Other for text and unknown tags
    std::wstring text;        // text node content, character references decoded
    std::vector<std::pair<std::string, std::wstring>> attributes;  // names in lower case

    CHtmlNode* parent = nullptr;
    std::vector<CHtmlNode*> children;  // each holds one reference

    CCssStyle style;
    std::vector<std::pair<std::string, std::wstring>> styleOverrides;  // set at run time
    CHtmlBox box;
    std::vector<CHtmlFlow> flows;       // block containers: laid-out children
    CHtmlImage* image = nullptr;        // img and background, owned by the document's cache
    CHtmlImage* backgroundImage = nullptr;
    class CHtmlDocument* document = nullptr;  // set on the root element only
    bool hovered = false;
    bool checked = false;      // input type=checkbox

    bool IsElement() const { return kind == Element; }
    bool Is(HtmlTag t) const { return id == t; }
    uint32_t TagFlags() const { return HtmlTagFlags(id); }
    const std::wstring* Attribute(const char* name) const;
    void SetAttribute(const char* name, const std::wstring& value);
    bool HasClass(const wchar_t* name, size_t len) const;
    // The type attribute in lower case; "text" without one, as for an input.
    std::wstring InputType() const;
    // Whether the type makes a check box or a radio button.
    bool IsCheckType() const;

    void AppendChild(CHtmlNode* child);          // takes the caller's reference
    void InsertChild(size_t index, CHtmlNode* child);
    void RemoveChildren();                       // releases every child
    CHtmlNode* DetachChild(size_t index);        // the caller gets the reference

    // Marks this element and its ancestors for a new layout.
    void MarkDirty();

    // Number of nodes in this subtree, this one included.
    size_t CountNodes() const;

private:
    ~CHtmlNode();
    long m_refs = 1;
};
