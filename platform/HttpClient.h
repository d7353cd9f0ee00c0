#pragma once
// HTTP GET through the system's internet client: one request, its body
// handed over in chunks as it arrives.
#include <cstddef>
#include <cstdint>

namespace ql {

struct HttpGetRequest {
    const char* userAgent;
    const char* host;
    std::uint16_t port;
    const char* target;  // path and query, already percent-encoded
    // Bound of the whole exchange, from connecting to the last byte read:
    // a server that accepts and then stays silent costs at most this long.
    unsigned timeoutMs;
};

enum class HttpGetResult {
    NoNetwork,     // no connection to any network is possible
    NoSession,     // the client session could not be opened
    NoResponse,    // not connected, not sent, or no response arrived in time
    NotOk,         // a response came with a status other than 200 OK: its body is not read
    BodyCut,       // a response came, but reading its body failed, timed out or was stopped
    BodyComplete,  // the whole body was handed over
};

class HttpBodySink {
public:
    virtual ~HttpBodySink() = default;
    // Takes the next bytes of the body (any bytes, NUL included). False
    // stops the reading: the body is then cut.
    virtual bool Append(const char* bytes, std::size_t count) = 0;
};

class HttpClient {
public:
    virtual ~HttpClient() = default;
    virtual HttpGetResult Get(const HttpGetRequest& request, HttpBodySink& body) = 0;
};

}  // namespace ql
