// The command-line check prints what the program would collect.

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

namespace {

// Runs the tool next to this test program and returns what it printed.
std::string RunTool(const std::string& arguments, DWORD* exitCode)
{
    char module[MAX_PATH];
    GetModuleFileNameA(NULL, module, MAX_PATH);
    *strrchr(module, '\\') = '\0';
    std::string command = "\"" + std::string(module) + "\\cw_diag_tool.exe\" " + arguments;

    SECURITY_ATTRIBUTES inherit = {sizeof(inherit), NULL, TRUE};
    HANDLE readEnd, writeEnd;
    CreatePipe(&readEnd, &writeEnd, &inherit, 0);
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOA start = {};
    start.cb = sizeof(start);
    start.dwFlags = STARTF_USESTDHANDLES;
    start.hStdOutput = writeEnd;
    start.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    std::string output;
    *exitCode = 999;
    if (CreateProcessA(NULL, &command[0], NULL, NULL, TRUE, 0, NULL, NULL, &start, &process))
    {
        CloseHandle(writeEnd);
        // Reads only what is there, so a tool that hangs ends the wait at the
        // deadline instead of blocking the read; the pipe breaks when it exits.
        const DWORD started = GetTickCount();
        DWORD available = 0;
        while (PeekNamedPipe(readEnd, NULL, 0, NULL, &available, NULL))
        {
            if (available > 0)
            {
                char buffer[4096];
                DWORD read = 0;
                if (!ReadFile(readEnd, buffer, available < sizeof(buffer) ? available : sizeof(buffer), &read, NULL))
                    break;
                output.append(buffer, read);
            }
            else if (GetTickCount() - started > 60000)
            {
                TerminateProcess(process.hProcess, 999);
                break;
            }
            else
            {
                Sleep(10);
            }
        }
        WaitForSingleObject(process.hProcess, 10000);
        GetExitCodeProcess(process.hProcess, exitCode);
        CloseHandle(process.hProcess);
        CloseHandle(process.hThread);
    }
    else
    {
        CloseHandle(writeEnd);
    }
    CloseHandle(readEnd);
    return output;
}

} // namespace

TEST(DiagnosticsTool, PrintsTheSystemInformationAndTheDetectorRecords)
{
    DWORD code = 0;
    const std::string info = RunTool("sysinfo OS Memory", &code);
    EXPECT_EQ(0u, code);
    EXPECT_EQ(0u, info.find("OS Version = Microsoft Windows ")) << info;
    EXPECT_NE(std::string::npos, info.find("Total physical memory : "));

    const std::string records = RunTool("detectors", &code);
    EXPECT_EQ(0u, code);
    EXPECT_EQ(0u, records.find("\t<process>\n")) << records.substr(0, 500);
    EXPECT_NE(std::string::npos, records.find("\t<o6>\n"));

    RunTool("nonsense", &code);
    EXPECT_EQ(2u, code);
}
