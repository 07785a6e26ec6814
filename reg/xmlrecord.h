#pragma once
// One finding of the support report and its record text:
//   "\t<tag>\n", one "\t\t<name>value</name>\n" per field, "\t</tag>\n".
// Nothing is escaped: the whole record is URL-encoded afterwards.

#include <string>
#include <vector>

class CNameValuePair
{
public:
    CNameValuePair(std::string name, std::string value);

    std::string GetName() const { return m_name; }
    std::string GetValue() const { return m_value; }

private:
    std::string m_name;
    std::string m_value;
};

class CXmlRecord
{
public:
    explicit CXmlRecord(std::string tag);

    // Fields keep the order they were added in; a name may repeat.
    void AddField(std::string name, std::string value);
    std::string Write() const;

private:
    std::vector<CNameValuePair> m_fields;
    std::string m_tag;
};
