#pragma once
// Running the real program (TelminCleanwarden.exe) in the test prefix: a
// copy in a folder with blanks in its name with its Lang folder, a data
// folder of the test's own (the program is pointed to it by
// CLEANWARDEN_DATA_FOLDER), and the program's windows seen from outside:
// its main window and its message boxes, read and answered like a user.

#include "tests/app/com_server_support.h"
#include "tests/foundation/temp_folder.h"

#include <string>

// The folder the program's data goes to while this lives; the variable is
// inherited by the processes started meanwhile.
class DataFolderOverride
{
public:
    explicit DataFolderOverride(const std::string& folder) { SetEnvironmentVariableA(kDataFolderVariable, folder.c_str()); }
    ~DataFolderOverride() { SetEnvironmentVariableA(kDataFolderVariable, nullptr); }
};

struct ProgramWindow
{
    HWND hwnd = nullptr;
    std::string title;
    std::string text;  // a message box's text
};

struct WindowSearch
{
    DWORD processId;
    const char* windowClass;
    std::string title;
    HWND found;
};

inline BOOL CALLBACK MatchProcessWindow(HWND hwnd, LPARAM param)
{
    WindowSearch* s = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    char cls[64] = "", text[256] = "";
    GetClassNameA(hwnd, cls, sizeof(cls));
    GetWindowTextA(hwnd, text, sizeof(text));
    if (pid == s->processId && IsWindowVisible(hwnd) && lstrcmpiA(cls, s->windowClass) == 0 &&
        (s->title.empty() || s->title == text))
    {
        s->found = hwnd;
        return FALSE;
    }
    return TRUE;
}

// The first visible top-level window of the process of that class ("#32770"
// for dialogs and message boxes) whose title is the given one (any when
// empty).
inline HWND FindProcessWindow(DWORD processId, const char* windowClass, const std::string& title = "")
{
    WindowSearch search = {processId, windowClass, title, nullptr};
    EnumWindows(&MatchProcessWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Waits (boundedly) for such a window; null when none came.
inline HWND WaitForProcessWindow(DWORD processId, const char* windowClass, const std::string& title,
                                 DWORD timeoutMs = 60000)
{
    for (DWORD begin = GetTickCount(); GetTickCount() - begin < timeoutMs; Sleep(100))
        if (HWND hwnd = FindProcessWindow(processId, windowClass, title))
            return hwnd;
    return nullptr;
}

// A message box of the process, with its caption and text; waits for it.
inline ProgramWindow WaitForMessageBox(DWORD processId, const std::string& caption = "", DWORD timeoutMs = 60000)
{
    ProgramWindow box;
    box.hwnd = WaitForProcessWindow(processId, "#32770", caption, timeoutMs);
    if (!box.hwnd)
        return box;
    char text[1024] = "";
    GetWindowTextA(box.hwnd, text, sizeof(text));
    box.title = text;
    // The message text is the box's static control 0xFFFF.
    text[0] = '\0';
    GetDlgItemTextA(box.hwnd, 0xFFFF, text, sizeof(text));
    box.text = text;
    return box;
}

// Presses the button of a message box (IDOK, IDYES, IDNO).
inline void AnswerMessageBox(HWND box, int button)
{
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, button)));
}

// The program copied with its languages, and a data folder for it.
class ProgramInstall
{
public:
    ProgramInstall() : m_program("TelminCleanwarden", "Telmin Cleanwarden Program")
    {
        m_ready = m_program.Copied() && m_program.AddBuiltFile("Lang\\English.ini");
        m_dataFolder = m_data.Path() + "\\Telmin\\Cleanwarden\\";
    }

    bool Ready() const { return m_ready; }
    const ServerCopy& Program() const { return m_program; }
    // "<temp folder>\Telmin\Cleanwarden\": not there until made.
    const std::string& DataFolder() const { return m_dataFolder; }
    std::string DataFile(const char* name) const { return m_dataFolder + name; }
    void MakeDataFolder() const
    {
        CreateDirectoryA((m_data.Path() + "\\Telmin").c_str(), nullptr);
        CreateDirectoryA(m_dataFolder.c_str(), nullptr);
    }
    // The build's signature database planted into the data folder.
    bool PlantDefinitions() const
    {
        MakeDataFolder();
        return CopyFileA((std::string(GetModuleFolder()) + "definitions.bin").c_str(),
                         DataFile("definitions.bin").c_str(), FALSE) != FALSE;
    }
    std::string DebugLog() const
    {
        std::vector<BYTE> bytes = TempFolder::Read(m_program.File("sdebug.log"));
        return std::string(bytes.begin(), bytes.end());
    }

private:
    ServerCopy m_program;
    TempFolder m_data;
    std::string m_dataFolder;
    bool m_ready;
};
