#pragma once
// The four scheduled tasks and their schedules, made once per process: the
// quick scan, the full scan, the definitions update and the program update.

#include "app/scheduledtask.h"
#include "foundation/singleton.h"

class CTaskManager;

class CScheduleManager : public CSingleton<CScheduleManager>
{
public:
    CScheduleManager();

    CScanTask* GetQuickScanTask() { return &m_quickScanTask; }
    CScanTask* GetFullScanTask() { return &m_fullScanTask; }
    CUpdateTask* GetUpdateTask() { return &m_updateTask; }
    CUpdateSoftTask* GetUpdateSoftTask() { return &m_updateSoftTask; }

    // Makes the task list what the schedule settings say: takes the four
    // tasks out of it, then, when scheduling is switched on (the
    // scheduled-scan settings' "active"), adds those whose schedule is
    // enabled: the quick or the full scan (by "includePaths"), the
    // definitions update and the program update. Starts and stops nothing.
    void ListEnabledTasks(CTaskManager* tasks);

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
