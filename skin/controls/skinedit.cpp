#include "skin/controls/skinedit.h"

#include <richedit.h>

#include "skin/objects/skinobject.h"

CSkinEdit::CSkinEdit(CSkinWnd* parent, int type)
    : CSkinScrollControl(parent, type), m_quietBrush(NULL), m_quietColour(0), m_richBackground(false)
{
}

BOOL CSkinEdit::Attach(HWND hwnd)
{
    if (!CSkinScrollControl::Attach(hwnd))
        return FALSE;
    ApplyRichEditBackground();
    return TRUE;
}

void CSkinEdit::Detach()
{
    if (m_hwnd && m_richBackground)
        SendMessageA(m_hwnd, EM_SETBKGNDCOLOR, TRUE, 0);
    m_richBackground = false;
    if (m_quietBrush)
        DeleteObject(m_quietBrush);
    m_quietBrush = NULL;
    CSkinScrollControl::Detach();
}

CSkinObject* CSkinEdit::SetSkinObject(CSkinObject* object)
{
    CSkinObject* previous = CSkinScrollControl::SetSkinObject(object);
    if (m_hwnd)
        ApplyRichEditBackground();
    return previous;
}

void CSkinEdit::ApplyRichEditBackground()
{
    if (!m_object || m_object->GetType() != sotRichEdit)
        return;
    SendMessageA(m_hwnd, EM_SETBKGNDCOLOR, FALSE, (LPARAM)m_object->m_colour1);
    m_richBackground = true;
}

HBRUSH CSkinEdit::GetControlColour(HDC dc)
{
    if (!m_object || !m_hwnd)
        return NULL;
    const bool quiet = !IsWindowEnabled(m_hwnd) || (GetWindowLongA(m_hwnd, GWL_STYLE) & ES_READONLY);
    SetTextColor(dc, m_object->m_colour2);
    if (!quiet) {
        SetBkColor(dc, m_object->m_colour1);
        return BackgroundBrush();
    }
    if (!m_quietBrush || m_quietColour != m_object->m_colour3) {
        if (m_quietBrush)
            DeleteObject(m_quietBrush);
        m_quietColour = m_object->m_colour3;
        m_quietBrush = CreateSolidBrush(m_quietColour);
    }
    SetBkColor(dc, m_quietColour);
    return m_quietBrush;
}
