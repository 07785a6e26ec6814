#pragma once
// Base of the 21 system detectors of the support report. Detect inspects one
// place of the machine and appends one record per finding to the result
// text; detectors only read, never throw and show nothing.

#include <string>

class CXmlRecord;

class CDetector
{
public:
    CDetector();
    virtual ~CDetector();

    virtual void Detect() = 0;
    const std::string& GetResult() const { return m_result; }

protected:
    void Add(const CXmlRecord& record);

    std::string m_result;

private:
    CDetector(const CDetector&) = delete;
    CDetector& operator=(const CDetector&) = delete;
};
