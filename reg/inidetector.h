#pragma once
// Support-report records "f0" and "f1": the old INI-file autoruns, key
// "Shell" of section "386enh" of "system.ini" and key "run" of section
// "Explorer" of "win.ini", both in the Windows folder.

#include "reg/detector.h"

class CIniValueDetector : public CDetector
{
public:
    void Detect() override;

    // The Windows folder + "\" + the file name.
    static std::string WindowsFile(const char* fileName);

protected:
    CIniValueDetector(const char* tag, const char* fileName, const char* section, const char* key,
                      const std::string& path);

private:
    const char* m_tag;
    const char* m_fileName;
    const char* m_section;
    const char* m_key;
    std::string m_path;
};

class CSystemIniDetector : public CIniValueDetector
{
public:
    CSystemIniDetector();
    // Reads another file in place of the Windows folder's "system.ini".
    explicit CSystemIniDetector(const std::string& path);
};

class CWinIniDetector : public CIniValueDetector
{
public:
    CWinIniDetector();
    // Reads another file in place of the Windows folder's "win.ini".
    explicit CWinIniDetector(const std::string& path);
};
