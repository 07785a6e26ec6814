#pragma once
// Base of every page that listens to engine events: it overrides the
// handlers it wants and adds them, with itself, to the application's
// CEngineEventDispatcher. A listener destroyed while pairs of it are still
// registered takes them out of the dispatcher itself.

#include <windows.h>

#include "engine/mothtrap.h"

class CEngineEventDispatcher;

class CEngineEventHandler
{
public:
    CEngineEventHandler();
    virtual ~CEngineEventHandler();

    virtual void OnScanning(ScanAreaType area, ULONG count);
    virtual void OnCompleteArea(ScanAreaType area);
    virtual void OnStartedArea(ScanAreaType area);
    virtual void OnQuarantineProgress(int current, int total);
    virtual void OnSubItemAdded(IThreatCollection* collection, IThreat* threat, ISearchItem* item);
    virtual void OnScanningFolder(BSTR folder);
    virtual void OnQuaException(ULONG_PTR code);

private:
    friend class CEngineEventDispatcher;

    // The dispatcher that holds pairs of this listener, and how many.
    CEngineEventDispatcher* m_pDispatcher;
    int m_nRegistrations;

    CEngineEventHandler(const CEngineEventHandler&) = delete;
    CEngineEventHandler& operator=(const CEngineEventHandler&) = delete;
};
