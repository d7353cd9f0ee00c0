#include "platform/win32/Win32HttpClient.h"

#include <memory>
#include <string>

#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinsockLibrary.h"
#include "platform/HttpResponseReader.h"

namespace ql::win32 {

namespace {

constexpr int kReadChunk = 4096;

// The time left of the exchange's bound; 0 once it has passed.
class Deadline {
public:
    explicit Deadline(DWORD milliseconds) : m_start(::GetTickCount()), m_length(milliseconds) {}
    DWORD Left() const {
        const DWORD spent = ::GetTickCount() - m_start;
        return spent >= m_length ? 0 : m_length - spent;
    }

private:
    DWORD m_start;
    DWORD m_length;
};

class Lock {
public:
    Lock() { ::InitializeCriticalSection(&m_section); }
    ~Lock() { ::DeleteCriticalSection(&m_section); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;
    void Enter() { ::EnterCriticalSection(&m_section); }
    void Leave() { ::LeaveCriticalSection(&m_section); }

private:
    CRITICAL_SECTION m_section;
};

class Locked {
public:
    explicit Locked(Lock& lock) : m_lock(lock) { m_lock.Enter(); }
    ~Locked() { m_lock.Leave(); }
    Locked(const Locked&) = delete;
    Locked& operator=(const Locked&) = delete;

private:
    Lock& m_lock;
};

bool InSet(const fd_set& set, SOCKET socket) {
    for (u_int i = 0; i < set.fd_count && i < FD_SETSIZE; ++i) {
        if (set.fd_array[i] == socket) return true;
    }
    return false;
}

// Waits until the socket can be read (or written) or the deadline passes.
bool WaitFor(const WinsockLibrary& winsock, SOCKET socket, bool forWriting, const Deadline& deadline) {
    const DWORD left = deadline.Left();
    if (left == 0) return false;
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket, &set);
    fd_set failed;
    FD_ZERO(&failed);
    FD_SET(socket, &failed);
    timeval wait{static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000)};
    const int ready = winsock.select(0, forWriting ? nullptr : &set, forWriting ? &set : nullptr, &failed, &wait);
    return ready > 0 && InSet(set, socket);
}

// One request, shared by the caller and the thread that carries it out. The
// caller waits for the thread at most the request's bound; if the thread is
// still busy then, the caller takes its body sink back and closes the
// connection, which ends any wait of the thread on it at once (a name
// lookup that hangs ends on its own). The copies of the request's texts and
// the outcome live here, so they outlast the caller.
class Exchange final : public HttpBodySink {
public:
    explicit Exchange(const HttpGetRequest& request, HttpBodySink& body)
        : m_userAgent(request.userAgent), m_host(request.host), m_target(request.target), m_port(request.port),
          m_timeoutMs(request.timeoutMs), m_body(&body) {}
    ~Exchange() override { CloseConnection(); }

    HttpGetResult Run();

    // Hands bytes to the caller's sink while the caller still waits.
    bool Append(const char* bytes, std::size_t count) override {
        Locked locked(m_lock);
        return m_body != nullptr && m_body->Append(bytes, count);
    }

    void Finish(HttpGetResult result) {
        Locked locked(m_lock);
        m_result = result;
        m_finished = true;
    }

    // Called by the caller once it stops waiting: the outcome so far. After
    // this the thread no longer touches the caller's sink, and its
    // connection is closed.
    HttpGetResult Abandon() {
        HttpGetResult result = HttpGetResult::NoResponse;
        {
            Locked locked(m_lock);
            m_body = nullptr;
            result = m_finished ? m_result : m_responded ? HttpGetResult::BodyCut : HttpGetResult::NoResponse;
        }
        CloseConnection();
        return result;
    }

    DWORD TimeoutMs() const { return m_timeoutMs; }

private:
    bool Connect(const Deadline& deadline);
    bool SendRequest(const Deadline& deadline);
    HttpGetResult ReadResponse(const Deadline& deadline);
    SOCKET Socket() {
        Locked locked(m_lock);
        return m_socket;
    }
    void CloseConnection() {
        SOCKET socket = INVALID_SOCKET;
        {
            Locked locked(m_lock);
            socket = m_socket;
            m_socket = INVALID_SOCKET;
            m_closed = true;
        }
        if (socket != INVALID_SOCKET) m_winsock.closesocket(socket);
    }
    bool Closed() {
        Locked locked(m_lock);
        return m_closed;
    }
    void MarkResponded() {
        Locked locked(m_lock);
        m_responded = true;
    }

