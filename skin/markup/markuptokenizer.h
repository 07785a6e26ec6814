#pragma once
// Cutting a marked-up text into text runs and tags, and reading a tag's name,
// attributes and repeat count.

#include <string>
#include <utility>
#include <vector>

typedef std::vector<std::pair<std::string, std::string> > MarkupAttributes;

// The character classes and case folding every markup reader shares: blanks
// part words; a name or selector starts at a letter, digit or ".".
bool IsMarkupBlank(char c);
bool IsMarkupWordStart(char c);
std::string MarkupLower(std::string text);

// An attribute list: name, optional blanks, "=", then a quoted value (quotes
// dropped) or one running to the next blank; a name without "=" has an
// empty value. Names and values are taken as they are.
MarkupAttributes ParseMarkupAttributes(const std::string& list);
// The first attribute of that name, or NULL.
const std::string* FindMarkupAttribute(const MarkupAttributes& attributes, const char* name);

struct MarkupTag
{
    // Repeat counts are cut here, so a hostile count cannot move the pen
    // past what a layout can add up.
    enum { MaxRepeatCount = 1024 };

    bool closing;
    std::string name;  // lower case; a line feed reads as "br", a tab as "t"
    std::string rest;  // what follows the name (the attribute list)

    MarkupAttributes Attributes() const { return ParseMarkupAttributes(rest); }
    // The count written as "=n" straight after the name ("br=2"); 1 when
    // none is given or it is 0, at most MaxRepeatCount.
    int RepeatCount() const;
};

// The text between "<" and ">", lower-cased as a whole.
MarkupTag ParseMarkupTag(const std::string& tagText);

struct MarkupToken
{
    enum Kind { End, Text, Tag };
    Kind kind;
    std::string text;
};

class CMarkupTokenizer
{
public:
    // The range [begin, end) is read; it must outlive the tokenizer. With
    // lineBreaks a line feed, carriage return or tab comes back as a tag of
    // that one character, otherwise they are skipped.
    CMarkupTokenizer(const char* begin, const char* end, bool lineBreaks);

    // A run of text (with "<<" read as "<"), or the text of one tag; a tag
    // without its ">" ends at the end of the range.
    MarkupToken Next();
    const char* Position() const { return m_pos; }

private:
    const char* m_pos;
    const char* m_end;
    bool m_lineBreaks;
};
