#include "skin/markup/markuptokenizer.h"

#include <ctype.h>
#include <stdlib.h>
#include <string.h>

bool IsMarkupBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool IsMarkupWordStart(char c)
{
    return isalnum((unsigned char)c) || c == '.';
}

std::string MarkupLower(std::string text)
{
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = (char)tolower((unsigned char)text[i]);
    return text;
}

MarkupAttributes ParseMarkupAttributes(const std::string& list)
{
    MarkupAttributes attributes;
    size_t i = 0;
    const size_t n = list.size();
    for (;;) {
        while (i < n && !IsMarkupWordStart(list[i]))
            ++i;
        if (i >= n)
            break;
        const size_t nameStart = i;
        while (i < n && !IsMarkupBlank(list[i]) && list[i] != '=')
            ++i;
        std::string name = list.substr(nameStart, i - nameStart);
        size_t look = i;
        while (look < n && IsMarkupBlank(list[look]))
            ++look;
        std::string value;
        if (look < n && list[look] == '=') {
            i = look + 1;
            while (i < n && IsMarkupBlank(list[i]))
                ++i;
            if (i < n && list[i] == '"') {
                const size_t close = list.find('"', i + 1);
                const size_t stop = close == std::string::npos ? n : close;
                value = list.substr(i + 1, stop - i - 1);
                i = close == std::string::npos ? n : close + 1;
            } else {
                const size_t start = i;
                while (i < n && !IsMarkupBlank(list[i]))
                    ++i;
                value = list.substr(start, i - start);
            }
        }
        attributes.push_back(std::make_pair(name, value));
    }
    return attributes;
}

const std::string* FindMarkupAttribute(const MarkupAttributes& attributes, const char* name)
{
    for (size_t i = 0; i < attributes.size(); ++i)
        if (attributes[i].first == name)
            return &attributes[i].second;
    return NULL;
}

int MarkupTag::RepeatCount() const
{
    if (rest.empty() || rest[0] != '=')
        return 1;
    const int count = atoi(rest.c_str() + 1);
    return count < 1 ? 1 : count > MaxRepeatCount ? MaxRepeatCount : count;
}

MarkupTag ParseMarkupTag(const std::string& tagText)
{
    MarkupTag tag;
    tag.closing = false;
    if (tagText == "\n" || tagText == "\t" || tagText == "\r") {
        tag.name = tagText == "\n" ? "br" : tagText == "\t" ? "t" : "\r";
        return tag;
    }
    const std::string text = MarkupLower(tagText);
    size_t i = 0;
    if (i < text.size() && text[i] == '/') {
        tag.closing = true;
        ++i;
    }
    while (i < text.size() && IsMarkupBlank(text[i]))
        ++i;
    const size_t start = i;
    while (i < text.size() && !IsMarkupBlank(text[i]) && text[i] != '=')
        ++i;
    tag.name = text.substr(start, i - start);
    tag.rest = text.substr(i);
    return tag;
}

CMarkupTokenizer::CMarkupTokenizer(const char* begin, const char* end, bool lineBreaks)
    : m_pos(begin), m_end(end), m_lineBreaks(lineBreaks)
{
}

MarkupToken CMarkupTokenizer::Next()
{
    MarkupToken token;
    token.kind = MarkupToken::End;
    for (;;) {
        if (m_pos >= m_end)
            return token;
        const char c = *m_pos;
        if (c == '\n' || c == '\r' || c == '\t') {
            if (token.kind == MarkupToken::Text)
                return token;
            ++m_pos;
            if (!m_lineBreaks)
                continue;
            token.kind = MarkupToken::Tag;
            token.text.assign(1, c);
            return token;
        }
        if (c == '<') {
            if (m_pos + 1 < m_end && m_pos[1] == '<') {
                token.kind = MarkupToken::Text;
                token.text += '<';
                m_pos += 2;
                continue;
            }
            if (token.kind == MarkupToken::Text)
                return token;
            const char* close = (const char*)memchr(m_pos + 1, '>', m_end - m_pos - 1);
            const char* stop = close ? close : m_end;
            token.kind = MarkupToken::Tag;
            token.text.assign(m_pos + 1, stop);
            m_pos = close ? close + 1 : m_end;
            return token;
        }
        const char* run = m_pos;
        while (m_pos < m_end && *m_pos != '<' && *m_pos != '\n' && *m_pos != '\r' && *m_pos != '\t')
            ++m_pos;
        token.kind = MarkupToken::Text;
        token.text.append(run, m_pos);
    }
}
