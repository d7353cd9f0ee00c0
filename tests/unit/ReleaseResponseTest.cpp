// Reading the release text out of the server's answer, and bounding it.
#include <doctest/doctest.h>

#include <chrono>
#include <cstring>
#include <random>
#include <string>

#include "release/ReleaseResponse.h"

namespace ql::test {
namespace {

constexpr const char* kBefore = "previous";

struct ParseCase {
    const char* name;
    std::string body;
    const char* expected;  // kBefore: left as it was
};

std::string Quoted(std::size_t length) { return "RELEASE=\"" + std::string(length, '7') + "\""; }

}  // namespace

TEST_CASE("the release text is read from the answer's layouts and left alone otherwise") {
    using namespace std::string_literals;
    const ParseCase cases[] = {
        {"plain", "RELEASE=\"00.56.00\"", "00.56.00"},
        {"inside a page", "<html><body>RELEASE=\"00.56.00\"</body></html>\r\n", "00.56.00"},
        {"attribute layout", "<item name=\"RELEASE\" value=\"01.00.00\"/>", "01.00.00"},
        {"blanks around the equals sign", "RELEASE = \"00.57.00\"", "00.57.00"},
        {"empty value", "RELEASE=\"\"", ""},
        {"first marker counts", "RELEASE=\"1\" RELEASE=\"2\"", "1"},
        {"equals sign in the value restarts it", "RELEASE=\"ab=cd\"", "cd"},
        {"lower-case marker", "release=\"00.56.00\"", kBefore},
        {"no marker", "VERSION=\"00.56.00\"", kBefore},
        {"no equals sign", "RELEASE \"00.56.00\"", kBefore},
        {"no quote", "RELEASE=00.56.00", kBefore},
        {"no closing quote", "RELEASE=\"00.56.00", kBefore},
        {"empty body", "", kBefore},
        {"31 characters", Quoted(31), "7777777777777777777777777777777"},
        {"32 characters", Quoted(32), kBefore},
        {"300 characters", Quoted(300), kBefore},
        {"NUL before the marker ends the text", "abc\0RELEASE=\"00.56.00\""s, kBefore},
        {"NUL inside the value ends the text", "RELEASE=\"00.5\0\"6.00\""s, kBefore},
        {"quote too far from the marker does not close", "RELEASE" + std::string(30, ' ') + "=\"x\"", kBefore},
        {"quote just near enough closes", "RELEASE" + std::string(22, ' ') + "=\"x\"", "x"},
        {"garbage", "\x01\xff\"=\"RELEASE\xfe=\xff\"\x80\"", "\x80"},
    };
    for (const ParseCase& c : cases) {
        CAPTURE(std::string(c.name));
        char release[kReleaseTextCapacity];
        std::strcpy(release, kBefore);
        const bool written = ParseRelease(c.body, release);
        CHECK(std::string(release) == c.expected);
        CHECK(written == (std::strcmp(c.expected, kBefore) != 0));
    }
}

TEST_CASE("the body is collected up to its first NUL and cut beyond its bound") {
    ReleaseBody body(10);
    CHECK(body.Append("RELE", 4));
    CHECK(body.Append("ASE\0xy", 6));
    CHECK(body.Text() == "RELEASE");
    CHECK_FALSE(body.Append("z", 1));  // the 11th byte
    CHECK(body.Text() == "RELEASE");

    ReleaseBody endless;
    const std::string chunk(4098, 'x');
    std::size_t accepted = 0;
    while (endless.Append(chunk.data(), chunk.size())) accepted += chunk.size();
    CHECK(accepted <= ReleaseBody::kDefaultLimit);
    CHECK(endless.Text().size() <= ReleaseBody::kDefaultLimit);
}

// Random bodies, mostly built from the characters the parser reacts to,
// under the sanitizers: the release buffer is guarded on both sides, and
// whatever is written is a terminated text of at most 31 characters.
TEST_CASE("fuzz: no body makes the parser write outside its 32 bytes") {
    std::mt19937 random(20261207);
    const char alphabet[] = {'R', 'E', 'L', 'A', 'S', '=', '"', ' ', '0', '.', '\0', 'x', '\xff', '\n'};
    // A fixed number of bodies, however slow the machine; more while time is left.
    constexpr int kLeastRuns = 2000;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(800);
    int runs = 0;
    while (runs < kLeastRuns || std::chrono::steady_clock::now() < deadline) {
        std::string body;
        const std::size_t length = random() % 200;
        for (std::size_t i = 0; i < length; ++i) {
            const unsigned pick = random() % 10;
            if (pick < 6) body += alphabet[random() % sizeof alphabet];
            else if (pick < 8) body += "RELEASE";
            else body += static_cast<char>(random() % 256);
        }
        struct Guarded {
            char before[16];
            char release[kReleaseTextCapacity];
            char after[16];
        } guarded;
        std::memset(&guarded, 0x5A, sizeof guarded);
        std::strcpy(guarded.release, kBefore);
        const bool written = ParseRelease(body, guarded.release);
        const std::size_t textLength = strnlen(guarded.release, sizeof guarded.release);
        REQUIRE(textLength < sizeof guarded.release);
        if (!written) REQUIRE(std::string(guarded.release) == kBefore);
        for (std::size_t i = 0; i < sizeof guarded.before; ++i) {
            REQUIRE(guarded.before[i] == 0x5A);
            REQUIRE(guarded.after[i] == 0x5A);
        }
        ++runs;
    }
    MESSAGE("parser fuzz runs: " << runs);
}

}  // namespace ql::test
