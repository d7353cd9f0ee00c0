#include "platform/win32/Win32HttpClient.h"

#include <windows.h>
#include <wininet.h>

#include <memory>
#include <string>

#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

namespace {

using UniqueInternet = UniqueAny<HINTERNET, decltype(&::InternetCloseHandle), ::InternetCloseHandle>;

constexpr DWORD kReadChunk = 4098;

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

// One request, shared by the caller and the thread that carries it out. The
// caller waits for the thread at most the request's bound; if the thread is
// still busy then, the caller takes its body sink back and leaves, and the
// thread finishes on its own (the copies of the request's texts and the
// outcome live here, so they outlast the caller).
class Exchange final : public HttpBodySink {
public:
    explicit Exchange(const HttpGetRequest& request, HttpBodySink& body)
        : m_userAgent(request.userAgent), m_host(request.host), m_target(request.target), m_port(request.port),
          m_timeoutMs(request.timeoutMs), m_body(&body) {}

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
    // this the thread no longer touches the caller's sink.
    HttpGetResult Abandon() {
        Locked locked(m_lock);
        m_body = nullptr;
        if (m_finished) return m_result;
        return m_responded ? HttpGetResult::BodyCut : HttpGetResult::NoResponse;
    }

    DWORD TimeoutMs() const { return m_timeoutMs; }

private:
    void MarkResponded() {
        Locked locked(m_lock);
        m_responded = true;
    }

    const std::string m_userAgent;
    const std::string m_host;
    const std::string m_target;
    const INTERNET_PORT m_port;
    const DWORD m_timeoutMs;
    Lock m_lock;
    HttpBodySink* m_body;  // null once the caller stopped waiting
    bool m_responded = false;
    bool m_finished = false;
    HttpGetResult m_result = HttpGetResult::NoResponse;
};

void SetOption(HINTERNET handle, DWORD option, DWORD value) {
    ::InternetSetOptionA(handle, option, &value, sizeof value);
}

// Each wait on the network is bounded as well, so that a thread left behind
// by its caller still ends, and its connection closes, in most cases. The
// time-outs are set on the connection and request handles: those on the
// session handle are not honoured everywhere.
void BoundWaits(HINTERNET handle, DWORD milliseconds) {
    if (milliseconds == 0) milliseconds = 1;  // 0 would mean no bound at all
    SetOption(handle, INTERNET_OPTION_CONNECT_TIMEOUT, milliseconds);
    SetOption(handle, INTERNET_OPTION_SEND_TIMEOUT, milliseconds);
    SetOption(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, milliseconds);
}

HttpGetResult ReadBody(HINTERNET request, const Deadline& deadline, HttpBodySink& body) {
    char buffer[kReadChunk];
    for (;;) {
        const DWORD left = deadline.Left();
        if (left == 0) return HttpGetResult::BodyCut;
        SetOption(request, INTERNET_OPTION_RECEIVE_TIMEOUT, left);
        DWORD count = 0;
        if (!::InternetReadFile(request, buffer, sizeof buffer, &count)) return HttpGetResult::BodyCut;
        if (count == 0) return HttpGetResult::BodyComplete;
        if (!body.Append(buffer, count)) return HttpGetResult::BodyCut;
    }
}

HttpGetResult Exchange::Run() {
    if (::InternetAttemptConnect(0) != ERROR_SUCCESS) return HttpGetResult::NoNetwork;
    UniqueInternet session(
        ::InternetOpenA(m_userAgent.c_str(), INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session) return HttpGetResult::NoSession;

    const Deadline deadline(m_timeoutMs);
    UniqueInternet connection(::InternetConnectA(session.get(), m_host.c_str(), m_port, nullptr, nullptr,
                                                 INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return HttpGetResult::NoResponse;
    BoundWaits(connection.get(), deadline.Left());
    SetOption(connection.get(), INTERNET_OPTION_CONNECT_RETRIES, 1);

    // Nothing cached, no cookies, no dialogs; and no redirect, so the details
    // go to the named server only.
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                        INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT;
    UniqueInternet httpRequest(
        ::HttpOpenRequestA(connection.get(), "GET", m_target.c_str(), nullptr, nullptr, nullptr, flags, 0));
    if (!httpRequest) return HttpGetResult::NoResponse;
    BoundWaits(httpRequest.get(), deadline.Left());
    if (!::HttpSendRequestA(httpRequest.get(), nullptr, 0, nullptr, 0)) return HttpGetResult::NoResponse;
    MarkResponded();
    return ReadBody(httpRequest.get(), deadline, *this);
}

DWORD WINAPI RunExchange(void* parameter) {
    const std::unique_ptr<std::shared_ptr<Exchange>> exchange(static_cast<std::shared_ptr<Exchange>*>(parameter));
    (*exchange)->Finish((*exchange)->Run());
    return 0;
}

}  // namespace

// WinINet's time-outs bound each wait on the socket, not the exchange: a
// name server that does not answer, or a server that sends its response a
// byte at a time, outlasts them. So the exchange runs on a thread of its
// own, and this thread waits for it no longer than the request's bound.
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
