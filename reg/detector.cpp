#include "reg/detector.h"

#include "reg/xmlrecord.h"

CDetector::CDetector()
{
}

CDetector::~CDetector()
{
}

void CDetector::Add(const CXmlRecord& record)
{
    m_result += record.Write();
}
