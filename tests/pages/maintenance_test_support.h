#pragma once
// Shared pieces of the maintenance pages' tests: a scratch data folder the
// program's paths point at, a parent window that counts the pages' Back
// messages, and a recorder of the message boxes they show.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/appmessages.h"
#include "foundation/syshelpers.h"
#include "platform/mfc/afxwin.h"
#include "tests/foundation/temp_folder.h"
#include "tests/platform/mfc/window_test_support.h"

// GetProductDataFolder() names this folder while the object lives.
class ScratchDataFolder
{
public:
    ScratchDataFolder() { SetEnvironmentVariableA(kDataFolderVariable, m_temp.Path().c_str()); }
    ~ScratchDataFolder() { SetEnvironmentVariableA(kDataFolderVariable, nullptr); }
    std::string File(const char* name) const { return m_temp.File(name); }
    const std::string& Path() const { return m_temp.Path(); }

private:
    TempFolder m_temp;
};

// The scan tab's place: the pages' parent, counting WM_PAGE_BACK.
class CPageParent : public CWnd
{
public:
    CPageParent()
    {
        EnsureCommonControls();
        CreateEx(0, nullptr, "pages", WS_POPUP | WS_VISIBLE, 0, 0, 660, 420, nullptr, nullptr);
    }
    ~CPageParent() override { DestroyWindow(); }
    int backs = 0;

protected:
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_PAGE_BACK)
        {
            ++backs;
            return 0;
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

// Answers every message box with IDOK and keeps its caption and text.
class MessageBoxRecorder
{
public:
    struct Box
    {
        std::string caption, text;
        UINT type;
    };
    MessageBoxRecorder() : m_previous(AfxSetMessageBoxHandler(&Record)) { Boxes().clear(); }
    ~MessageBoxRecorder() { AfxSetMessageBoxHandler(m_previous); }
    static std::vector<Box>& Boxes()
    {
        static std::vector<Box> boxes;
        return boxes;
    }

private:
    static int Record(HWND, LPCSTR text, LPCSTR caption, UINT type)
    {
        Boxes().push_back(Box{caption ? caption : "", text ? text : "", type});
        return IDOK;
    }
    AFX_MESSAGEBOX_HANDLER m_previous;
};
