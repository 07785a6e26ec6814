#pragma once
// Computes the style of every element: the defaults of its tag, the
// presentational attributes (bgcolor, width, align, cellpadding, ...), the
// page's style sheet in order of specificity, the style attribute, and the
// properties set at run time, in that order.

#include "platform/html/htmlselector.h"

#include <string>
#include <vector>

class CHtmlNode;
struct CCssStyle;

class CHtmlStyler
{
public:
    // Adds the rules of a style sheet text; @-rules are skipped.
    void AddStyleSheet(const std::wstring& css);
    void Clear();
    bool UsesHover() const { return m_hover; }

    // Styles an element and everything inside it from its parent's style.
    void StyleTree(CHtmlNode* element);

    // Runtime properties of an element (HTMLayoutSetStyleAttribute and the
    // script's style changes), kept over restyling.
    static void SetOverride(CHtmlNode* element, const std::string& name, const std::wstring& value);

private:
    struct Rule
    {
        CHtmlSelector selector;
        int specificity;
        size_t order;
        std::wstring declarations;
    };
    void StyleElement(CHtmlNode* e, const CCssStyle* parent);
    void StyleChildren(CHtmlNode* e, int depth);

    std::vector<Rule> m_rules;
    bool m_hover = false;
};
