// The splash and about window on the real desktop, shown by the SplashHost
// program: the close image's hover look read from the screen, closing by
// click, and how long each splash stays.
#include <doctest/doctest.h>

#include <string>

#include "WinTestSupport.h"

using namespace ql::test;

namespace {

constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr POINT kCloseCross = {207, 12};  // the middle of the close image's cross

class SplashHostProcess : public ChildProcess {
public:
    explicit SplashHostProcess(const std::string& arguments)
        : ChildProcess("\"" + BinPath("SplashHost.exe") + "\" " + arguments) {}

    HWND Window(DWORD timeoutMs = 10000) {
        HWND found = nullptr;
        WaitUntil(
            [&] {
                const auto windows = TopLevelWindowsOfClass("TFMInicio", Id());
                found = windows.empty() || !IsWindowVisible(windows.front()) ? nullptr : windows.front();
                return found != nullptr;
            },
            timeoutMs);
        return found;
    }
};

POINT OnScreen(HWND window, POINT client) {
    ClientToScreen(window, &client);
    return client;
}

COLORREF ScreenPixel(POINT at) {
    HDC screen = GetDC(nullptr);
    const COLORREF colour = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return colour;
}

void MoveMouse(POINT to) {
    SetCursorPos(to.x, to.y);
    PumpFor(300);
}

void Click(POINT at) {
    MoveMouse(at);
    INPUT inputs[2] = {};
    inputs[0].type = inputs[1].type = INPUT_MOUSE;
    inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, inputs, sizeof(INPUT));
}

// Whether a visible child of window shows exactly text.
bool ShowsLabel(HWND window, const std::string& text) {
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char buffer[128] = {};
        GetWindowTextA(child, buffer, sizeof buffer);
        if (IsWindowVisible(child) && text == buffer) return true;
    }
    return false;
}

// What is left of total milliseconds since started; 0 once they have passed.
DWORD Remaining(DWORD started, DWORD total) {
    const DWORD spent = GetTickCount() - started;
    return spent >= total ? 0 : total - spent;
}

}  // namespace

TEST_CASE("the about box: close image lights up under the pointer, goes back when it leaves, closes on click") {
    SplashHostProcess about("about");
    HWND window = about.Window();
    REQUIRE(window != nullptr);
    CHECK(ShowsLabel(window, "Release : 00.55.00 Beta"));
    CHECK_FALSE(ShowsLabel(window, "Looking for upgrades...."));
    const POINT cross = OnScreen(window, kCloseCross);

    MoveMouse(OnScreen(window, {100, 90}));
    CHECK(WaitUntil([&] { return ScreenPixel(cross) == kNavy; }, 2000));
    MoveMouse(cross);
    CHECK(WaitUntil([&] { return ScreenPixel(cross) == kWhite; }, 2000));
    MoveMouse(OnScreen(window, {100, 90}));
    CHECK(WaitUntil([&] { return ScreenPixel(cross) == kNavy; }, 2000));
    CHECK(about.Running());

    Click(cross);
    CHECK(about.WaitForExit(5000));
    CHECK(about.ExitCode() == 0);
}

TEST_CASE("the quiet splash is gone after about a second; the checking one waits for a longer check to end") {
    struct Case {
        const char* arguments;
        bool checking;
        DWORD blockMs;      // how long the host blocks its thread after showing
        DWORD visibleAt;    // still shown this long after the host started...
        DWORD goneBy;       // ...and hidden by then
    };
    for (const Case c : {Case{"plain 0", false, 0, 0, 4000}, Case{"check 10000", true, 10000, 8500, 13000}}) {
        CAPTURE(std::string(c.arguments));
        const DWORD started = GetTickCount();
        SplashHostProcess host(c.arguments);
        HWND window = host.Window();
        REQUIRE(window != nullptr);
        CHECK(ShowsLabel(window, "Looking for upgrades....") == c.checking);
        CHECK(ScreenPixel(OnScreen(window, kCloseCross)) != kNavy);  // no close image outside the about box
        if (c.visibleAt > 0) {
            PumpFor(Remaining(started, c.visibleAt));
            CHECK(IsWindowVisible(window));
        }
        CHECK(host.WaitForExit(Remaining(started, c.goneBy)));
    }
}
