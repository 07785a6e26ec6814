#include "app/schedulemanager.h"

#include "app/taskmanager.h"
#include "foundation/scheduledscansettings.h"
#include "foundation/scheduledupdatesettings.h"
#include "foundation/scheduledupdatesoftsettings.h"

CScheduleManager::CScheduleManager()
    : m_quickScanSchedule(QUICK_SCAN_SCHEDULE_NAME),
      m_fullScanSchedule(FULL_SCAN_SCHEDULE_NAME),
      m_updateSchedule(UPDATE_SCHEDULE_NAME),
      m_updateSoftSchedule(UPDATE_SOFT_SCHEDULE_NAME)
{
    m_fullScanTask.SetFullScan(TRUE);
    m_fullScanTask.SetSchedule(&m_fullScanSchedule);
    m_quickScanTask.SetSchedule(&m_quickScanSchedule);
    m_updateTask.SetSchedule(&m_updateSchedule);
    m_updateSoftTask.SetSchedule(&m_updateSoftSchedule);
}

void CScheduleManager::ListEnabledTasks(CTaskManager* tasks)
{
    tasks->RemoveTask(&m_fullScanTask);
    tasks->RemoveTask(&m_quickScanTask);
    tasks->RemoveTask(&m_updateTask);
    tasks->RemoveTask(&m_updateSoftTask);
    const CScheduledScanSettings* scan = CScheduledScanSettings::Instance();
    if (!scan->GetActive())
        return;
    if (scan->GetEnable())
        tasks->AddTask(scan->GetIncludePaths() ? &m_fullScanTask : &m_quickScanTask);
    if (CScheduledUpdateSettings::Instance()->GetEnable())
        tasks->AddTask(&m_updateTask);
    if (CScheduledUpdateSoftSettings::Instance()->GetEnable())
        tasks->AddTask(&m_updateSoftTask);
}
