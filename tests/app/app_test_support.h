#pragma once
// Shared pieces of the shell's tests: a single-threaded apartment with the
// engine's proxies, message pumping with a bound (the window tests'
// PumpUntil), message boxes recorded, the update-road test data, the debug
// log captured in a folder of the test's own, and a message-only window
// that records what is posted to it.

#include <gtest/gtest.h>
#include <windows.h>
#include <objbase.h>

#include <functional>
#include <string>
#include <vector>

#include "engine/proxystubs.h"
#include "foundation/debuglog.h"
#include "foundation/syshelpers.h"
#include "tests/foundation/temp_folder.h"
#include "tests/platform/mfc/window_test_support.h"

class StaTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        ASSERT_EQ(S_OK, RegisterEngineProxyStubs(&m_proxies));
    }
    void TearDown() override
    {
        RevokeEngineProxyStubs(m_proxies);
        CoUninitialize();
    }

private:
    DWORD m_proxies = 0;
};

// Dispatches this thread's messages for the time given.
inline void PumpFor(DWORD ms)
{
    PumpUntil([] { return false; }, ms);
}

// The framework's message-box seam for the tests
// (AfxSetMessageBoxHandler(&RecordBox)): every box is noted and answered
// IDOK; g_onBox, when set, runs after each.
struct RecordedBox
{
    HWND owner;
    std::string text;
    std::string caption;
    UINT type;
};
inline std::vector<RecordedBox> g_boxes;
inline std::function<void()> g_onBox;

inline int RecordBox(HWND owner, LPCSTR text, LPCSTR caption, UINT type)
{
    g_boxes.push_back({owner, text ? text : "", caption ? caption : "", type});
    if (g_onBox)
        g_onBox();
    return IDOK;
}

// The databases of tests/tools/make_update_testdata.py.
inline std::string UpdateTestData(const char* name)
{
    return std::string(GetModuleFolder()) + "testdata\\update\\" + name;
}

// The debug log goes to a folder of the test's own while this lives.
class DebugLogCapture
{
public:
    DebugLogCapture() { SetDebugLogFolder(m_folder.Path().c_str()); }
    ~DebugLogCapture() { SetDebugLogFolder(nullptr); }

    std::string Text() const
    {
        std::vector<BYTE> bytes = TempFolder::Read(m_folder.File("sdebug.log"));
        return std::string(bytes.begin(), bytes.end());
    }

private:
    TempFolder m_folder;
};

// A message-only window of the calling thread that records the messages
// posted to it at or above WM_USER.
class MessageRecorder
{
public:
    struct Message
    {
        UINT msg;
        WPARAM wParam;
        LPARAM lParam;
    };

    MessageRecorder()
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &MessageRecorder::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "CwTestMessageRecorder";
        RegisterClassA(&wc);
        m_hwnd = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~MessageRecorder() { DestroyWindow(m_hwnd); }

    HWND Handle() const { return m_hwnd; }
    std::vector<Message> messages;
    std::function<void(const Message&)> onMessage;

    size_t Count(UINT msg) const
    {
        size_t n = 0;
        for (const Message& m : messages)
            n += m.msg == msg;
        return n;
    }

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        MessageRecorder* self = reinterpret_cast<MessageRecorder*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self && msg >= WM_USER)
        {
            self->messages.push_back({msg, wParam, lParam});
            if (self->onMessage)
                self->onMessage(self->messages.back());
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }

    HWND m_hwnd;
};

// A registry key the tests plant under HKEY_CURRENT_USER, removed at the end.
class PlantedKey
{
public:
    explicit PlantedKey(const char* path) : m_path(path)
    {
        HKEY key;
        if (RegCreateKeyA(HKEY_CURRENT_USER, path, &key) == ERROR_SUCCESS)
            RegCloseKey(key);
    }
    ~PlantedKey() { RegDeleteKeyA(HKEY_CURRENT_USER, m_path.c_str()); }

private:
    std::string m_path;
};
