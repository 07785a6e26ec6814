#pragma once
// CSkinProgressBar: the skinner of progress bars. Once the control's range,
// position and step are read it keeps them itself and answers the progress
// messages from them (stepping stops at the ends instead of wrapping); the
// control gets them back on detach. Painted from the object's background
// and bar pictures in one of three bar modes; vertical bars are the
// horizontal picture turned.

#include "skin/controls/skincontrol.h"

class CSkinProgressBar : public CSkinControl
{
public:
    enum BarMode { BarStretched = 0, BarRevealed = 1, BarBlocks = 2 };

    explicit CSkinProgressBar(CSkinWnd* parent);

    void Detach() override;
    BOOL Attach(HWND hwnd) override;
    void Paint(HDC dc) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    bool IsEmulating() const { return m_emulating; }
    // The filled length of a bar of that length for the state.
    static int FilledLength(int low, int high, int position, int length);

private:
    void ReadControl();
    void PaintHorizontal(HDC dc, int width, int height);
    void Changed();
    int Clamp(int position) const;

    int m_low;
    int m_high;
    int m_position;
    int m_step;
    bool m_emulating;
};
