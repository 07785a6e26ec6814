#pragma once
// Support-report records "o3": the browser toolbars registered for the user.

#include "reg/detector.h"

class CToolbarDetector : public CDetector
{
public:
    void Detect() override;
};
