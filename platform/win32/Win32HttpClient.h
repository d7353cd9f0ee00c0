#pragma once
// HTTP GET through WinINet, bounded in time from connecting to the last
// byte, whatever the network and the server do.
#include "platform/HttpClient.h"

namespace ql::win32 {

class Win32HttpClient final : public HttpClient {
public:
    HttpGetResult Get(const HttpGetRequest& request, HttpBodySink& body) override;
};

}  // namespace ql::win32
