// Quorlan.exe supervising the test program for real: idle sessions closed,
// a pending question answered, a stubborn program ended or left alone,
// surplus sessions asked to close, and active sessions left alone; idle
// sessions warned first; and the record of each action in the log and in
// the event log (which Wine shows only as a trace: no event source is
// registered here, and that must change nothing else).
#include <doctest/doctest.h>

#include <algorithm>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "ClosingScenario.h"

using namespace ql::test;

namespace {

using Scenario = ClosingScenario;

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
    // The record: found (with the account it runs as), the closing begun, closed.
    REQUIRE(s.WaitForLog("Session closed: \"Test Session 1\"", 15000));
    const std::string found = "Session found: \"Test Session 1\" (process " + std::to_string(s.app->Id()) + ", user ";
    const std::vector<std::string> events = s.Events();
    REQUIRE(events.size() == 3);
    CHECK(events[0].rfind(found, 0) == 0);
    CHECK(events[0].find("user unknown") == std::string::npos);
    s.CheckRecorded(events[0]);
    s.CheckRecorded("Closing begun: \"Test Session 1\" was not used for 2 s");
    s.CheckRecorded("Session closed: \"Test Session 1\"");
}

TEST_CASE("an idle session is warned; a click on the balloon and a key keep it; left alone it closes at its limit") {
    SupervisorSettings settings{"", 8};
    settings.warning = 4;
    Scenario s(settings, "QLWarned", "--title Invoice");
    const HWND window = s.app->Windows().at(0);
    const HWND status = s.quorlan->StatusWindow();
    REQUIRE(status != nullptr);
    const std::string shown = "Warning shown for \"Invoice 1\": \"Invoice 1\" closes in 4 s unless it is used.";
    const std::string withdrawn = "Warning withdrawn: \"Invoice 1\" was used";
    const auto count = [&](const std::string& text) { return s.LogCount(text); };

    // The first warning; the shell tells a click on the balloon as the icon's callback.
    REQUIRE(WaitUntil([&] { return count(shown) == 1; }, kScenarioTimeout));
    SetForegroundWindow(GetDesktopWindow());
    PostMessageA(status, WM_USER + 1, 0, WM_USER + 5);  // NIN_BALLOONUSERCLICK
    CHECK(WaitUntil([&] { return GetForegroundWindow() == window; }, 5000));
    CHECK(WaitUntil([&] { return count(withdrawn) == 1; }, 5000));

    // Warned again after another idle stretch; a key keeps it again.
    REQUIRE(WaitUntil([&] { return count(shown) == 2; }, kScenarioTimeout));
    PressKey(window, 'K');
    CHECK(WaitUntil([&] { return count(withdrawn) == 2; }, 5000));

    // Left alone: warned a third time, then closed after the full 8 idle seconds.
    CHECK(s.app->WaitForExit(kScenarioTimeout));
    CHECK(count(shown) == 3);
    CHECK(s.app->CountEvents("close ") == 1);
    const std::string log = s.Log();
    CHECK(log.rfind(shown) < log.find("Closing begun: \"Invoice 1\" was not used for 8 s"));
    const std::vector<std::string> events = s.Events();
    CHECK(std::count(events.begin(), events.end(), shown) == 3);
    CHECK(std::count(events.begin(), events.end(), withdrawn) == 2);
}

TEST_CASE("a pending save question is answered by the key script and the session closes, a search box open or not") {
    SupervisorSettings settings{"", 2};
    settings.sendKeys = true;
    settings.keyGroup = 2;
    // The modeless "Find" box is older than the question, further back.
    Scenario s(settings, "QLAsk", "--ask-save --find-box");
    CHECK(s.app->WaitForExit(kScenarioTimeout));
    CHECK(s.app->CountEvents("answer yes") == 1);
    CHECK(s.Log().find("Standard dialog Window not found") == std::string::npos);
}

TEST_CASE("a person who answers Cancel and types on keeps the session: no keys, no second request, no kill") {
    SupervisorSettings settings{"", 3};
    settings.sendKeys = true;
    settings.closeKill = true;
    Scenario s(settings, "QLCancel", "--ask-save --answer-cancel");
    REQUIRE(s.app->WaitForEvent("answer cancel", kScenarioTimeout));
    const HWND window = s.app->Windows().at(0);
    for (int i = 0; i < 10; ++i) {
        PressKey(window, 'K');
        PumpFor(500);
    }
    CHECK(s.app->Running());
    CHECK(s.app->CountEvents("close ") == 1);
    CHECK(s.app->CountEvents("ask ") == 1);
    CHECK(s.Log().find("Closing stopped: \"") != std::string::npos);
    CHECK(s.Log().find("Standard dialog Window not found") == std::string::npos);  // no key script
}

