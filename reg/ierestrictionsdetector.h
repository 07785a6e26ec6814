#pragma once
// Support-report record "o6": whether the browser options are locked for the user.

#include "reg/detector.h"

class CIERestrictionsDetector : public CDetector
{
public:
    void Detect() override;
};
