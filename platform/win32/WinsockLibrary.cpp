#include "platform/win32/WinsockLibrary.h"

namespace ql::win32 {

namespace {

template <typename Function>
bool Find(HMODULE module, const char* name, Function& function) {
    function = reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
    return function != nullptr;
}

}  // namespace

WinsockLibrary::WinsockLibrary() : m_module(::LoadLibraryA("ws2_32.dll")) {
    if (!m_module || !FindFunctions()) return;
    decltype(&::WSAStartup) startup = nullptr;
    WSADATA data;
    m_started = Find(m_module.get(), "WSAStartup", startup) && startup(MAKEWORD(2, 2), &data) == 0;
}

// The library is freed after this, as the module handle goes.
WinsockLibrary::~WinsockLibrary() {
    if (m_started) m_cleanup();
}

bool WinsockLibrary::FindFunctions() {
    const HMODULE module = m_module.get();
    return Find(module, "getaddrinfo", getaddrinfo) && Find(module, "freeaddrinfo", freeaddrinfo) &&
           Find(module, "socket", socket) && Find(module, "closesocket", closesocket) &&
           Find(module, "ioctlsocket", ioctlsocket) && Find(module, "connect", connect) &&
           Find(module, "select", select) && Find(module, "send", send) && Find(module, "recv", recv) &&
           Find(module, "WSAGetLastError", WSAGetLastError) && Find(module, "WSACleanup", m_cleanup);
}

}  // namespace ql::win32
