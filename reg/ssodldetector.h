#pragma once
// Support-report records "o21": the shell service objects loaded at start.

#include "reg/detector.h"

class CSsodlDetector : public CDetector
{
public:
    void Detect() override;
};
