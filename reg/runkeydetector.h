#pragma once
// Support-report records "o4": the Run values of the machine, then of the user.

#include "reg/detector.h"

class CRunKeyDetector : public CDetector
{
public:
    void Detect() override;
};
