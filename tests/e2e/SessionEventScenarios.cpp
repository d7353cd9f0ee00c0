// Quorlan.exe finding sessions as their windows appear: a surplus session
// is asked to close before a person's first key reaches it; and, with the
// window events switched off ("/scan-only"), the periodic scan alone still
// finds and hooks every session and refuses the surplus one.
#include <doctest/doctest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "WinTestSupport.h"

using namespace ql::test;

namespace {

// The first scan (5 s after the start), the start answer, and a margin.
constexpr DWORD kFoundTimeout = 15000;

// One session allowed; one open when Quorlan starts, so it is kept.
struct OneAllowed {
    ScratchFolder folder;
    std::unique_ptr<TestAppProcess> kept;
    std::unique_ptr<QuorlanProcess> quorlan;

    OneAllowed(const std::string& className, const std::string& quorlanArguments) {
        SupervisorSettings settings{className, 9999};
        settings.maxSession = 1;
        folder.Write("Quorlan.ini", IniText(settings));
        kept = std::make_unique<TestAppProcess>(folder, className);
        quorlan = std::make_unique<QuorlanProcess>(folder, BinPath("Quorlan.exe"), QuorlanProcess::Icons::Copied,
                                                   ChildEnvironment{}, quorlanArguments);
        REQUIRE(quorlan->Started());
        // Hooked by the first scan: supervision has begun.
        REQUIRE(kept->WaitForEvent("start ", kFoundTimeout));
    }
};

// Where an event of the record comes, or the end when it never came.
std::size_t IndexOf(const std::vector<std::string>& events, const std::string& prefix) {
    return static_cast<std::size_t>(
        std::find_if(events.begin(), events.end(),
                     [&](const std::string& event) { return event.compare(0, prefix.size(), prefix) == 0; }) -
        events.begin());
}

}  // namespace

TEST_CASE("a surplus session is asked to close before a key typed into it half a second after it appeared") {
    OneAllowed s("QLEarly", "");
    TestAppProcess surplus(s.folder, "QLEarlyLater", "--refuse-close");
    const HWND window = surplus.Windows().at(0);
    const DWORD appeared = surplus.EventTimes("window ").at(0);
    // A person who starts typing at once.
    WaitUntil([&] { return GetTickCount() - appeared >= 500; }, 2000);
    PressKey(window, 'K');
    REQUIRE(surplus.WaitForEvent("keydown 75", 5000));
    const std::vector<std::string> events = surplus.Events();
    CAPTURE(events);
    CHECK(IndexOf(events, "start ") < IndexOf(events, "close "));
    CHECK(IndexOf(events, "close ") < IndexOf(events, "keydown 75"));
    CHECK(s.kept->CountEvents("close ") == 0);
}

TEST_CASE("with window events switched off, the scan alone finds, hooks and refuses as before") {
    OneAllowed s("QLScanOnly", "/scan-only");
    TestAppProcess surplus(s.folder, "QLScanOnlyLater", "--refuse-close");
    CHECK(surplus.WaitForEvent("start ", kFoundTimeout));
    CHECK(surplus.WaitForEvent("close ", kFoundTimeout));
    CHECK(s.kept->CountEvents("close ") == 0);
    const std::string log = s.folder.Read("Quorlan.exe.Log");
    std::size_t found = 0;
    for (std::size_t at = log.find("Session found: "); at != std::string::npos; at = log.find("Session found: ", at + 1)) {
        ++found;
    }
    CHECK(found == 2);
}
