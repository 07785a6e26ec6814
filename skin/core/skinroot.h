#pragma once
// CSkinRoot: what every skinner and every caption element has: the skin
// object it draws with (not owned) and a tooltip text, and the way to the
// process's skinned tooltip.

#include <windows.h>

#include <string>

class CSkinObject;

class CSkinRoot
{
public:
    CSkinRoot();
    virtual ~CSkinRoot();

    // Swaps the object and returns the previous one.
    virtual CSkinObject* SetSkinObject(CSkinObject* object);
    virtual std::string GetTooltipText() const { return m_tooltipText; }
    // The look of the tooltip: the current skin's first Tooltip object.
    virtual CSkinObject* FindTooltipObject() const;
    virtual void HideTooltip();
    // Shows the tooltip text at the point (screen coordinates; NULL: the
    // cursor), in the look of the tooltip object.
    virtual void ShowTooltip(const POINT* point);

    CSkinObject* GetSkinObject() const { return m_object; }
    void SetTooltipText(LPCSTR text) { m_tooltipText = text ? text : ""; }

protected:
    CSkinObject* m_object;
    std::string m_tooltipText;

private:
    CSkinRoot(const CSkinRoot&);
    CSkinRoot& operator=(const CSkinRoot&);
};
