#pragma once
// HTTP GET over a plain socket, bounded in time from the name lookup to the
// last byte and in size (headers and body), whatever the network and the
// server do.
#include "platform/HttpClient.h"

namespace ql::win32 {

class Win32HttpClient final : public HttpClient {
public:
    HttpGetResult Get(const HttpGetRequest& request, HttpBodySink& body) override;
};

}  // namespace ql::win32
