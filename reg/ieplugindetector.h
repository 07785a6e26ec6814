#pragma once
// Support-report records "o12": the browser plug-ins by file extension.

#include "reg/detector.h"

class CIEPluginDetector : public CDetector
{
public:
    void Detect() override;
};
