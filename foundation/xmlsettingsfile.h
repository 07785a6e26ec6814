#pragma once
// Base of the settings files: one XML document in memory, loaded with a
// fall-back to the class's built-in default and saved without ever leaving a
// half-written file behind. Nothing here throws; results report failure.

#include "tinyxml.h"

#include <string>

class CXmlSettingsFile
{
public:
    CXmlSettingsFile();
    virtual ~CXmlSettingsFile();

    // Writes the document to a temporary file beside path and moves it over
    // path; on any failure the temporary file is removed and path untouched.
    virtual bool Save(std::string path);
    // Loads path. A missing or malformed file is replaced by the default
    // document; a file that exists but cannot be read now is left alone and
    // the default is used in memory. Only the first five successful calls on
    // one object return true.
    virtual bool Load(std::string path);
    virtual void CreateDefault() = 0;

protected:
    void SetAttribute(TiXmlElement* element, const std::string& name, const std::string& value);
    void SetIntAttribute(TiXmlElement* element, const std::string& name, int value);
    void SetBoolAttribute(TiXmlElement* element, const std::string& name, bool value);
    // A missing attribute is first added with the fallback text.
    void GetStringAttribute(TiXmlElement* element, const std::string& name,
                            const std::string& fallback, std::string& out);
    // Leading blanks, an optional sign and the leading decimal digits; 0
    // without digits. Values beyond the 32-bit range saturate at INT_MIN or
    // INT_MAX.
    void GetIntAttribute(TiXmlElement* element, const std::string& name,
                         const std::string& fallback, int& out);
    // True exactly for "true".
    void GetBoolAttribute(TiXmlElement* element, const std::string& name,
                          const std::string& fallback, bool& out);

    // The first element of that name directly under the document, or NULL.
    TiXmlElement* FindRoot(const char* name);
    // The start of every settings class's Load: the base Load, then the
    // root to read. A file without the root is rewritten from the default
    // and loaded again through the virtual Load (the base's attempt count
    // bounds this); NULL then, with that Load's result in result.
    TiXmlElement* LoadRoot(const std::string& path, const char* rootName, bool& result);
    // Clears the document and parses text into it.
    void ParseDefault(const char* text);

    static int ParseLeadingInt(const char* text);

    int m_nLoadCount;
    TiXmlDocument m_document;

private:
    bool WriteDocument(const std::string& path) const;
};
