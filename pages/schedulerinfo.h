#pragma once
// The schedule summary on the scheduler page: whether scheduled tasks run at
// all, and for the definitions update, the scheduled scan (quick or full)
// and the program update whether each is on and when it runs. It reads the
// three schedule settings objects, never the page's controls, so it shows
// what was last applied.

#include "ui/dialogcontrolhelper.h"
#include "ui/tooltipdialogex.h"

class CSchedulerInfo : public CToolTipDialogEx, public CDialogControlHelper
{
    DECLARE_DYNAMIC(CSchedulerInfo)

public:
    // Its place in the parent's client area, in pixels.
    enum { Left = 10, Top = 70 };

    explicit CSchedulerInfo(CWnd* pParent);
    ~CSchedulerInfo() override;

    // Creates the panel modeless, hidden, in the parent given at
    // construction; the rectangle is kept, the panel places itself.
    BOOL CreatePage(int left, int top, int right, int bottom) override;
    BOOL OnInitDialog() override;
    // The three captions (section "SchedulerInfo").
    void LoadTexts() override;
    void UpdateLayout() override;
    // Every state and schedule text, from the settings objects as they are.
    void UpdateInfo();

private:
    void SkinControls();
    // The state ("enable"/"disable") and, when on, the schedule in words.
    template <class Settings>
    void ShowSchedule(const Settings& settings, UINT stateId, UINT textId);

    CRect m_rcPage;
};
