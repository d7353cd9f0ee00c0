#pragma once
// An HTTP client that answers from a script: it can fail at each stage the
// real one can, hand a body over in chunks, fail midway through it, or
// stream without end (until the sink refuses more). It records every request.
#include <string>
#include <vector>

#include "platform/HttpClient.h"

namespace ql::test {

class FakeHttpClient final : public HttpClient {
public:
    struct Recorded {
        std::string userAgent, host, target;
        unsigned port = 0;
        unsigned timeoutMs = 0;
    };

    enum class Failure { None, NoNetwork, NoSession, NoResponse, NotOk, ReadFailsAfterChunks };

    HttpGetResult Get(const HttpGetRequest& request, HttpBodySink& body) override {
        requests.push_back({request.userAgent, request.host, request.target, request.port, request.timeoutMs});
        switch (failure) {
        case Failure::NoNetwork: return HttpGetResult::NoNetwork;
        case Failure::NoSession: return HttpGetResult::NoSession;
        case Failure::NoResponse: return HttpGetResult::NoResponse;
        case Failure::NotOk: return HttpGetResult::NotOk;
        default: break;
        }
        for (const std::string& chunk : chunks) {
            if (!body.Append(chunk.data(), chunk.size())) return HttpGetResult::BodyCut;
        }
        if (failure == Failure::ReadFailsAfterChunks) return HttpGetResult::BodyCut;
        if (endless) {
            const std::string filler(4096, 'x');
            for (;;) {
                if (!body.Append(filler.data(), filler.size())) return HttpGetResult::BodyCut;
                if (++endlessChunksSent > kEndlessGuard) return HttpGetResult::BodyComplete;
            }
        }
        return HttpGetResult::BodyComplete;
    }

    void Answer(const std::string& text) { chunks = {text}; }

    Failure failure = Failure::None;
    std::vector<std::string> chunks;
    bool endless = false;
    int endlessChunksSent = 0;
    std::vector<Recorded> requests;

private:
    // A sink that never refuses would make "endless" loop for ever: stop
    // after far more than any sane bound (1 GiB), so such a test fails instead.
    static constexpr int kEndlessGuard = 262144;
};

}  // namespace ql::test
