#pragma once
// Windows Sockets, loaded for as long as one exchange needs it. A release
// check runs once a day at most, and the library, with the helpers it
// brings along, would otherwise stay in the program's memory all its life.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

class WinsockLibrary {
public:
    // Loads the library, finds its functions and starts Windows Sockets 2.2;
    // Ready() tells whether all of that worked.
    WinsockLibrary();
    ~WinsockLibrary();
    WinsockLibrary(const WinsockLibrary&) = delete;
    WinsockLibrary& operator=(const WinsockLibrary&) = delete;

    bool Ready() const { return m_started; }

    // The library's functions, named as it names them; null unless found.
    decltype(&::getaddrinfo) getaddrinfo = nullptr;
    decltype(&::freeaddrinfo) freeaddrinfo = nullptr;
    decltype(&::socket) socket = nullptr;
    decltype(&::closesocket) closesocket = nullptr;
    decltype(&::ioctlsocket) ioctlsocket = nullptr;
    decltype(&::connect) connect = nullptr;
    decltype(&::select) select = nullptr;
    decltype(&::send) send = nullptr;
    decltype(&::recv) recv = nullptr;
    decltype(&::WSAGetLastError) WSAGetLastError = nullptr;

private:
    bool FindFunctions();

    UniqueModule m_module;
    decltype(&::WSACleanup) m_cleanup = nullptr;
    bool m_started = false;
};

}  // namespace ql::win32
