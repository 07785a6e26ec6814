// The single-instance guard across two processes: the test is one copy, the
// helper program the other.

#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/singleinstance.h"
#include "tests/app/app_test_support.h"

namespace {

// A product name no other test or suite uses.
std::string UniqueProduct()
{
    static LONG counter;
    return "CwGuardTest-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(InterlockedIncrement(&counter));
}

// A hidden top-level window: broadcasts reach top-level windows only.
class BroadcastWatcher
{
public:
    explicit BroadcastWatcher(UINT message) : m_message(message)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &BroadcastWatcher::Proc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "CwTestBroadcastWatcher";
        RegisterClassA(&wc);
        m_hwnd = CreateWindowExA(0, wc.lpszClassName, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance,
                                 nullptr);
        SetWindowLongPtrA(m_hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~BroadcastWatcher() { DestroyWindow(m_hwnd); }

    // lParams of the search messages received, in order.
    std::vector<LPARAM> received;
    std::vector<WPARAM> wParams;

private:
    static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        BroadcastWatcher* self = reinterpret_cast<BroadcastWatcher*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
        if (self && msg == self->m_message && msg != 0)
        {
            self->received.push_back(lParam);
            self->wParams.push_back(wParam);
            return 0;
        }
        return DefWindowProcA(hwnd, msg, wParam, lParam);
    }

    UINT m_message;
    HWND m_hwnd;
};

// One run of the helper program.
class HelperCopy
{
public:
    HelperCopy(const std::string& product, const char* mode, DWORD holdMs)
    {
        m_result = m_folder.File("result.txt");
        std::string command = "\"" + std::string(GetModuleFolder()) + "cw_instance_helper.exe\" \"" + product +
                              "\" " + mode + " " + std::to_string(holdMs) + " \"" + m_result + "\"";
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        std::vector<char> line(command.begin(), command.end());
        line.push_back('\0');
        if (CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &m_process))
            CloseHandle(m_process.hThread);
    }
    ~HelperCopy()
    {
        if (m_process.hProcess)
        {
            if (WaitForSingleObject(m_process.hProcess, 30000) != WAIT_OBJECT_0)
                TerminateProcess(m_process.hProcess, 9);
            CloseHandle(m_process.hProcess);
        }
    }

    bool Started() const { return m_process.hProcess != nullptr; }

    // The helper's result line, pumping messages meanwhile; empty on time-out.
    std::string Result(DWORD timeoutMs)
    {
        std::string text;
        PumpUntil(
            [&] {
                std::vector<BYTE> bytes = TempFolder::Read(m_result);
                text.assign(bytes.begin(), bytes.end());
                return !text.empty();
            },
            timeoutMs);
        return text;
    }

    // The exit code, pumping messages meanwhile; 259 on time-out.
    DWORD ExitCode(DWORD timeoutMs)
    {
        PumpUntil([&] { return WaitForSingleObject(m_process.hProcess, 0) == WAIT_OBJECT_0; }, timeoutMs);
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(m_process.hProcess, &code);
        return code;
    }

private:
    TempFolder m_folder;
    std::string m_result;
    PROCESS_INFORMATION m_process = {};
};

int WaitedMs(const std::string& result)
{
    return atoi(result.c_str() + result.find('=') + 1);
}

} // namespace

TEST(SingleInstance, NamesItsMutexAndMessageAfterTheProduct)
{
    const std::string product = UniqueProduct();
    CSingleInstance guard(product.c_str());
    EXPECT_EQ(product + "_MUTEX", guard.GetMutexName());
    EXPECT_EQ(RegisterWindowMessageA((product + "_SEARCH_MESSAGE").c_str()), WM_SEARCH_INSTANCE);
    EXPECT_NE(0u, WM_SEARCH_INSTANCE);
    EXPECT_FALSE(guard.HoldsMutex());

    EXPECT_TRUE(guard.IsFirstInstance());
    EXPECT_TRUE(guard.HoldsMutex());
    EXPECT_TRUE(guard.IsFirstInstance());  // asking again changes nothing
    // Another guard of the same name, even in this process, is second.
    CSingleInstance second(product.c_str());
    EXPECT_FALSE(second.IsFirstInstance());
    EXPECT_FALSE(second.HoldsMutex());
}

