#pragma once
// Shows the hourglass for the object's lifetime and puts the previous
// cursor back when it ends.

#include <windows.h>

class CWaitCursor
{
public:
    CWaitCursor() : m_hPrevious(::SetCursor(::LoadCursorA(nullptr, IDC_WAIT))) {}
    ~CWaitCursor() { ::SetCursor(m_hPrevious); }
    // Shows the hourglass again after something changed the cursor.
    void Restore() { ::SetCursor(::LoadCursorA(nullptr, IDC_WAIT)); }

private:
    HCURSOR m_hPrevious;

    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};
