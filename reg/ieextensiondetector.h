#pragma once
// Support-report records "o9": the extra buttons of the browser.

#include "reg/detector.h"

class CIEExtensionDetector : public CDetector
{
public:
    void Detect() override;
};
