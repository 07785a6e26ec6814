#pragma once
// Simple CSS selectors: type, #id, .class, [attr] and [attr=value], :hover,
// the descendant (blank) and child (>) combinators, and groups (comma).
// Used both by the style sheet and by element selection.

#include <string>
#include <vector>

class CHtmlNode;

class CHtmlSelector
{
public:
    // False when the text is not a selector this engine understands; such a
    // selector matches nothing.
    bool Parse(const std::wstring& text);

    bool Matches(const CHtmlNode* element) const;

    // Specificity of the first alternative: ids, classes and the like, types.
    int Specificity() const;
    bool UsesHover() const { return m_hover; }
    size_t Alternatives() const { return m_groups.size(); }

    // A selector of one alternative cut out of a group, for rule ordering.
    CHtmlSelector Alternative(size_t index) const;

private:
    struct Compound
    {
        std::string tag;  // empty = any
        std::wstring id;
        std::vector<std::wstring> classes;
        std::vector<std::pair<std::string, std::wstring>> attributes;  // value empty with !hasValue
        std::vector<bool> attributeHasValue;
        bool hover = false;
        bool child = false;  // combinator to the compound before it is '>'
    };
    using Chain = std::vector<Compound>;

    static bool MatchCompound(const Compound& c, const CHtmlNode* e);
    static bool MatchChain(const Chain& chain, size_t index, const CHtmlNode* e, int& budget);

    std::vector<Chain> m_groups;
    bool m_hover = false;
};
