// The HTTP response as the release check reads it from its connection.
#include <doctest/doctest.h>

#include <string>

#include "platform/HttpResponseReader.h"

namespace ql::test {
namespace {

class Collected final : public HttpBodySink {
public:
    explicit Collected(std::size_t limit = 1 << 20) : m_limit(limit) {}
    bool Append(const char* bytes, std::size_t count) override {
        if (text.size() + count > m_limit) return false;
        text.append(bytes, count);
        return true;
    }
    std::string text;

private:
    std::size_t m_limit;
};

// Feeds the response in pieces of the given size; the reader's outcome.
struct Read {
    Read(const std::string& response, std::size_t piece, bool closed, std::size_t limit = 1 << 20) : body(limit) {
        HttpResponseReader reader(body);
        for (std::size_t at = 0; at < response.size() && going; at += piece) {
            going = reader.Take(response.data() + at, std::min(piece, response.size() - at));
        }
        if (closed) reader.EndOfStream();
        result = reader.Result();
        responded = reader.Responded();
    }
    Collected body;
    bool going = true;
    bool responded = false;
    HttpGetResult result = HttpGetResult::NoResponse;
};

TEST_CASE("a body is read whole by its length, to the close, or in chunks, whatever the pieces") {
    for (std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{4096}}) {
        CAPTURE(piece);
        const Read sized("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello and more", piece, false);
        CHECK(sized.result == HttpGetResult::BodyComplete);
        CHECK(sized.body.text == "hello");
        CHECK_FALSE(sized.going);

        const Read toClose("HTTP/1.0 200 OK\r\ncontent-type: text/html\r\n\r\nRELEASE=\"00.56.00\"", piece, true);
        CHECK(toClose.result == HttpGetResult::BodyComplete);
        CHECK(toClose.body.text == "RELEASE=\"00.56.00\"");

        const Read chunked("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n4\r\nRELE\r\nb;x=y\r\nASE=\"00.56\"\r\n0\r\n\r\n",
                           piece, false);
        CHECK(chunked.result == HttpGetResult::BodyComplete);
        CHECK(chunked.body.text == "RELEASE=\"00.56\"");

        const Read empty("HTTP/1.1 200 OK\r\nContent-Length: 0\r\n\r\n", piece, false);
        CHECK(empty.result == HttpGetResult::BodyComplete);
        CHECK(empty.body.text.empty());
    }
}

TEST_CASE("a response cut short, refused by the sink or malformed gives its outcome") {
    CHECK(Read("HTTP/1.1 200 OK\r\nContent-Length: 50\r\n\r\nhello", 7, true).result == HttpGetResult::BodyCut);
    CHECK(Read("HTTP/1.1 200 OK\r\nX-Slow: ab", 1, true).result == HttpGetResult::NoResponse);
    CHECK_FALSE(Read("HTTP/1.1 200 OK\r\nX-Slow: ab", 1, true).responded);
    const Read refused("HTTP/1.1 200 OK\r\n\r\n0123456789", 4, false, 6);
    CHECK(refused.result == HttpGetResult::BodyCut);
    CHECK_FALSE(refused.going);
    CHECK(Read("SSH-2.0-server\r\n\r\nbody", 5, true).result == HttpGetResult::NoResponse);
    CHECK(Read("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\nabc", 5, true).result == HttpGetResult::BodyCut);
}

TEST_CASE("only a 200 status lets the body through; other statuses and malformed status lines do not") {
    const struct {
        const char* statusLine;
        HttpGetResult result;
    } cases[] = {
        {"HTTP/1.1 200 OK", HttpGetResult::BodyComplete},
        {"HTTP/1.0 200", HttpGetResult::BodyComplete},
        {"HTTP/1.1 503 Service Unavailable", HttpGetResult::NotOk},
        {"HTTP/1.1 302 Found", HttpGetResult::NotOk},
        {"HTTP/1.1 404 Not Found", HttpGetResult::NotOk},
        {"HTTP/1.1 204 No Content", HttpGetResult::NotOk},
        {"HTTP/1.1 2000 OK", HttpGetResult::NoResponse},
        {"HTTP/1.1 OK", HttpGetResult::NoResponse},
        {"HTTP/1.1", HttpGetResult::NoResponse},
    };
    for (const auto& c : cases) {
        CAPTURE(c.statusLine);
        const Read read(std::string(c.statusLine) + "\r\nContent-Length: 18\r\n\r\nRELEASE=\"00.56.00\"", 5, true);
        CHECK(read.result == c.result);
        CHECK(read.body.text.empty() == (c.result != HttpGetResult::BodyComplete));
    }
}

TEST_CASE("chunked transfer is recognised whatever the letter case of its header") {
    for (const char* header : {"Transfer-Encoding: chunked", "Transfer-Encoding: Chunked", "TRANSFER-ENCODING: CHUNKED",
                               "Transfer-Encoding:gzip, chunked"}) {
        CAPTURE(header);
        const Read read(std::string("HTTP/1.1 200 OK\r\n") + header + "\r\n\r\n6\r\nRELEAS\r\n0\r\n\r\n", 4, false);
        CHECK(read.result == HttpGetResult::BodyComplete);
        CHECK(read.body.text == "RELEAS");
    }
}

TEST_CASE("header lines without end, or one endless line, stop at the cap") {
    std::string endless = "HTTP/1.1 200 OK\r\n";
    while (endless.size() < 3 * kHttpHeaderCap) endless += "X-Pad: aaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\r\n";
    const Read lines(endless, 512, false);
    CHECK_FALSE(lines.going);
    CHECK(lines.result == HttpGetResult::NoResponse);

    const Read oneLine("HTTP/1.1 200 OK\r\nX-Long: " + std::string(3 * kHttpHeaderCap, 'a'), 1000, false);
    CHECK_FALSE(oneLine.going);
    CHECK(oneLine.result == HttpGetResult::NoResponse);

    // Just within the cap is still a response.
    std::string fits = "HTTP/1.1 200 OK\r\nContent-Length: 2\r\n";
    fits += "X-Pad: " + std::string(kHttpHeaderCap - fits.size() - 7 - 4, 'b') + "\r\n\r\nok";
    const Read within(fits, 4096, false);
    CHECK(within.result == HttpGetResult::BodyComplete);
    CHECK(within.body.text == "ok");

    // A chunk size line without end is no size.
    CHECK(Read("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n" + std::string(1000, '1'), 64, false).result ==
          HttpGetResult::BodyCut);
}

}  // namespace
}  // namespace ql::test
