#pragma once
// A tiny HTTP server on 127.0.0.1 inside the test process, for the release
// check: it answers at once (with 200, or with 503 as an overloaded server
// does), stays silent after accepting, streams a body
// without end, or sends its headers or its body a byte at a time without
// end, or header lines without end as fast as it can. It remembers each
// request line it received.
#include <winsock2.h>
#include <windows.h>

#include <string>
#include <vector>

namespace ql::test {

class LocalHttpServer {
public:
    enum class Behaviour { Answer, Unavailable, Silent, EndlessBody, SlowHeaders, SlowBody, EndlessHeaders };

    explicit LocalHttpServer(Behaviour behaviour, std::string body = "");
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    bool Listening() const { return m_listener != INVALID_SOCKET; }
    unsigned short Port() const { return m_port; }
    std::vector<std::string> RequestLines() const;
    // "127.0.0.1:<port>", the value of the ReleaseServer setting.
    std::string Address() const;

    // A port nobody listens on: connections to it are refused.
    static unsigned short UnusedPort();

private:
    static DWORD WINAPI ThreadMain(void* self);
    void Serve();
    void Handle(SOCKET client);
    void Trickle(SOCKET client);
    void SetClient(SOCKET client);

    Behaviour m_behaviour;
    std::string m_body;
    SOCKET m_listener = INVALID_SOCKET;
    SOCKET m_client = INVALID_SOCKET;
    unsigned short m_port = 0;
    volatile LONG m_stopping = 0;
    HANDLE m_thread = nullptr;
    mutable CRITICAL_SECTION m_lock;
    std::vector<std::string> m_requestLines;
};

}  // namespace ql::test
