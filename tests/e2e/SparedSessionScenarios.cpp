// Closings that Quorlan must not finish, with Quorlan.exe supervising the
// test program for real: a person who answers the question right after the
// key script, a click on the warning balloon after the closing began, and a
// process that shows a window no closing is about. And the status window
// answering while the kill step ends a program that hangs.
#include <doctest/doctest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ClosingScenario.h"
#include "core/HookProtocol.h"
#include "shell/win32/TrayIcon.h"

using namespace ql::test;

namespace {

using Scenario = ClosingScenario;

const std::string kKilled = "Session ended by the kill step";

std::string HandleText(HWND window) { return std::to_string(reinterpret_cast<UINT_PTR>(window)); }

// Presses Esc in the question until it has taken it: Quorlan hands the
// foreground back to the window it took it from right after its keys, and a
// press that lands elsewhere meanwhile is pressed again.
bool AnswerEscape(const TestAppProcess& app) {
    for (int attempt = 0; attempt < 5; ++attempt) {
        const HWND question = VisibleWindowOfClass("#32770", app.Id());
        if (question == nullptr) return false;
        PressKey(question, VK_ESCAPE);
        if (app.WaitForEvent("answer cancel", 500)) return true;
    }
    return false;
}

// Milliseconds the status window takes to answer an empty message.
double RoundTripMs(HWND window) {
    LARGE_INTEGER frequency{}, before{}, after{};
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &result);
    QueryPerformanceCounter(&after);
    return 1000.0 * static_cast<double>(after.QuadPart - before.QuadPart) / static_cast<double>(frequency.QuadPart);
}

}  // namespace

TEST_CASE("right after the key script, a person's Esc on the question keeps the session; unanswered, the closing ends it") {
    SupervisorSettings settings{"", 3};
    settings.sendKeys = true;
    settings.closeKill = true;
    // The question takes none of the keys Quorlan types: the script ([Enter][Esc]) leaves it open.
    Scenario s(settings, "QLLateAnswer",
               "--ask-save --ignore-marked " + std::to_string(ql::hookproto::kOwnInputMarker));
    INFO("log:\n", s.Log(), "\nevents:\n", ReadWholeFile(s.app->RecordPath()));
    REQUIRE(s.app->WaitForEvent("marked key 27", kScenarioTimeout));  // the script's Esc reached the question

    SUBCASE("the person presses Esc at once") {
        REQUIRE(AnswerEscape(*s.app));
        CHECK(s.WaitForRecord("Closing stopped: \"Test Session 1\" was used", 5000));
        // Aged from zero again: the next closing begins; the process was never ended.
        REQUIRE(WaitUntil([&] { return s.RecordCount("Closing begun: \"Test Session 1\"") == 2; }, kScenarioTimeout));
        CHECK(s.app->Running());
        CHECK(s.app->CountEvents("destroyed") == 0);
        CHECK(s.RecordCount(kKilled) == 0);
    }
    SUBCASE("nobody answers: Quorlan's own keys are no answer") {
        CHECK(s.app->WaitForExit(kScenarioTimeout));
        CHECK(s.WaitForRecord(kKilled + ": \"Test Session 1\"", 5000));
        CHECK(s.RecordCount("Closing stopped") == 0);
    }
}

TEST_CASE("a click on the warning balloon after the closing began keeps the session") {
    SupervisorSettings settings{"", 6};
    settings.warning = 3;
    settings.closeKill = true;
    // Refused, the close request is followed by the kill step.
    Scenario s(settings, "QLLateClick", "--title Invoice --refuse-close");
    INFO("log:\n", s.Log(), "\nevents:\n", ReadWholeFile(s.app->RecordPath()));
    const HWND status = s.quorlan->StatusWindow();
    REQUIRE(status != nullptr);
    REQUIRE(s.WaitForRecord("Closing begun: \"Invoice 1\" was not used for 6 s"));
    // The shell tells a click on the balloon as the icon's callback.
    PostMessageA(status, ql::win32::kTrayCallbackMessage, 0, ql::win32::kBalloonClicked);
    CHECK(s.WaitForRecord("Closing stopped: \"Invoice 1\" was used", 5000));
    // Aged from zero: warned again, and nothing of the stopped closing followed.
    REQUIRE(WaitUntil([&] { return s.RecordCount("Warning shown for \"Invoice 1\"") == 2; }, kScenarioTimeout));
    CHECK(s.app->Running());
    CHECK(s.app->CountEvents("close ") == 1);
    CHECK(s.RecordCount(kKilled) == 0);
}

TEST_CASE("while the kill step ends a hung program, the status window answers within 250 ms") {
    SupervisorSettings settings{"", 2};
    settings.closeKill = true;
    Scenario s(settings, "QLHung", "--hang-on-close");
    const HWND status = s.quorlan->StatusWindow();
    REQUIRE(status != nullptr);
    REQUIRE(s.app->WaitForEvent("hang", kScenarioTimeout));
    // From the close request that hung the program until the kill step ended it.
    std::vector<double> roundTrips;
    WaitUntil(
        [&] {
            roundTrips.push_back(RoundTripMs(status));
            return !s.app->Running();
        },
        kScenarioTimeout);
    CHECK_FALSE(s.app->Running());
    CHECK(s.WaitForRecord(kKilled + ": \"Test Session 1\"", 5000));
    REQUIRE(roundTrips.size() >= 20);  // the kill step's wait alone lasts two closing steps
    std::sort(roundTrips.begin(), roundTrips.end());
    MESSAGE("round trips: ", roundTrips.size(), ", median ", roundTrips[roundTrips.size() / 2], " ms, longest ",
            roundTrips.back(), " ms");
    // Each one: the interface thread never waits long itself, so only a
    // machine loaded enough to stall this test's thread or Wine's server
    // could make one take longer.
    CHECK(roundTrips.back() <= 250.0);
}

TEST_CASE("a process that shows a window of another class beside its idle session is not ended") {
    SupervisorSettings settings{"", 2};
    settings.closeKill = true;
    std::string sideWindow;
    SUBCASE("the window open from the start") { sideWindow = "--side-window"; }
    // Then only the check right before the end finds it.
    SUBCASE("the window opened at the kill step's last close request") { sideWindow = "--side-window-late"; }
    Scenario s(settings, "QLSideWork", "--refuse-close " + sideWindow);
    CHECK(s.WaitForRecord("Process not ended: \"Test Session 1\" shares it with a window that is not being closed"));
    CHECK(s.app->Running());
    CHECK(s.RecordCount(kKilled) == 0);
    const HWND side = VisibleWindowOfClass("SideQLSideWork", s.app->Id());
    REQUIRE(side != nullptr);
    // Asked to close: the session's window only.
    CHECK(s.app->CountEvents("close ") >= 1);
    CHECK(s.app->CountEvents("close " + HandleText(side)) == 0);
}
