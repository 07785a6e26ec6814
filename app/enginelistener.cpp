#include "app/enginelistener.h"

// The results below are what the engine gets back after the event has been
// forwarded; its firing code does not look at them.

HRESULT CEngineListener::OnQuarantineProgress(INT current, INT total)
{
    if (m_pTarget)
        m_pTarget->FireOnQuarantineProgress(current, total);
    return E_NOTIMPL;
}

HRESULT CEngineListener::OnItemAdded(IQuarantine*, IBackup*)
{
    return E_NOTIMPL;
}

HRESULT CEngineListener::OnItemRemoved(IQuarantine*, IBackup*)
{
    return E_NOTIMPL;
}

HRESULT CEngineListener::OnItemUpdated(IQuarantine*, IBackup*)
{
    return E_NOTIMPL;
}

HRESULT CEngineListener::OnQuaException(ULONG_PTR code)
{
    if (m_pTarget)
        m_pTarget->OnEngineException(code, 0);
    return E_NOTIMPL;
}

HRESULT CEngineListener::OnStartedArea(ScanAreaType area)
{
    if (m_pTarget)
        m_pTarget->FireOnStartedArea(area);
    return E_NOTIMPL;
}

HRESULT CEngineListener::OnCompleteArea(ScanAreaType area)
{
    if (m_pTarget)
        m_pTarget->FireOnCompleteArea(area);
    return E_NOTIMPL;
}

HRESULT CEngineListener::OnScanningFolder(BSTR folder)
{
    if (m_pTarget)
        m_pTarget->FireOnScanningFolder(folder);
    return E_NOTIMPL;
}

HRESULT CEngineListener::OnScanning(ScanAreaType area, ULONG count)
{
    if (m_pTarget)
        m_pTarget->FireOnScanning(area, count);
    return E_NOTIMPL;
}

HRESULT CEngineListener::OnScannerException(ULONG_PTR code)
{
    if (m_pTarget)
        m_pTarget->OnEngineException(code, 1);
    return E_NOTIMPL;
}

HRESULT CEngineListener::OnItemAdded(IThreatCollection*, IThreat*)
{
    return E_NOTIMPL;
}

HRESULT CEngineListener::OnItemRemoved(IThreatCollection*, IThreat*)
{
    return E_NOTIMPL;
}

HRESULT CEngineListener::OnItemUpdated(IThreatCollection*, IThreat*)
{
    return E_NOTIMPL;
}

HRESULT CEngineListener::OnSubItemAdded(IThreatCollection* source, IThreat* threat, ISearchItem* item)
{
    if (m_pTarget)
        m_pTarget->FireOnSubItemAdded(source, threat, item);
    return S_OK;
}

HRESULT CEngineListener::OnSubItemRemoved(IThreatCollection*, IThreat*, ISearchItem*)
{
    return E_NOTIMPL;
}

HRESULT CEngineListener::OnSubItemUpdated(IThreatCollection*, IThreat*, ISearchItem*)
{
    return E_NOTIMPL;
}
