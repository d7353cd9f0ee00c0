// Quorlan.exe supervising the test program for real: idle sessions closed,
// a pending question answered, a stubborn program ended or left alone,
// surplus sessions asked to close, and active sessions left alone.
#include <doctest/doctest.h>

#include <memory>
#include <string>

#include "WinTestSupport.h"

using namespace ql::test;

namespace {

// First scan after 5 s, the start answer, the idle limit and the closing ticks.
constexpr DWORD kScenarioTimeout = 30000;

struct Scenario {
    ScratchFolder folder;
    std::unique_ptr<TestAppProcess> app;
    std::unique_ptr<QuorlanProcess> quorlan;

    Scenario(const SupervisorSettings& settings, const std::string& className, const std::string& appArguments = "") {
        SupervisorSettings withProgram = settings;
        withProgram.program = className;
        folder.Write("Quorlan.ini", IniText(withProgram));
        app = std::make_unique<TestAppProcess>(folder, className, appArguments);
        REQUIRE(app->Windows().size() >= 1);
        quorlan = std::make_unique<QuorlanProcess>(folder);
        REQUIRE(quorlan->Started());
    }
    std::string Log() const { return folder.Read("Quorlan.exe.Log"); }
};

}  // namespace

TEST_CASE("an idle session is asked to close and goes") {
    Scenario s({"", 2}, "QLIdle");
    const HWND status = s.quorlan->StatusWindow();
    REQUIRE(status != nullptr);
    CHECK(s.app->WaitForExit(kScenarioTimeout));
    // The start message names the slot and the window that receives reports.
    CHECK(s.app->CountEvents("start 0 " + std::to_string(reinterpret_cast<UINT_PTR>(status))) == 1);
    CHECK(s.app->CountEvents("showwindow 1 3") == 1);
    CHECK(s.app->CountEvents("close ") == 1);
}

TEST_CASE("a pending save question is answered by the key script and the session closes") {
    SupervisorSettings settings{"", 2};
    settings.sendKeys = true;
    settings.keyGroup = 2;
    Scenario s(settings, "QLAsk", "--ask-save");
    CHECK(s.app->WaitForExit(kScenarioTimeout));
    CHECK(s.app->CountEvents("answer yes") == 1);
    CHECK(s.Log().find("Standard dialog Window not found") == std::string::npos);
}

TEST_CASE("a program that refuses to close is ended when killing is allowed") {
    SupervisorSettings settings{"", 2};
    settings.closeKill = true;
    Scenario s(settings, "QLStubborn", "--refuse-close");
    CHECK(s.app->WaitForExit(kScenarioTimeout));
    CHECK(s.app->CountEvents("close ") >= 2);  // the close request, then the kill step's own
    CHECK(s.app->ExitCode() == 0);
}

TEST_CASE("a program that refuses to close is asked once per idle period when killing is not allowed") {
    Scenario s({"", 3}, "QLRefuse", "--refuse-close");
    REQUIRE(s.app->WaitForEvent("close ", kScenarioTimeout));
    PumpFor(12000);
    CHECK(s.app->Running());
    const auto closes = s.app->EventTimes("close ");
    REQUIRE(closes.size() >= 2);
    CHECK(closes.size() <= 4);
    for (std::size_t i = 1; i < closes.size(); ++i) CHECK(closes[i] - closes[i - 1] >= 3000);
    CHECK(s.app->CountEvents("showwindow 1 3") == static_cast<int>(closes.size()));
}

TEST_CASE("with one session allowed, one of two new sessions is asked to close, once") {
    SupervisorSettings settings{"", 9999};
    settings.maxSession = 1;
    Scenario s(settings, "QLSurplus", "--windows 2 --refuse-close");
    REQUIRE(s.app->WaitForEvent("close ", 15000));
    PumpFor(11000);  // two more scans
    CHECK(s.app->CountEvents("close ") == 1);
    CHECK(s.app->CountEvents("start ") == 2);
}

TEST_CASE("a session with activity is never closed") {
    // Keys every half second against a 4-second limit: a loaded machine may
    // stall this test a good while without a false closing, and a session
    // whose keys went uncounted is still closed well within the 8 seconds.
    Scenario s({"", 4}, "QLBusy");
    const HWND window = s.app->Windows().at(0);
    REQUIRE(s.app->WaitForEvent("start 0 ", 15000));
    for (int i = 0; i < 16; ++i) {
        PressKey(window, 'K');
        PumpFor(500);
    }
    CHECK(s.app->Running());
    CHECK(s.app->CountEvents("close ") == 0);
    CHECK(s.app->CountEvents("keydown 75") >= 10);
}
