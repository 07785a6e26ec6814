#include "reg/xmlrecord.h"

#include <utility>

CNameValuePair::CNameValuePair(std::string name, std::string value)
    : m_name(std::move(name)), m_value(std::move(value))
{
}

CXmlRecord::CXmlRecord(std::string tag) : m_tag(std::move(tag))
{
}

void CXmlRecord::AddField(std::string name, std::string value)
{
    m_fields.emplace_back(std::move(name), std::move(value));
}

std::string CXmlRecord::Write() const
{
    // Built by concatenation: a field may carry a whole scan log.
    std::string text = "\t<" + m_tag + ">\n";
    for (const CNameValuePair& field : m_fields)
    {
        const std::string name = field.GetName();
        text += "\t\t<" + name + ">" + field.GetValue() + "</" + name + ">\n";
    }
    text += "\t</" + m_tag + ">\n";
    return text;
}
