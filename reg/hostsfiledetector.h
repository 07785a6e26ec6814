#pragma once
// Support-report records "o1": the address and host names of every entry of
// the hosts file.

#include "reg/detector.h"

class CHostsFileDetector : public CDetector
{
public:
    // The system's hosts file.
    CHostsFileDetector();
    // Another file in the hosts format.
    explicit CHostsFileDetector(const std::string& path);

    void Detect() override;

    // The system folder's "drivers\etc\hosts".
    static std::string SystemHostsPath();

private:
    std::string m_path;
};
