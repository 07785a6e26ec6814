#include "app/schedulemanager.h"

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
