#pragma once
// Starts tests/app/update_server.py (a host Python program: Wine runs Unix
// programs directly) on 127.0.0.1 with a port of the system's choice, over a
// private root folder that the tests fill with what the service offers. See
// the script for the request forms ("@404", "@stall", "@hang", "@cut").

#include <winsock2.h>
#include <windows.h>

#include <string>
#include <vector>

#include "tests/foundation/temp_folder.h"

class UpdateTestServer
{
public:
    UpdateTestServer()
    {
        const std::string unixRoot = UnixPath(m_root.Path());
        const std::string portFile = m_root.Path() + ".port";
        DeleteFileA(portFile.c_str());
        std::string command = "\"" + DosPath(CW_HOST_PYTHON) + "\" \"" CW_UPDATE_SERVER "\" \"" + unixRoot +
                              "\" \"" + UnixPath(portFile) + "\"";
        STARTUPINFOA si = {};
        si.cb = sizeof(si);
        PROCESS_INFORMATION pi = {};
        std::vector<char> line(command.begin(), command.end());
        line.push_back('\0');
        // Wine starts a Unix program without a usable process handle; the
        // server ends on "@quit", or by itself once the root folder is gone.
        if (CreateProcessA(NULL, line.data(), NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        {
            if (pi.hProcess)
                CloseHandle(pi.hProcess);
            if (pi.hThread)
                CloseHandle(pi.hThread);
        }
        for (DWORD begin = GetTickCount(); GetTickCount() - begin < 30000; Sleep(50))
        {
            std::vector<BYTE> text = TempFolder::Read(portFile);
            if (!text.empty())
            {
                m_port = atoi(std::string(text.begin(), text.end()).c_str());
                break;
            }
        }
        DeleteFileA(portFile.c_str());
    }

    ~UpdateTestServer()
    {
        if (m_port)
            Get("/@quit");
    }

    bool Running() const { return m_port != 0; }
    int Port() const { return m_port; }
    std::string Url(const std::string& path) const
    {
        return "http://127.0.0.1:" + std::to_string(m_port) + path;
    }

    // The root folder (Windows path) and files under it ("liveupdate\\tcw.php").
    const std::string& Root() const { return m_root.Path(); }
    std::string File(const std::string& relative) const { return m_root.Path() + "\\" + relative; }
    void Put(const std::string& relative, const std::vector<BYTE>& bytes) const
    {
        const size_t slash = relative.rfind('\\');
        if (slash != std::string::npos)
            CreateDirectoryA(File(relative.substr(0, slash)).c_str(), NULL);
        TempFolder::Write(File(relative), bytes);
    }
    void Put(const std::string& relative, const std::string& text) const
    {
        Put(relative, std::vector<BYTE>(text.begin(), text.end()));
    }
    void Remove(const std::string& relative) const { DeleteFileA(File(relative).c_str()); }

    // The request targets received so far, as they arrived.
    std::vector<std::string> Requests() const
    {
        std::vector<BYTE> log = TempFolder::Read(File("requests.log"));
        std::vector<std::string> lines;
        std::string line;
        for (BYTE b : log)
        {
            if (b == '\n')
            {
                lines.push_back(line);
                line.clear();
            }
            else
                line += static_cast<char>(b);
        }
        return lines;
    }
    void ClearRequests() const { DeleteFileA(File("requests.log").c_str()); }

    static std::string UnixPath(const std::string& dos)
    {
        typedef char*(CDECL * ToUnix)(LPCWSTR);
        ToUnix toUnix = reinterpret_cast<ToUnix>(
            reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_unix_file_name")));
        if (!toUnix)
            return dos;
        std::wstring wide(dos.begin(), dos.end());
        char* unix = toUnix(wide.c_str());
        if (!unix)
            return dos;
        std::string result = unix;
        HeapFree(GetProcessHeap(), 0, unix);
        return result;
    }

    static std::string DosPath(const std::string& unix)
    {
        std::string dos = "Z:" + unix;
        for (char& c : dos)
            if (c == '/')
                c = '\\';
        return dos;
    }

    // A plain GET with the target exactly as given; the response's status
    // line ("HTTP/1.1 200 OK"), empty when there is none.
    std::string Get(const std::string& target) const
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = htons(static_cast<u_short>(m_port));
        DWORD timeout = 5000;
        setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
        std::string response;
        if (connect(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0)
        {
            std::string request = "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
            send(s, request.data(), static_cast<int>(request.size()), 0);
            char buf[256];
            int n;
            while ((n = recv(s, buf, sizeof(buf), 0)) > 0)
                response.append(buf, n);
        }
        closesocket(s);
        WSACleanup();
        return response.substr(0, response.find("\r\n"));
    }

private:

    TempFolder m_root;
    int m_port = 0;
};

// One update service for all the tests of a suite.
template <class Base>
class WithUpdateServer : public Base
{
protected:
    static void SetUpTestSuite() { s_server = new UpdateTestServer; }
    static void TearDownTestSuite()
    {
        delete s_server;
        s_server = nullptr;
    }
    static UpdateTestServer& server() { return *s_server; }

private:
    static inline UpdateTestServer* s_server = nullptr;
};
