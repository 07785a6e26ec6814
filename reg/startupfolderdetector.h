#pragma once
// Support-report records "o4startup": the shortcuts of the all-users startup
// folder and the programs they start.

#include "reg/detector.h"

class CStartupFolderDetector : public CDetector
{
public:
    // The folder named by the machine's "Common Startup" shell folder.
    CStartupFolderDetector();
    // Another folder of shortcuts.
    explicit CStartupFolderDetector(const std::string& folder);

    void Detect() override;

    // The target of a shortcut file, in its long form and with a leading
    // environment variable expanded; false when it cannot be read.
    static bool ReadShortcutTarget(const std::string& linkPath, std::string& target);

private:
    bool m_useMachineFolder;
    std::string m_folder;
};
