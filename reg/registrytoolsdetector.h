#pragma once
// Support-report record "o7": whether the registry tools are disabled for the user.

#include "reg/detector.h"

class CRegistryToolsDetector : public CDetector
{
public:
    void Detect() override;
};
