#pragma once
// Helpers of the menu, tooltip and frame tests: message pumps, the popup
// window on screen, and a script of steps run on a timer while a blocking
// menu loop runs.

#include <windows.h>

#include <functional>
#include <vector>

#include "skin/menus/skinhostwnd.h"

inline void Pump()
{
    MSG msg;
    while (PeekMessageA(&msg, NULL, 0, 0, PM_REMOVE))
        DispatchMessageA(&msg);
}

inline void PumpFor(DWORD ms)
{
    const DWORD start = GetTickCount();
    do {
        Pump();
        Sleep(5);
    } while (GetTickCount() - start < ms);
}

// Pumps until the condition holds or the time is up (a loaded machine runs
// timers late); answers the condition.
template <class Condition>
bool PumpUntil(Condition condition, DWORD ms = 3000)
{
    const DWORD start = GetTickCount();
    while (!condition() && GetTickCount() - start < ms)
        PumpFor(10);
    return condition();
}

inline HWND FindPopup()
{
    return FindWindowExA(NULL, NULL, SKIN_POPUP_MENU_CLASS, NULL);
}

// Runs the steps one by one, every 30 ms, from the thread's timer.
class CScript
{
public:
    explicit CScript(std::vector<std::function<void()> > steps) : m_steps(steps), m_next(0)
    {
        Current() = this;
        m_timer = SetTimer(NULL, 0, 30, Tick);
    }
    ~CScript()
    {
        KillTimer(NULL, m_timer);
        Current() = NULL;
    }

private:
    static CScript*& Current()
    {
        static CScript* current = NULL;
        return current;
    }
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        CScript* script = Current();
        if (script && script->m_next < script->m_steps.size())
            script->m_steps[script->m_next++]();
    }
    std::vector<std::function<void()> > m_steps;
    size_t m_next;
    UINT_PTR m_timer;
};
