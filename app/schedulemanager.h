#pragma once
// The four scheduled tasks and their schedules, made once per process: the
// quick scan, the full scan, the definitions update and the program update.

#include "app/scheduledtask.h"
#include "foundation/singleton.h"

class CScheduleManager : public CSingleton<CScheduleManager>
{
public:
    CScheduleManager();

    CScanTask* GetQuickScanTask() { return &m_quickScanTask; }
    CScanTask* GetFullScanTask() { return &m_fullScanTask; }
    CUpdateTask* GetUpdateTask() { return &m_updateTask; }
    CUpdateSoftTask* GetUpdateSoftTask() { return &m_updateSoftTask; }

private:
    CScanTask m_quickScanTask;
    CScanTask m_fullScanTask;
    CUpdateTask m_updateTask;
    CUpdateSoftTask m_updateSoftTask;
    CSettingsSchedule m_quickScanSchedule;
    CSettingsSchedule m_fullScanSchedule;
    CSettingsSchedule m_updateSchedule;
    CSettingsSchedule m_updateSoftSchedule;
};
