#pragma once
// Support-report records "o17": the domain and name-server settings of the network interfaces.

#include "reg/detector.h"

class CTcpipDomainDetector : public CDetector
{
public:
    void Detect() override;
};
