#include "platform/win32/Win32HttpClient.h"

#include <windows.h>
#include <wininet.h>

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

void SetOption(HINTERNET handle, DWORD option, DWORD value) {
    ::InternetSetOptionA(handle, option, &value, sizeof value);
}

// The time-outs are set on the connection and request handles: those on the
// session handle are not honoured everywhere, and a silent server would
// then block the thread without end.
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

}  // namespace

HttpGetResult Win32HttpClient::Get(const HttpGetRequest& request, HttpBodySink& body) {
    if (::InternetAttemptConnect(0) != ERROR_SUCCESS) return HttpGetResult::NoNetwork;
    UniqueInternet session(::InternetOpenA(request.userAgent, INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0));
    if (!session) return HttpGetResult::NoSession;

    const Deadline deadline(request.timeoutMs);
    UniqueInternet connection(::InternetConnectA(session.get(), request.host, request.port, nullptr, nullptr,
                                                 INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection) return HttpGetResult::NoResponse;
    BoundWaits(connection.get(), deadline.Left());
    SetOption(connection.get(), INTERNET_OPTION_CONNECT_RETRIES, 1);

    // Nothing cached, no cookies, no dialogs; and no redirect, so the details
    // go to the named server only.
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_PRAGMA_NOCACHE |
                        INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI | INTERNET_FLAG_NO_AUTO_REDIRECT;
    UniqueInternet httpRequest(
        ::HttpOpenRequestA(connection.get(), "GET", request.target, nullptr, nullptr, nullptr, flags, 0));
    if (!httpRequest) return HttpGetResult::NoResponse;
    BoundWaits(httpRequest.get(), deadline.Left());
    if (!::HttpSendRequestA(httpRequest.get(), nullptr, 0, nullptr, 0)) return HttpGetResult::NoResponse;
    return ReadBody(httpRequest.get(), deadline, body);
}

}  // namespace ql::win32
