#include "engine/engineobjects.h"

#include "engine/backup.h"
#include "engine/eventlog.h"
#include "engine/ignorelist.h"
#include "engine/paths.h"
#include "engine/runas.h"
#include "engine/scanner.h"
#include "engine/quarantine.h"
#include "engine/searchitem.h"
#include "engine/threat.h"
#include "engine/threatcollection.h"

BEGIN_OBJECT_MAP(g_engineObjects)
    OBJECT_ENTRY(CLSID_SearchItem, CSearchItem)
    OBJECT_ENTRY(CLSID_Threat, CThreat)
    OBJECT_ENTRY(CLSID_ThreatCollection, CThreatCollection)
    OBJECT_ENTRY(CLSID_Paths, CPaths)
    OBJECT_ENTRY(CLSID_Backup, CBackup)
    OBJECT_ENTRY(CLSID_Log, CLog)
    OBJECT_ENTRY(CLSID_LogRecord, CLogRecord)
    OBJECT_ENTRY(CLSID_IgnoreList, CIgnoreList)
    OBJECT_ENTRY(CLSID_RunAs, CRunAs)
    OBJECT_ENTRY(CLSID_Scanner, CScanner)
    OBJECT_ENTRY(CLSID_Quarantine, CQuarantine)
END_OBJECT_MAP()

CwObjectEntry* EngineObjectMap()
{
    return g_engineObjects;
}

HRESULT EngineCreateInstance(REFCLSID clsid, REFIID iid, void** ppv)
{
    if (!ppv)
        return E_POINTER;
    *ppv = nullptr;
    for (CwObjectEntry* e = g_engineObjects; e->pclsid; ++e)
        if (IsEqualCLSID(*e->pclsid, clsid))
            return e->pfnCreateInstance(nullptr, iid, ppv);
    return CoCreateInstance(clsid, nullptr, kEngineClassContext, iid, ppv);
}
