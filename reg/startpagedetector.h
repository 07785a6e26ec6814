#pragma once
// Support-report records "r0" and "r1": the browser start pages set for the
// machine and for the user.

#include "reg/detector.h"

#include <windows.h>

class CStartPageDetector : public CDetector
{
public:
    void Detect() override;

protected:
    CStartPageDetector(const char* tag, HKEY root);

private:
    const char* m_tag;
    HKEY m_root;
};

class CStartPageMachineDetector : public CStartPageDetector
{
public:
    CStartPageMachineDetector();
};

class CStartPageUserDetector : public CStartPageDetector
{
public:
    CStartPageUserDetector();
};
