#pragma once
// Support-report records "o8": the entries added to the browser's context menu.

#include "reg/detector.h"

class CIEMenuExtDetector : public CDetector
{
public:
    void Detect() override;
};
