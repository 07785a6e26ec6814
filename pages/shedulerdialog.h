#pragma once
// The scheduler page: the four scheduled tasks (definitions update, quick
// scan, full scan, program update), one at a time as chosen in the task
// list, with how often and when each runs, and the switch of all schedules.
// The quick and the full scan share one schedule ("scheduled_scan.xml"),
// so applying one replaces the other. Nothing is written before Apply,
// which saves the task's file (and the scan file, which holds the switch),
// rebuilds the scheduler's task list and refreshes the summary panel.

#include <string>

#include "pages/schedulerinfo.h"
#include "ui/dialogcontrolhelper.h"
#include "ui/tooltipdialogex.h"

class CShedulerDialog : public CToolTipDialogEx, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CShedulerDialog)

public:
    // Entries of the task list.
    enum Task
    {
        TaskUpdate = 0,
        TaskQuickScan = 1,
        TaskFullScan = 2,
        TaskUpdateSoft = 3
    };

    explicit CShedulerDialog(CWnd* pParent);
    ~CShedulerDialog() override;

    BOOL CreatePage(int left, int top, int right, int bottom) override;
    BOOL OnInitDialog() override;
    // Enter and Escape do nothing; the folder link shows the link cursor.
    BOOL PreTranslateMessage(MSG* pMsg) override;
    // The captions and the entries of both lists (section "ShedulerDialog"),
    // and the summary panel's texts.
    void LoadTexts() override;
    // The page fills its rectangle.
    void UpdateLayout() override;

    CSchedulerInfo& GetInfo() { return m_info; }
    // Apply is waiting for the scheduled tasks to stop.
    bool IsApplying() const { return m_bApplying; }

protected:
    afx_msg void OnBnClickedApply();
    afx_msg void OnChanged();
    afx_msg void OnTimeChanged(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnTaskChanged();
    afx_msg void OnFrequencyChanged();
    afx_msg void OnDayOfMonthChanged();
    afx_msg void OnSelectFolders();

    DECLARE_MESSAGE_MAP()

private:
    // What the controls show of one schedule.
    struct Schedule
    {
        int scheduleType;
        int dayOfMonth;
        std::string startTime;
        std::string days;
        bool enable;
    };

    template <class Settings>
    static Schedule ScheduleOf(const Settings& settings, bool enable);
    template <class Settings>
    static void Store(const Schedule& schedule, Settings& settings);

    void FillList(UINT id, const char* const keys[], int count);
    int GetSelection(UINT id) const;
    void ShowSelectedTask();
    void ApplyFrequencyLayout();
    void ShowSchedule(const Schedule& schedule);
    // The controls' schedule; a field without a valid control value keeps
    // the stored one.
    Schedule ReadSchedule(const Schedule& stored) const;
    // Stores the shown task and saves its file and the scan file; false
    // when a file could not be written.
    bool SaveSelectedTask();
    // Stops the task threads (the wait keeps messages flowing), lists the
    // enabled tasks anew and starts them.
    void RestartTasks();
    void EnableApply();

    CRect m_rcPage;
    CSchedulerInfo m_info;
    // The task the controls show.
    int m_nShownTask;
    bool m_bApplying;
    // An edit made while Apply waited: Apply comes back enabled.
    bool m_bChangedWhileApplying;
};
