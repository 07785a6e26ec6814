#pragma once
// A scripted HTTP/1.1 server on 127.0.0.1 (port chosen by the system) that
// serves one connection at a time on its own thread and records every request.
//   /ok        200, Content-Length, OkBody()
//   /missing   404
//   /nolength  200 without Content-Length, body until the connection closes
//   /cut       200 announcing 20,000 bytes, closes after 5,000
//   /paced     200, Content-Length, PacedBody() in chunks 30 ms apart
//   /slow      200 announcing 50,000,000 bytes, 10,024-byte chunks 20 ms apart
//   /silent    200 announcing 50,000 bytes, 100 of them, then nothing until
//              the client goes away
//   /mute      no answer at all until the client goes away
//   anything else (a POST target)  200 "ok", or the status SetDefaultStatus gave
// Every response closes its connection.

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class HttpTestServer
{
public:
    struct Request
    {
        std::string head;  // request line and headers, up to the blank line
        std::string body;

        std::string Line() const { return head.substr(0, head.find("\r\n")); }
        // The header lines of the request, each without its CRLF.
        std::vector<std::string> Headers() const
        {
            std::vector<std::string> lines;
            size_t at = head.find("\r\n");
            while (at != std::string::npos && at + 2 < head.size())
            {
                size_t end = head.find("\r\n", at + 2);
                lines.push_back(head.substr(at + 2, end == std::string::npos ? std::string::npos : end - at - 2));
                at = end;
            }
            return lines;
        }
        bool HasHeader(const std::string& line) const
        {
            for (const std::string& h : Headers())
                if (h == line)
                    return true;
            return false;
        }
    };

    HttpTestServer()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        m_listen = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        addr.sin_port = 0;
        bind(m_listen, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
        listen(m_listen, 8);
        int len = sizeof(addr);
        getsockname(m_listen, reinterpret_cast<sockaddr*>(&addr), &len);
        m_port = ntohs(addr.sin_port);
        m_thread = std::thread([this] { Serve(); });
    }

    ~HttpTestServer()
    {
        m_stop = true;
        m_thread.join();
        closesocket(m_listen);
        WSACleanup();
    }

    int Port() const { return m_port; }
    std::string Url(const char* path) const { return "http://127.0.0.1:" + std::to_string(m_port) + path; }

    // The status line of the answer to any other path, e.g. "500 Internal Server Error".
    void SetDefaultStatus(const std::string& status)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_defaultStatus = status;
    }

    std::vector<Request> Requests()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_requests;
    }

    static std::string Pattern(size_t n, int seed)
    {
        std::string s(n, '\0');
        for (size_t i = 0; i < n; ++i)
            s[i] = static_cast<char>((i * 131 + seed + (i >> 8)) & 0xFF);
        return s;
    }
    static std::string OkBody() { return Pattern(30000, 1); }
    static std::string PacedBody() { return Pattern(5 * 10024, 2); }
    static std::string NoLengthBody() { return Pattern(7000, 3); }

    // A port on which nothing listens: bound once by the system, then freed.
    static int ClosedPort()
    {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(s, reinterpret_cast<sockaddr*>(&addr), sizeof(addr));
        int len = sizeof(addr);
        getsockname(s, reinterpret_cast<sockaddr*>(&addr), &len);
        closesocket(s);
        WSACleanup();
        return ntohs(addr.sin_port);
    }

