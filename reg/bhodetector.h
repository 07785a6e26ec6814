#pragma once
// Support-report records "o2": the browser helper objects.

#include "reg/detector.h"

class CBhoDetector : public CDetector
{
public:
    void Detect() override;
};
