#pragma once
// The scheduler's jobs. Each task is linked to a schedule; its thread
// (ScheduleThreadProc) waits for the schedule's timer and calls Run, which
// does the job and ends by arming the schedule for its next run.

#include "app/schedule.h"

class CTaskException : public CMessageException
{
public:
    explicit CTaskException(LPCSTR message) : CMessageException(message) {}
};

class CScheduledTask
{
public:
    enum Group
    {
        ScanGroup = 0,
        UpdateGroup = 1
    };

    CScheduledTask() : m_pSchedule(NULL), m_dwGroup(ScanGroup) {}
    virtual ~CScheduledTask() {}

    virtual void Run() = 0;
    // UI thread, while a stop waits for this task's thread (again and again
    // until it has ended): ends what a run in progress waits for, where that
    // can be ended. Nothing by default.
    virtual void Interrupt() {}
    // Takes what the runs read of the settings (UI thread, before the
    // task's thread starts): the task threads then read no settings.
    virtual void ReadSettings();

    void SetSchedule(CSchedule* schedule) { m_pSchedule = schedule; }
    CSchedule* GetSchedule() const { return m_pSchedule; }
    // The schedule's SetNextRun; throws CTaskException "need to init
    // Schedule first" when there is no schedule.
    BOOL ArmSchedule();
    DWORD GetGroup() const { return m_dwGroup; }

protected:
    CSchedule* m_pSchedule;
    DWORD m_dwGroup;

private:
    CScheduledTask(const CScheduledTask&) = delete;
    CScheduledTask& operator=(const CScheduledTask&) = delete;
};

// The scheduled scan: asks the main window to start the quick or the full
// scan (as the scheduled-scan settings say) and waits until it has ended.
class CScanTask : public CScheduledTask
{
public:
    // How long a run waits for the posted scan to begin.
    enum { ScanStartWaitMs = 10000 };

    CScanTask() : m_bFullScan(FALSE), m_bIncludePaths(true), m_bSettingsRead(false), m_lInterrupted(0) {}

    void Run() override;
    // Ends the wait for a posted scan to begin; a scan that runs is awaited
    // (shutdown stops it first).
    void Interrupt() override;
    void ReadSettings() override;
    void SetFullScan(BOOL fullScan) { m_bFullScan = fullScan; }
    BOOL IsFullScan() const { return m_bFullScan; }

private:
    BOOL m_bFullScan;
    // The scheduled-scan settings' includePaths: the scan kind posted.
    bool m_bIncludePaths;
    bool m_bSettingsRead;
    volatile LONG m_lInterrupted;
};

// The scheduled definitions update (the update page's silent update).
class CUpdateTask : public CScheduledTask
{
public:
    CUpdateTask() : m_lRunning(0) {}

    void Run() override;
    // Cancels the update job of a run in progress.
    void Interrupt() override;

private:
    volatile LONG m_lRunning;
};

// The scheduled program-version check: tells the main window when the
// server offers a newer program.
class CUpdateSoftTask : public CScheduledTask
{
public:
    void Run() override;
    // Stops the version check's download.
    void Interrupt() override;
};
