#pragma once
// CSkinButton: the skinner of push buttons. It picks one of the Button
// object's six sets (normal, pressed, default, focused, hover, disabled)
// from the button's state, falls back part by part to the normal set,
// shapes the window to the picture and follows the default-button style.

#include "skin/controls/skinbuttonbase.h"

class CSkinButton : public CSkinButtonBase
{
public:
    explicit CSkinButton(CSkinWnd* parent);

    BOOL Attach(HWND hwnd) override;
    CSkinObject* SetSkinObject(CSkinObject* object) override;
    void Paint(HDC dc) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    const SkinButtonState& PushLikeState() const override;

    // The index of the set the button's state picks (CSkinButtonObject's
    // Normal ... Disabled).
    int ChooseState() const;
    bool IsDefault() const { return m_default; }

private:
    bool m_default;
    mutable SkinButtonState m_composed;
};