TEST(SingleInstance, ASecondCopyIsRefusedAndBroadcastsItsSearch)
{
    const std::string product = UniqueProduct();
    auto guard = std::make_unique<CSingleInstance>(product.c_str());
    BroadcastWatcher watcher(WM_SEARCH_INSTANCE);
    ASSERT_TRUE(guard->IsFirstInstance());

    HelperCopy second(product, "first", 0);
    ASSERT_TRUE(second.Started());
    EXPECT_EQ(1u, second.ExitCode(20000));
    EXPECT_EQ("first=0", second.Result(1000));
    PumpUntil([&] { return !watcher.received.empty(); }, 5000);
    EXPECT_EQ((std::vector<LPARAM>{0}), watcher.received);
    EXPECT_EQ((std::vector<WPARAM>{0}), watcher.wParams);

    // Once the first copy has gone, a new copy is first.
    guard.reset();
    HelperCopy third(product, "first", 0);
    EXPECT_EQ(0u, third.ExitCode(20000));
    EXPECT_EQ("first=1", third.Result(1000));
}

TEST(SingleInstance, RestartGoesOnAtTheNextTryAfterTheOldCopyEnds)
{
    const std::string product = UniqueProduct();
    auto guard = std::make_unique<CSingleInstance>(product.c_str());
    BroadcastWatcher watcher(WM_SEARCH_INSTANCE);
    ASSERT_TRUE(guard->IsFirstInstance());

    HelperCopy restarted(product, "wait", 4000);
    ASSERT_TRUE(restarted.Started());
    PumpUntil([&] { return !watcher.received.empty(); }, 10000);
    EXPECT_EQ((std::vector<LPARAM>{11}), watcher.received);
    PumpFor(1000);
    guard.reset();  // the old copy ends

    const std::string result = restarted.Result(15000);
    ASSERT_EQ(0u, result.find("waited=")) << result;
    EXPECT_NE(std::string::npos, result.find(" holds=1"));
    EXPECT_GE(WaitedMs(result), 900);
    EXPECT_LT(WaitedMs(result), 4500) << "it went on before the tenth try";
    // It keeps the name: a plain start now is refused.
    HelperCopy plain(product, "first", 0);
    EXPECT_EQ(1u, plain.ExitCode(20000));
}

TEST(SingleInstance, RestartGoesOnAfterTenTriesAndStillHoldsTheName)
{
    const std::string product = UniqueProduct();
    auto guard = std::make_unique<CSingleInstance>(product.c_str());
    ASSERT_TRUE(guard->IsFirstInstance());

    HelperCopy restarted(product, "wait", 4000);
    const std::string result = restarted.Result(30000);
    ASSERT_EQ(0u, result.find("waited=")) << result;
    EXPECT_GE(WaitedMs(result), 4900);
    EXPECT_NE(std::string::npos, result.find(" holds=1"));

    // The old copy ends later; the restarted copy still keeps the name.
    guard.reset();
    HelperCopy plain(product, "first", 0);
    EXPECT_EQ(1u, plain.ExitCode(20000));
}

TEST(SingleInstance, RestartWithNoOldCopyKeepsTheMutexAtOnce)
{
    const std::string product = UniqueProduct();
    HelperCopy restarted(product, "wait", 3000);
    const std::string result = restarted.Result(20000);
    ASSERT_EQ(0u, result.find("waited=")) << result;
    EXPECT_LT(WaitedMs(result), 400);
    EXPECT_NE(std::string::npos, result.find(" holds=1"));
    CSingleInstance guard(product.c_str());
    EXPECT_FALSE(guard.IsFirstInstance());
}