TEST_CASE("a question left open is not asked again: three idle periods, one question") {
    Scenario s({"", 2}, "QLAskAgain", "--ask-again");
    REQUIRE(s.app->WaitForEvent("ask ", kScenarioTimeout));
    PumpFor(12000);  // each idle period: 2 idle seconds and the closing's own
    CHECK(s.app->CountEvents("ask ") == 1);
    CHECK(s.app->CountEvents("close ") == 1);
    CHECK(TopLevelWindowsOfClass("#32770", s.app->Id()).size() == 1);
    const std::string log = s.Log();
    const std::string waiting = "no further close request until it is answered";
    const auto first = log.find(waiting);
    CHECK(first != std::string::npos);
    CHECK(log.find(waiting, first + 1) == std::string::npos);
}

TEST_CASE("a program that refuses to close is ended when killing is allowed") {
    SupervisorSettings settings{"", 2};
    settings.closeKill = true;
    Scenario s(settings, "QLStubborn", "--refuse-close");
    CHECK(s.app->WaitForExit(kScenarioTimeout));
    CHECK(s.app->CountEvents("close ") >= 2);  // the close request, then the kill step's own
    CHECK(s.app->ExitCode() == 0);
    REQUIRE(s.WaitForLog("Session ended by the kill step", 5000));
    s.CheckRecorded("Session ended by the kill step: \"Test Session 1\" (process " + std::to_string(s.app->Id()) + ")");
    s.CheckRecorded("Closing begun: \"Test Session 1\" was not used for 2 s");
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

TEST_CASE("with one session allowed, the two open at start are kept; one opened later is asked to close, once") {
    SupervisorSettings settings{"", 9999};
    settings.maxSession = 1;
    Scenario s(settings, "QLSurplus", "--windows 2 --refuse-close");
    REQUIRE(WaitUntil([&] { return s.app->CountEvents("start ") == 2; }, 15000));
    PumpFor(6000);  // another scan
    CHECK(s.app->CountEvents("close ") == 0);
    CHECK(s.Log().find("More sessions open than Max.Session allows") != std::string::npos);

    TestAppProcess later(s.folder, "QLSurplusLater", "--refuse-close");
    REQUIRE(later.WaitForEvent("close ", 15000));
    PumpFor(11000);  // two more scans
    CHECK(later.CountEvents("close ") == 1);
    CHECK(s.app->CountEvents("close ") == 0);
    // The refusal names the window asked to close.
    const std::string log = s.Log();
    std::smatch refused;
    REQUIRE(std::regex_search(log, refused,
                              std::regex("Closing begun: \"Test Session [12]\" opened beyond the 1 sessions allowed")));
    s.CheckRecorded(refused.str(0));
}

TEST_CASE("typing in an owned tool window keeps its owner's session, and the idle sibling's kill step spares it") {
    SupervisorSettings settings{"", 4};
    settings.closeKill = true;
    Scenario s(settings, "QLTool", "--windows 2 --tool --refuse-close");
    const std::vector<HWND> windows = s.app->Windows();
    REQUIRE(windows.size() == 2);
    HWND busyTool = nullptr;
    for (HWND tool : TopLevelWindowsOfClass("QLToolTool", s.app->Id())) {
        if (GetWindow(tool, GW_OWNER) == windows[0]) busyTool = tool;
    }
    REQUIRE(busyTool != nullptr);
    REQUIRE(s.app->WaitForEvent("start ", 15000));
    // Well past the idle sibling's closing: its request, then the kill step.
    for (int i = 0; i < 24; ++i) {
        PressKey(busyTool, 'K');
        PumpFor(500);
    }
    CHECK(s.app->Running());
    CHECK(s.app->CountEvents("start ") == 2);  // a tool window is no session of its own
    const auto handle = [](HWND window) { return std::to_string(reinterpret_cast<UINT_PTR>(window)); };
    CHECK(s.app->CountEvents("close " + handle(windows[0])) == 0);
    CHECK(s.app->CountEvents("close " + handle(windows[1])) >= 1);
    CHECK(s.Log().find("shares it with another session in use") != std::string::npos);
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
