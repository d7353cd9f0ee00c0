// The release check against a scripted HTTP client: what it sends, what it
// stores and logs, and how each failure leaves the settings.
#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "Recorders.h"
#include "core/Text.h"
#include "release/UpdateRelease.h"
#include "settings/Setup.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeGuidSource.h"
#include "tests/fakes/FakeHttpClient.h"
#include "tests/fakes/FakeProfileStore.h"

namespace ql::test {
namespace {

constexpr const char* kIni = "C:\\Work\\Quorlan.ini";
constexpr std::int64_t kNow = 1800000000;

struct ReleaseWorld {
    // The file is in place before the settings load it.
    explicit ReleaseWorld(const std::string& ini = "") : profile(WithIni(ini)) {}
    static FakeProfileStore WithIni(const std::string& ini) {
        FakeProfileStore store;
        if (!ini.empty()) store.SetText(kIni, ini);
        return store;
    }
    FakeProfileStore profile;
    FakeFileSystem files{"C:\\Work"};
    FakeGuidSource guids;
    TSetup setup{profile, files, guids};
    FakeHttpClient http;
    RecordingLog log;

    bool Update() { return UpdateRelease(setup, http, log, ReadReleaseServer(setup, log), kNow); }
    std::string Ini() const { return profile.Text(kIni); }
};

const char* const kStoredIni =
    "[InternalSetup]\r\nGuid={11111111-2222-3333-4444-555555555555}\r\nActRelease=00.50.00\r\nSinchT=1000\r\n"
    "Upgrade=1\r\n[BasicSetUp]\r\nProgram=Notes & Co #1 \xE9t\xE9\x80\xFF\r\n";

}  // namespace

TEST_CASE("a check sends the encoded installation details and records a newer release") {
    ReleaseWorld world(kStoredIni);
    world.http.chunks = {"<p>RELE", "ASE=\"00.56.00\"</p>"};
    CHECK(world.Update());

    REQUIRE(world.http.requests.size() == 1);
    const auto& sent = world.http.requests[0];
    CHECK(sent.host == "releases.quorlan.example");
    CHECK(sent.port == 80);
    CHECK(sent.userAgent == "anonimous");
    CHECK(sent.timeoutMs == 4000);  // start-up is never held longer than 4 seconds
    CHECK(sent.target ==
          "/Release/Quorlan.php?PROD=Quorlan.exe&GUID=%7B11111111-2222-3333-4444-555555555555%7D"
          "&VERS=00.55.00&APP=Notes%20%26%20Co%20%231%20%E9t%E9%80%FF");

    CHECK(world.log.lines == std::vector<std::string>{"Looking for upgrade", "Program Version :00.55.00",
                                                      "Current Version :00.56.00",
                                                      "Release 00.56.00 available at www.quorlan.example"});
    CHECK(world.setup.SinchT == kNow);
    CHECK(world.setup.Upgrade);
    CHECK(world.Ini().find("ActRelease=00.56.00\r\nSinchT=1800000000\r\nUpgrade=1\r\n") != std::string::npos);
}

TEST_CASE("a release that matches the running one, letter case aside and as a leading part, clears Upgrade") {
    struct Case {
        const char* answer;
        bool upgrade;
    };
    for (const Case c : {Case{"RELEASE=\"00.55.00\"", false}, Case{"RELEASE=\"00.55\"", false},
                         Case{"RELEASE=\"\"", false}, Case{"RELEASE=\"00.55.00 Beta\"", true},
                         Case{"RELEASE=\"00.54.00\"", true}, Case{"RELEASE=\"00.55.0A\"", true}}) {
        CAPTURE(std::string(c.answer));
        ReleaseWorld world(kStoredIni);
        world.http.Answer(c.answer);
        CHECK(world.Update());
        CHECK(world.setup.Upgrade == c.upgrade);
        CHECK(world.Ini().find(c.upgrade ? "Upgrade=1" : "Upgrade=0") != std::string::npos);
        CHECK((world.log.lines.back().rfind("Release ", 0) == 0) == c.upgrade);
    }
}

TEST_CASE("each failure leaves the settings as the failure table says") {
    using Failure = FakeHttpClient::Failure;
    struct Case {
        const char* name;
        Failure failure;
        std::vector<std::string> chunks;
        bool endless;
        bool done;             // the check counts as done: SinchT renewed
        const char* logLine;   // the log line after "Looking for upgrade", if any
    };
    const Case cases[] = {
        {"no network", Failure::NoNetwork, {}, false, false, nullptr},
        {"no session", Failure::NoSession, {}, false, false, "Connect Error"},
        {"no response (refused, silent, unknown host)", Failure::NoResponse, {}, false, false, nullptr},
        {"a status other than 200 (a 503, a portal's redirect)", Failure::NotOk, {"RELEASE=\"00.60.00\""}, false, false,
         "Release check failed: the server did not answer 200 OK"},
        {"read fails midway", Failure::ReadFailsAfterChunks, {"RELEASE=\"00.60.00\""}, false, false,
         "Release check failed: the answer was cut short"},
        {"endless body", Failure::None, {"RELEASE=\"00.60.00\""}, true, false,
         "Release check failed: the answer was cut short"},
        {"empty body", Failure::None, {}, false, false, "Release check failed: the answer holds no release"},
        {"no marker (a portal's page)", Failure::None, {"<html>Sign in to the network</html>"}, false, false,
         "Release check failed: the answer holds no release"},
        {"a value never closed", Failure::None, {"RELEASE=\"00.60.00"}, false, false,
         "Release check failed: the answer holds no release"},
    };
    for (const Case& c : cases) {
        CAPTURE(std::string(c.name));
        ReleaseWorld world(kStoredIni);
        const std::string before = world.Ini();
        world.http.failure = c.failure;
        world.http.chunks = c.chunks;
        world.http.endless = c.endless;
        CHECK(world.Update() == c.done);
        CHECK(std::string(world.setup.ActRelease) == "00.50.00");
        if (c.done) {
            CHECK(world.Ini().find("ActRelease=00.50.00\r\nSinchT=1800000000\r\nUpgrade=1\r\n") != std::string::npos);
        } else {
            CHECK(world.Ini() == before);
            CHECK(world.setup.SinchT == 1000);
            REQUIRE(world.log.lines.size() == (c.logLine ? 2u : 1u));
            if (c.logLine) CHECK(world.log.lines[1] == c.logLine);
        }
        CHECK(world.http.endlessChunksSent * 4096 <= static_cast<int>(ReleaseBody::kDefaultLimit));
    }
}

TEST_CASE("the release server comes from the settings file, which it never writes; a mistyped one is logged") {
    struct Case {
        const char* value;  // nullptr: no key
        bool enabled;
        const char* host;
        unsigned port;
    };
    const Case cases[] = {
        {nullptr, true, "releases.quorlan.example", 80},
        {"", true, "releases.quorlan.example", 80},
        {"updates.corp.local", true, "updates.corp.local", 80},
        {"127.0.0.1:8080", true, "127.0.0.1", 8080},
        {"OFF", false, "", 0},
        {"off", false, "", 0},
        {"host:0", false, "", 0},
        {"host:65536", false, "", 0},
        {"host:80x", false, "", 0},
        {"host:", false, "", 0},
        {":80", false, "", 0},
        {"evil.example/path?x=", false, "", 0},
        {"two words", false, "", 0},
    };
    for (const Case& c : cases) {
        CAPTURE(std::string(c.value ? c.value : "(missing)"));
        const std::string ini = std::string("[AdvancedSetUp]\r\nCloseKill=0\r\n") +
                                (c.value ? std::string("ReleaseServer=") + c.value + "\r\n" : "");
        ReleaseWorld world(ini);
        const ReleaseServer server = ReadReleaseServer(world.setup, world.log);
        CHECK(server.enabled == c.enabled);
        const bool mistyped = !c.enabled && !EqualsNoCase(c.value, "off");
        CHECK(world.log.lines.size() == (mistyped ? 1u : 0u));
        CHECK(std::string(server.host) == c.host);
        CHECK(server.port == c.port);
        world.setup.Save();
        CHECK((world.Ini().find("ReleaseServer") != std::string::npos) == (c.value != nullptr));
    }
}

}  // namespace ql::test
