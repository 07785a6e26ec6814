#pragma once
// CSkinTooltip: the one skinned tooltip of the process, in its window of the
// class "SkinToolsTooltip32". The library's start-up creates the window and
// its last exit destroys it. Until a skin sets a Tooltip object it draws
// with its built-in one.

#include <string>

#include "skin/core/skinwnd.h"
#include "skin/objects/skinwindowobjects.h"

class CSkinTooltip : public CSkinWnd
{
public:
    CSkinTooltip();

    void SetInstance(HINSTANCE instance) { m_instance = instance; }
    HINSTANCE GetInstance() const { return m_instance; }
    // A Tooltip object, or NULL for the built-in look; other types are
    // refused (FALSE).
    BOOL SetTooltipObject(CSkinObject* object);
    const CSkinTooltipObject* GetTooltipObject() const;
    const CSkinTooltipObject& GetDefaultObject() const { return m_default; }

    // The text to show at the point (screen coordinates; NULL: the cursor);
    // hides what is shown first. Showing it after the delay and drawing it
    // is the tooltip window's own work.
    void ShowText(LPCSTR text, const POINT* point);
    void Hide();
    const std::string& GetText() const { return m_text; }

private:
    CSkinTooltipObject m_default;
    HINSTANCE m_instance;
    std::string m_text;
    POINT m_anchor;
};
