#pragma once
// Support-report records "o5": the control-panel applets hidden by "don't load".

#include "reg/detector.h"

class CControlIniDetector : public CDetector
{
public:
    void Detect() override;
};
