#pragma once
// Support-report record "scan": the text of the newest scan log.

#include "reg/detector.h"

#include "platform/mfc/cstringarray.h"

class CScanLogDetector : public CDetector
{
public:
    // The product data folder's "logs".
    CScanLogDetector();
    // Another folder of scan logs.
    explicit CScanLogDetector(const std::string& folder);

    void Detect() override;

private:
    std::string m_folder;
    // The "*.log" files of the folder, newest last.
    CStringArray m_names;
};
