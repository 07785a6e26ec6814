#pragma once
// Support-report records "o15": the domains of the user's security zone map.

#include "reg/detector.h"

class CTrustedDomainDetector : public CDetector
{
public:
    void Detect() override;
};
