#pragma once
// A server on 127.0.0.1 that takes connections and never answers: requests
// to it cost their whole time-out.

#include <winsock2.h>
#include <windows.h>

#include <string>

struct SilentServer
{
    SilentServer()
    {
        WSADATA wsa;
        WSAStartup(MAKEWORD(2, 2), &wsa);
        listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in addr = {};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        listening = bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof(addr)) == 0 && listen(listener, 4) == 0;
        int len = sizeof(addr);
        getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
        url = "http://127.0.0.1:" + std::to_string(ntohs(addr.sin_port)) + "/never";
    }
    ~SilentServer()
    {
        Close();
        WSACleanup();
    }
    // Drops the connection made meanwhile, and stops listening.
    void Close()
    {
        if (listener == INVALID_SOCKET)
            return;
        fd_set ready;
        FD_ZERO(&ready);
        FD_SET(listener, &ready);
        timeval wait = {2, 0};
        if (select(0, &ready, nullptr, nullptr, &wait) == 1)
            closesocket(accept(listener, nullptr, nullptr));
        closesocket(listener);
        listener = INVALID_SOCKET;
    }
    SOCKET listener;
    bool listening;
    std::string url;
};
