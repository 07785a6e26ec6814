#pragma once
// The fixture of the control skinner tests: the colour blocks of
// tests/skin/data/controls.skin installed in the library's manager with
// the built-in skinners, a dialog of the test's own that records what its
// controls tell it, controls made in it, and pictures of what a skinner
// paints.

#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <vector>

#include "skin_test_support.h"
#include "skin/controls/skincontrol.h"
#include "skin/core/skinlibrarystate.h"

inline std::vector<BYTE> ControlsSkinFile(int minor = 18)
{
    return ReadTestFile("testdata\\skin\\controls_1_" + std::to_string(minor) + ".skn");
}

inline bool Contains(const std::vector<int>& codes, int code)
{
    for (int c : codes)
        if (c == code)
            return true;
    return false;
}

// A message the test dialog received from a control.
struct ControlMessage
{
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    int code; // WM_NOTIFY: the notification code
};

class SkinControlsTest : public ::testing::Test
{
public:
    static std::vector<ControlMessage> s_received;

protected:
    void SetUp() override;
    void TearDown() override;

    // A control of the class in the dialog, made before the dialog is
    // skinned (Skin) or after (then skinned by SkinControl).
    HWND Child(LPCSTR cls, LPCSTR text, DWORD style, int x, int y, int w, int h, int id, DWORD exStyle = 0);
    void Skin(LPCSTR object = "Dialog");
    CSkinWnd* SkinnerOf(HWND hwnd) { return m_manager.FindSkinner(hwnd); }
    template <class T> T* Skinner(HWND hwnd) { return dynamic_cast<T*>(SkinnerOf(hwnd)); }
    // What the control's skinner paints, in a picture of its client size.
    void Paint(HWND hwnd, MemoryPicture& picture);
    DWORD PixelOf(HWND hwnd, int x, int y);
    // Runs the thread's queue.
    static void Pump();
    // The messages of a kind the dialog received since the last call.
    std::vector<ControlMessage> Take(UINT message);

    CSkinManager& m_manager = GetSkinManager();
    HWND m_dialog = NULL;
    POINT m_cursor = {0, 0};
};
