#pragma once
// Support-report records "o23": the services of their own process that may interact with the desktop.

#include "reg/detector.h"

class CServiceDetector : public CDetector
{
public:
    void Detect() override;
};
