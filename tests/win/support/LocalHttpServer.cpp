#include "LocalHttpServer.h"

#include <ws2tcpip.h>

namespace ql::test {

namespace {

struct WinsockStarted {
    WinsockStarted() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
    }
};

void StartWinsock() { static WinsockStarted started; }

SOCKET ListenOnLoopback(unsigned short& port) {
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (listener == INVALID_SOCKET) return listener;
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = 0;
    int length = sizeof address;
    if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 4) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        closesocket(listener);
        return INVALID_SOCKET;
    }
    port = ntohs(address.sin_port);
    return listener;
}

bool SendAll(SOCKET client, const std::string& data) {
    std::size_t sent = 0;
    while (sent < data.size()) {
        const int count = send(client, data.data() + sent, static_cast<int>(data.size() - sent), 0);
        if (count <= 0) return false;
        sent += static_cast<std::size_t>(count);
    }
    return true;
}

}  // namespace

LocalHttpServer::LocalHttpServer(Behaviour behaviour, std::string body)
    : m_behaviour(behaviour), m_body(std::move(body)) {
    InitializeCriticalSection(&m_lock);
    StartWinsock();
    m_listener = ListenOnLoopback(m_port);
    if (m_listener != INVALID_SOCKET) m_thread = CreateThread(nullptr, 0, ThreadMain, this, 0, nullptr);
}

LocalHttpServer::~LocalHttpServer() {
    InterlockedExchange(&m_stopping, 1);
    // Closing the sockets ends a blocking accept, receive or send at once.
    if (m_listener != INVALID_SOCKET) closesocket(m_listener);
    SetClient(INVALID_SOCKET);
    if (m_thread != nullptr) {
        WaitForSingleObject(m_thread, 5000);
        CloseHandle(m_thread);
    }
    DeleteCriticalSection(&m_lock);
}

std::vector<std::string> LocalHttpServer::RequestLines() const {
    EnterCriticalSection(&m_lock);
    std::vector<std::string> lines = m_requestLines;
    LeaveCriticalSection(&m_lock);
    return lines;
}

std::string LocalHttpServer::Address() const { return "127.0.0.1:" + std::to_string(m_port); }

unsigned short LocalHttpServer::UnusedPort() {
    StartWinsock();
    unsigned short port = 0;
    SOCKET probe = ListenOnLoopback(port);
    if (probe != INVALID_SOCKET) closesocket(probe);
    return port;
}

DWORD WINAPI LocalHttpServer::ThreadMain(void* self) {
    static_cast<LocalHttpServer*>(self)->Serve();
    return 0;
}

void LocalHttpServer::Serve() {
    while (!m_stopping) {
        SOCKET client = accept(m_listener, nullptr, nullptr);
        if (client == INVALID_SOCKET) return;
        SetClient(client);
        Handle(client);
        SetClient(INVALID_SOCKET);
    }
}

// Replaces the connection being served; closing the old one ends any wait on it.
void LocalHttpServer::SetClient(SOCKET client) {
    EnterCriticalSection(&m_lock);
    const SOCKET old = m_client;
    m_client = client;
    LeaveCriticalSection(&m_lock);
    if (old != INVALID_SOCKET && old != client) closesocket(old);
}

// One byte every 200 ms, until the client or the server gives up: each
// wait of the client on its socket ends well within any time-out it set.
void LocalHttpServer::Trickle(SOCKET client) {
    while (!m_stopping && SendAll(client, "x")) Sleep(200);
}

void LocalHttpServer::Handle(SOCKET client) {
    std::string request;
    char buffer[1024];
    while (request.find("\r\n\r\n") == std::string::npos) {
        const int count = recv(client, buffer, sizeof buffer, 0);
        if (count <= 0) return;
        request.append(buffer, static_cast<std::size_t>(count));
    }
    EnterCriticalSection(&m_lock);
    m_requestLines.push_back(request.substr(0, request.find("\r\n")));
    LeaveCriticalSection(&m_lock);

    switch (m_behaviour) {
    case Behaviour::Answer:
    case Behaviour::Unavailable:
        SendAll(client, std::string(m_behaviour == Behaviour::Answer ? "HTTP/1.1 200 OK" : "HTTP/1.1 503 Service Unavailable") +
                            "\r\nContent-Type: text/html\r\nContent-Length: " +
                            std::to_string(m_body.size()) + "\r\nConnection: close\r\n\r\n" + m_body);
        shutdown(client, SD_SEND);
        while (recv(client, buffer, sizeof buffer, 0) > 0) {
        }
        break;
    case Behaviour::Silent:
        while (!m_stopping && recv(client, buffer, sizeof buffer, 0) > 0) {
        }
        break;
    case Behaviour::EndlessBody: {
        if (!SendAll(client, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nConnection: close\r\n\r\n" + m_body)) break;
        const std::string filler(4096, 'x');
        while (!m_stopping && SendAll(client, filler)) {
        }
        break;
    }
    case Behaviour::EndlessHeaders: {
        if (!SendAll(client, "HTTP/1.1 200 OK\r\n")) break;
        std::string lines;
        while (lines.size() < 64 * 1024) lines += "X-Pad: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\r\n";
        while (!m_stopping && SendAll(client, lines)) {
        }
        break;
    }
    case Behaviour::SlowHeaders:
        if (SendAll(client, "HTTP/1.1 200 OK\r\nX-Slow: ")) Trickle(client);
        break;
    case Behaviour::SlowBody:
        if (SendAll(client, "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\nContent-Length: 1000000\r\n\r\n" + m_body)) {
            Trickle(client);
        }
        break;
    }
}

}  // namespace ql::test
