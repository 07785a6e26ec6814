#pragma once
// CSkinTooltip: the one skinned tooltip of the process, in its window of the
// class "SkinToolsTooltip32". Control skinners hand it a text and a point
// when the pointer rests on a control; after the initial delay it shows the
// text (marked up, drawn by its CMarkupTextDrawer) beside the pointer, and
// hides after the display time or when the pointer leaves it. The look comes
// from the skin's "Tooltip" object: the nine-part frame of its shape, colour
// 3 as background, the delays, the preferred position and a style sheet.

#include <string>

#include "skin/markup/markuptextdrawer.h"
#include "skin/menus/skinhostwnd.h"
#include "skin/objects/skinwindowobjects.h"

// What gives the tooltip its text at the moment it is shown. A provider
// that goes away stops being asked: its destructor clears it from the
// tooltip (skinners also call ForgetProvider when they detach).
class CSkinTooltipProvider
{
public:
    virtual ~CSkinTooltipProvider();
    virtual std::string GetTooltipTextAt(POINT screen) = 0;
};

class CSkinTooltip : public CSkinHostWnd
{
public:
    enum { DelayTimer = 1000, DisplayTimer = 1010 };

    CSkinTooltip();
    ~CSkinTooltip() override;

    BOOL Create(HWND parent);
    void Destroy();
    void SetInstance(HINSTANCE instance);
    // A Tooltip object gives its look and style sheet; NULL or another type
    // puts the built-in look back (FALSE for another type).
    BOOL SetTooltipObject(CSkinObject* object);
    CSkinObject* SetSkinObject(CSkinObject* object) override;
    const CSkinTooltipObject* GetTooltipObject() const;
    const CSkinTooltipObject& GetDefaultObject() const { return m_default; }

    void SetTextProvider(CSkinTooltipProvider* provider) { m_provider = provider; }
    CSkinTooltipProvider* GetTextProvider() const { return m_provider; }
    // Clears the provider, and hides the tooltip, when it is that one.
    void ForgetProvider(CSkinTooltipProvider* provider);
    // Anchors at the point (the cursor when NULL), hides, keeps the text and
    // starts the initial delay unless the text is empty.
    void ShowText(const std::string& text, const POINT* point);
    void SetText(const std::string& text) { m_text = text; }
    const std::string& GetText() const { return m_text; }
    void Hide();
    CMarkupTextDrawer& GetTextDrawer() { return m_drawer; }
    POINT GetAnchor() const { return m_anchor; }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void Show();
    void PaintClient(HDC picture, const RECT& client) override;

    CSkinTooltipProvider* m_provider;
    POINT m_anchor;
    bool m_tracking;
    CMarkupTextDrawer m_drawer;
    std::string m_text;
    CSkinTooltipObject m_default;
};

// The rectangle of a tooltip of that size at the anchor in one of the eight
// positions (0 below right, 1 below centred, 2 below left, 3 right, 4 left,
// 5 above right, 6 above centred, 7 above left; others as 0).
RECT SkinTooltipRectAt(POINT anchor, SIZE size, int position);
// The preferred position when it lies inside the work area, else the first
// of 0 to 7 that does, else position 7.
RECT ChooseSkinTooltipRect(POINT anchor, SIZE size, int preferred, const RECT& work);
