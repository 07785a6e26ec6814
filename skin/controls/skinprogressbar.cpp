#include "skin/controls/skinprogressbar.h"

#include <commctrl.h>

#include "skin/controls/skincontrolhelpers.h"
#include "skin/draw/skindrawutils.h"
#include "skin/draw/skinimagepart.h"
#include "skin/draw/skinmemdc.h"
#include "skin/objects/skincontrolobjects.h"

CSkinProgressBar::CSkinProgressBar(CSkinWnd* parent)
    : CSkinControl(parent, sotProgressBar), m_low(0), m_high(100), m_position(0), m_step(10), m_emulating(false)
{
}

BOOL CSkinProgressBar::Attach(HWND hwnd)
{
    if (!CSkinControl::Attach(hwnd))
        return FALSE;
    PostMessageA(hwnd, WM_SKIN_READ_PROGRESS, 0, 0);
    return TRUE;
}

void CSkinProgressBar::Detach()
{
    if (m_hwnd && m_emulating) {
        CallSaved(PBM_SETRANGE32, (WPARAM)m_low, (LPARAM)m_high);
        CallSaved(PBM_SETPOS, (WPARAM)m_position, 0);
        CallSaved(PBM_SETSTEP, (WPARAM)m_step, 0);
    }
    m_emulating = false;
    CSkinControl::Detach();
}

void CSkinProgressBar::ReadControl()
{
    if (m_emulating)
        return;
    // Locals: the control may paint (and so read itself) while measured.
    const int low = (int)CallSaved(PBM_GETRANGE, TRUE, 0);
    const int high = (int)CallSaved(PBM_GETRANGE, FALSE, 0);
    const int position = (int)CallSaved(PBM_GETPOS, 0, 0);
    // The control tells its step where it can; one that cannot is measured
    // by a step from the middle of its range, where a step of up to half
    // the range, either way, does not wrap.
    int step = (int)CallSaved(PBM_GETSTEP, 0, 0);
    if (step == 0 && high > low) {
        const int middle = low + (high - low) / 2;
        CallSaved(PBM_SETPOS, (WPARAM)middle, 0);
        CallSaved(PBM_STEPIT, 0, 0);
        step = (int)CallSaved(PBM_GETPOS, 0, 0) - middle;
        CallSaved(PBM_SETPOS, (WPARAM)position, 0);
    }
    m_low = low;
    m_high = high;
    m_position = position;
    m_step = step;
    m_emulating = true;
    SetWindowPos(m_hwnd, NULL, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    RepaintNow();
}

int CSkinProgressBar::Clamp(int position) const
{
    if (position > m_high)
        position = m_high;
    return position < m_low ? m_low : position;
}

void CSkinProgressBar::Changed()
{
    RepaintNow();
}

int CSkinProgressBar::FilledLength(int low, int high, int position, int length)
{
    if (high <= low || position <= low)
        return 0;
    if (position >= high)
        return length;
    return (int)((double)(position - low) * length / (high - low));
}

void CSkinProgressBar::PaintHorizontal(HDC dc, int width, int height)
{
    const CSkinProgressObject* object = ObjectOfType<CSkinProgressObject>(m_object, sotProgressBar);
    if (!object)
        return;
    CSkinStore* store = GetStore();
    const RECT whole = {0, 0, width, height};
    DrawSkinNineGrid(store, dc, whole, object->m_background, object->m_colour1, TRUE, FALSE);
    const int filled = FilledLength(m_low, m_high, m_position, width);
    if (filled <= 0)
        return;
    const RECT bar = {0, 0, filled, height};
    switch (object->m_words[0]) {
    case BarRevealed: {
        CSkinMemDC full(dc, width, height);
        if (!full.IsValid())
            return;
        DrawSkinNineGrid(store, full, whole, object->m_bar, object->m_colour2, TRUE, FALSE);
        BitBlt(dc, 0, 0, filled, height, full, 0, 0, SRCCOPY);
        break;
    }
    case BarBlocks: {
        const int block = RectWidth(object->m_bar.source);
        if (block <= 0)
            break;
        for (int x = 0; x + block <= filled; x += block) {
            const RECT r = {x, 0, x + block, height};
            DrawSkinNineGrid(store, dc, r, object->m_bar, object->m_colour2, TRUE, FALSE);
        }
        break;
    }
    default:
        if (IsGridEmpty(object->m_bar))
            FillSolidRect(dc, bar, object->m_colour2);
        else
            DrawSkinNineGrid(store, dc, bar, object->m_bar, object->m_colour2, TRUE, FALSE);
        break;
    }
}

void CSkinProgressBar::Paint(HDC dc)
{
    if (!m_emulating) {
        // Not taken over yet: the control's own values.
        m_low = (int)CallSaved(PBM_GETRANGE, TRUE, 0);
        m_high = (int)CallSaved(PBM_GETRANGE, FALSE, 0);
        m_position = (int)CallSaved(PBM_GETPOS, 0, 0);
    }
    RECT client;
    GetClientRect(m_hwnd, &client);
    if (!(GetWindowLongA(m_hwnd, GWL_STYLE) & PBS_VERTICAL)) {
        PaintHorizontal(dc, client.right, client.bottom);
        return;
    }
    // A vertical bar fills from the bottom: the horizontal picture turned.
    CSkinMemDC flat(dc, client.bottom, client.right);
    if (!flat.IsValid())
        return;
    PaintHorizontal(flat, client.bottom, client.right);
    DrawTurned(dc, 0, 0, flat, client.bottom, client.right, 270);
}

LRESULT CSkinProgressBar::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_SKIN_READ_PROGRESS) {
        ReadControl();
        return 0;
    }
    if (message == WM_SKIN_SAVE_FONT)
        return 0;
    if (message == WM_NCPAINT) {
        const CSkinProgressObject* object = ObjectOfType<CSkinProgressObject>(m_object, sotProgressBar);
        if (object && DrawNonClientGrid(m_hwnd, GetStore(), object->m_background, object->m_colour1))
            return 0;
        return CSkinControl::WindowProc(message, wParam, lParam);
    }
    if (!m_emulating)
        return CSkinControl::WindowProc(message, wParam, lParam);
    const int previous = m_position;
    switch (message) {
    case PBM_SETRANGE: case PBM_SETRANGE32: {
        const LRESULT old = MAKELRESULT(LOWORD(m_low), LOWORD(m_high));
        if (message == PBM_SETRANGE) {
            m_low = LOWORD(lParam);
            m_high = HIWORD(lParam);
        } else {
            m_low = (int)wParam;
            m_high = (int)lParam;
        }
        m_position = Clamp(m_position);
        Changed();
        return old;
    }
    case PBM_SETPOS:
        m_position = Clamp((int)wParam);
        Changed();
        return previous;
    case PBM_DELTAPOS:
        m_position = Clamp(m_position + (int)wParam);
        Changed();
        return previous;
    case PBM_SETSTEP: {
        const int old = m_step;
        m_step = (int)wParam;
        return old;
    }
    case PBM_STEPIT:
        m_position = Clamp(m_position + m_step);
        Changed();
        return previous;
    case PBM_GETRANGE:
        if (lParam) {
            ((PBRANGE*)lParam)->iLow = m_low;
            ((PBRANGE*)lParam)->iHigh = m_high;
        }
        return wParam ? m_low : m_high;
    case PBM_GETPOS:
        return m_position;
    case PBM_GETSTEP:
        return m_step;
    case PBM_SETBARCOLOR: case PBM_SETBKCOLOR:
        return CLR_DEFAULT;
    default:
        return CSkinControl::WindowProc(message, wParam, lParam);
    }
}
