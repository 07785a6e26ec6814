#include "app/engineeventhandler.h"

#include "app/engineeventdispatcher.h"

CEngineEventHandler::CEngineEventHandler() : m_pDispatcher(NULL), m_nRegistrations(0)
{
}

CEngineEventHandler::~CEngineEventHandler()
{
    if (m_pDispatcher)
        m_pDispatcher->RemoveListener(this);
}

void CEngineEventHandler::OnScanning(ScanAreaType, ULONG)
{
}

void CEngineEventHandler::OnCompleteArea(ScanAreaType)
{
}

void CEngineEventHandler::OnStartedArea(ScanAreaType)
{
}

void CEngineEventHandler::OnQuarantineProgress(int, int)
{
}

void CEngineEventHandler::OnSubItemAdded(IThreatCollection*, IThreat*, ISearchItem*)
{
}

void CEngineEventHandler::OnScanningFolder(BSTR)
{
}

void CEngineEventHandler::OnQuaException(ULONG_PTR)
{
}