private:
    void Serve()
    {
        while (!m_stop)
        {
            fd_set set;
            FD_ZERO(&set);
            FD_SET(m_listen, &set);
            timeval tv = {0, 20000};
            if (select(0, &set, NULL, NULL, &tv) <= 0)
                continue;
            SOCKET s = accept(m_listen, NULL, NULL);
            if (s == INVALID_SOCKET)
                continue;
            DWORD timeout = 5000;
            setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof(timeout));
            Request r;
            if (ReadRequest(s, r))
            {
                {
                    std::lock_guard<std::mutex> lock(m_mutex);
                    m_requests.push_back(r);
                }
                Respond(s, r);
            }
            shutdown(s, SD_SEND);
            closesocket(s);
        }
    }

    static bool ReadRequest(SOCKET s, Request& r)
    {
        std::string data;
        char buf[4096];
        size_t end;
        while ((end = data.find("\r\n\r\n")) == std::string::npos)
        {
            int n = recv(s, buf, sizeof(buf), 0);
            if (n <= 0)
                return false;
            data.append(buf, n);
        }
        r.head = data.substr(0, end + 2);
        r.body = data.substr(end + 4);
        size_t length = 0;
        for (const std::string& h : r.Headers())
        {
            if (_strnicmp(h.c_str(), "Content-Length:", 15) == 0)
                length = strtoul(h.c_str() + 15, NULL, 10);
        }
        while (r.body.size() < length)
        {
            int n = recv(s, buf, sizeof(buf), 0);
            if (n <= 0)
                return false;
            r.body.append(buf, n);
        }
        return true;
    }

    static bool SendAll(SOCKET s, const std::string& data)
    {
        size_t at = 0;
        while (at < data.size())
        {
            int n = send(s, data.data() + at, static_cast<int>(data.size() - at), 0);
            if (n <= 0)
                return false;
            at += n;
        }
        return true;
    }

    static std::string Head(const char* status, long long length)
    {
        std::string h = std::string("HTTP/1.1 ") + status + "\r\nConnection: close\r\nContent-Type: application/octet-stream\r\n";
        if (length >= 0)
            h += "Content-Length: " + std::to_string(length) + "\r\n";
        return h + "\r\n";
    }

    void Respond(SOCKET s, const Request& r)
    {
        std::string line = r.Line();
        std::string path = line.substr(line.find(' ') + 1);
        path = path.substr(0, path.find(' '));
        path = path.substr(0, path.find('?'));

        if (path == "/ok")
            SendAll(s, Head("200 OK", 30000) + OkBody());
        else if (path == "/missing")
            SendAll(s, Head("404 Not Found", 9) + "not found");
        else if (path == "/nolength")
            SendAll(s, Head("200 OK", -1) + NoLengthBody());
        else if (path == "/cut")
            SendAll(s, Head("200 OK", 20000) + Pattern(5000, 4));
        else if (path == "/silent" || path == "/mute")
        {
            if (path == "/silent" && !SendAll(s, Head("200 OK", 50000) + Pattern(100, 6)))
                return;
            char buf[256];
            while (!m_stop)
            {
                fd_set set;
                FD_ZERO(&set);
                FD_SET(s, &set);
                timeval tv = {0, 20000};
                if (select(0, &set, NULL, NULL, &tv) > 0 && recv(s, buf, sizeof(buf), 0) <= 0)
                    break;
            }
        }
        else if (path == "/paced" || path == "/slow")
        {
            const bool paced = path == "/paced";
            const std::string body = paced ? PacedBody() : Pattern(10024, 5);
            if (!SendAll(s, Head("200 OK", paced ? static_cast<long long>(body.size()) : 50000000LL)))
                return;
            for (size_t at = 0; !m_stop; at += 10024)
            {
                if (paced && at >= body.size())
                    break;
                if (!SendAll(s, body.substr(paced ? at : 0, 10024)))
                    break;
                Sleep(paced ? 30 : 20);
            }
        }
        else
        {
            std::string status;
            {
                std::lock_guard<std::mutex> lock(m_mutex);
                status = m_defaultStatus;
            }
            SendAll(s, Head(status.c_str(), 2) + "ok");
        }
    }

    SOCKET m_listen = INVALID_SOCKET;
    int m_port = 0;
    std::atomic<bool> m_stop{false};
    std::mutex m_mutex;
    std::vector<Request> m_requests;
    std::string m_defaultStatus = "200 OK";
    std::thread m_thread;
};