    const std::string m_userAgent;
    const std::string m_host;
    const std::string m_target;
    const unsigned short m_port;
    const DWORD m_timeoutMs;
    WinsockLibrary m_winsock;  // freed with the exchange, after its connection
    Lock m_lock;
    HttpBodySink* m_body;  // null once the caller stopped waiting
    SOCKET m_socket = INVALID_SOCKET;
    bool m_closed = false;  // by the caller: no new connection is made
    bool m_responded = false;
    bool m_finished = false;
    HttpGetResult m_result = HttpGetResult::NoResponse;
};

bool Exchange::Connect(const Deadline& deadline) {
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* found = nullptr;
    const std::string port = std::to_string(m_port);
    if (m_winsock.getaddrinfo(m_host.c_str(), port.c_str(), &hints, &found) != 0 || found == nullptr) return false;
    const std::unique_ptr<addrinfo, decltype(&::freeaddrinfo)> addresses(found, m_winsock.freeaddrinfo);
    SOCKET socket = m_winsock.socket(found->ai_family, found->ai_socktype, found->ai_protocol);
    if (socket == INVALID_SOCKET) return false;
    {
        Locked locked(m_lock);
        if (m_closed) {
            m_winsock.closesocket(socket);
            return false;
        }
        m_socket = socket;
    }
    u_long nonBlocking = 1;
    m_winsock.ioctlsocket(socket, FIONBIO, &nonBlocking);
    if (m_winsock.connect(socket, found->ai_addr, static_cast<int>(found->ai_addrlen)) == 0) return true;
    if (m_winsock.WSAGetLastError() != WSAEWOULDBLOCK) return false;
    return WaitFor(m_winsock, socket, true, deadline);
}

bool Exchange::SendRequest(const Deadline& deadline) {
    // Nothing cached, no cookies, no redirect followed: the details go to the
    // named server only, and the connection ends with the response.
    std::string request = "GET " + m_target + " HTTP/1.1\r\nHost: " + m_host;
    if (m_port != 80) request += ":" + std::to_string(m_port);
    request += "\r\nUser-Agent: " + m_userAgent +
               "\r\nAccept: */*\r\nCache-Control: no-cache\r\nPragma: no-cache\r\nConnection: close\r\n\r\n";
    const SOCKET socket = Socket();
    std::size_t sent = 0;
    while (sent < request.size()) {
        const int count = m_winsock.send(socket, request.data() + sent, static_cast<int>(request.size() - sent), 0);
        if (count > 0) {
            sent += static_cast<std::size_t>(count);
        } else if (count == SOCKET_ERROR && m_winsock.WSAGetLastError() == WSAEWOULDBLOCK) {
            if (!WaitFor(m_winsock, socket, true, deadline)) return false;
        } else {
            return false;
        }
    }
    return true;
}

HttpGetResult Exchange::ReadResponse(const Deadline& deadline) {
    HttpResponseReader reader(*this);
    const SOCKET socket = Socket();
    char buffer[kReadChunk];
    for (;;) {
        if (!WaitFor(m_winsock, socket, false, deadline) || Closed()) break;
        const int count = m_winsock.recv(socket, buffer, sizeof buffer, 0);
        if (count == 0) {
            reader.EndOfStream();
            break;
        }
        if (count < 0) {
            if (m_winsock.WSAGetLastError() == WSAEWOULDBLOCK) continue;
            break;
        }
        const bool more = reader.Take(buffer, static_cast<std::size_t>(count));
        if (reader.Responded()) MarkResponded();
        if (!more) break;
    }
    return reader.Result();
}

HttpGetResult Exchange::Run() {
    if (!m_winsock.Ready()) return HttpGetResult::NoSession;
    const Deadline deadline(m_timeoutMs);
    if (!Connect(deadline) || !SendRequest(deadline)) return HttpGetResult::NoResponse;
    const HttpGetResult result = ReadResponse(deadline);
    CloseConnection();
    return result;
}

DWORD WINAPI RunExchange(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Exchange>> exchange(static_cast<std::shared_ptr<Exchange>*>(parameter));
    (*exchange)->Finish((*exchange)->Run());
    return 0;
}

}  // namespace

// The exchange is read here byte by byte (headers capped as the body is, so
// a server sending header lines without end costs nothing), bounded in time
// from the name lookup to the last byte: a name server that does not
// answer can outlast every wait on a socket, so the exchange runs on a
// thread of its own, and this thread waits for it no longer than the
// request's bound, then closes its connection, which ends the thread.
HttpGetResult Win32HttpClient::Get(const HttpGetRequest& request, HttpBodySink& body) {
    auto exchange = std::make_shared<Exchange>(request, body);
    auto* forThread = new std::shared_ptr<Exchange>(exchange);
    UniqueHandle thread(::CreateThread(nullptr, 0, RunExchange, forThread, 0, nullptr));
    if (!thread) {
        delete forThread;
        return HttpGetResult::NoResponse;
    }
    ::WaitForSingleObject(thread.get(), exchange->TimeoutMs());
    return exchange->Abandon();
}

}  // namespace ql::win32
