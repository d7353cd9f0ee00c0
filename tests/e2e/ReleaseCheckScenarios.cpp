// Quorlan.exe started for real against a local release server, named by
// the ReleaseServer setting: what it sends and stores and shows, the splash
// while it checks, the bound on a refused, silent or endless server, the 30
// days; and the about box opened from the status window's menu.
#include <doctest/doctest.h>

#include <ctime>
#include <string>
#include <vector>

#include "LocalHttpServer.h"
#include "WinTestSupport.h"

using namespace ql::test;

namespace {

constexpr DWORD kStartTimeout = 20000;
constexpr const char* kGuid = "{11111111-2222-3333-4444-555555555555}";
constexpr long long kThirtyDays = 2592000;

std::string IniWith(const std::string& releaseServer, long long sinchT, const std::string& program = "QLNone") {
    std::string ini = std::string("[InternalSetup]\r\nGuid=") + kGuid + "\r\nActRelease=00.50.00\r\nUpgrade=1\r\n";
    if (sinchT >= 0) ini += "SinchT=" + std::to_string(sinchT) + "\r\n";
    ini += "[BasicSetUp]\r\nProgram=" + program + "\r\n";
    ini += "[AdvancedSetUp]\r\nReleaseServer=" + releaseServer + "\r\n";
    return ini;
}

long long Now() { return static_cast<long long>(std::time(nullptr)); }

// The value of key in the ini text ("" when missing).
std::string Value(const std::string& ini, const std::string& key) {
    const auto at = ini.find("\n" + key + "=");
    if (at == std::string::npos) return "";
    const auto start = at + key.size() + 2;
    return ini.substr(start, ini.find_first_of("\r\n", start) - start);
}

bool WaitForStartUp(const ScratchFolder& folder) {
    return WaitForFileText(folder.File("Quorlan.exe.Log"), "Tracking: ", kStartTimeout);
}

HWND FindSplash(DWORD processId) {
    const auto windows = TopLevelWindowsOfClass("TFMInicio", processId);
    return windows.empty() ? nullptr : windows.front();
}

std::string LabelTexts(HWND window) {
    std::string texts;
    for (HWND child = GetWindow(window, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
        char text[128] = {};
        GetWindowTextA(child, text, sizeof text);
        if (IsWindowVisible(child)) texts += std::string(text) + "|";
    }
    return texts;
}

// The text of the status window's status bar (its only panel).
// The status bar is made when the status window is first shown.
std::string StatusBarText(HWND status) {
    ShowWindow(status, SW_SHOWNOACTIVATE);
    HWND bar = nullptr;
    WaitUntil([&] { return (bar = FindWindowExA(status, nullptr, "msctls_statusbar32", nullptr)) != nullptr; }, 5000);
    char text[256] = {};
    DWORD_PTR length = 0;
    // Another process's control answers WM_GETTEXT with its panel's text.
    if (bar != nullptr) {
        SendMessageTimeoutA(bar, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000,
                            &length);
    }
    return text;
}

// Quorlan.exe started without waiting for it to take input: its start-up
// can then be watched while the release check holds it. Ended when destroyed.
class WatchedQuorlan {
public:
    explicit WatchedQuorlan(const ScratchFolder& folder) {
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        std::string commandLine = "\"" + BinPath("Quorlan.exe") + "\"";
        if (CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                           WithTrayIcons(folder).c_str(), &startup, &info)) {
            CloseHandle(info.hThread);
            m_process.reset(info.hProcess);
            m_id = info.dwProcessId;
        }
    }
    // Waits for the end too: a copy still alive would refuse the next start.
    ~WatchedQuorlan() {
        if (!m_process) return;
        TerminateProcess(m_process.get(), 0);
        WaitForSingleObject(m_process.get(), 5000);
    }
    DWORD Id() const { return m_id; }
    bool Running() const { return m_process && WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT; }

private:
    ql::win32::UniqueHandle m_process;
    DWORD m_id = 0;
};

// Whether any pixel of the window's client rectangle shows colour on screen.
bool ShowsColour(HWND window, RECT client, COLORREF colour) {
    POINT origin{client.left, client.top};
    ClientToScreen(window, &origin);
    const int width = client.right - client.left;
    const int height = client.bottom - client.top;
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, origin.x, origin.y, SRCCOPY);
    GdiFlush();
    bool found = false;
    const auto* pixels = static_cast<const DWORD*>(bits);
    const DWORD wanted = (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    for (int i = 0; bits != nullptr && i < width * height && !found; ++i) found = (pixels[i] & 0xFFFFFF) == wanted;
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return found;
}

}  // namespace

TEST_CASE("a first check sends the encoded details, shows the splash for 8 s and stores a new release") {
    LocalHttpServer server(LocalHttpServer::Behaviour::Answer, "<html><b>RELEASE=\"00.56.00\"</b></html>");
    REQUIRE(server.Listening());
    ScratchFolder folder;
    folder.Write("Quorlan.ini", IniWith(server.Address(), -1, "Notes & Co #1"));
    const long long started = Now();
    const DWORD startTick = GetTickCount();
    QuorlanProcess quorlan(folder);
    REQUIRE(quorlan.Started());

    HWND splash = nullptr;
    REQUIRE(WaitUntil([&] { return (splash = VisibleWindowOfClass("TFMInicio", quorlan.Id())) != nullptr; },
                      kStartTimeout));
    const DWORD seenTick = GetTickCount();  // the splash was made before this
    const std::string labels = LabelTexts(splash);
    CHECK(labels.find("Looking for upgrades....|") != std::string::npos);
    CHECK(labels.find("Release : 00.55.00 Beta|") != std::string::npos);
    CHECK(labels.find("www.quorlan.example|") != std::string::npos);

    REQUIRE(WaitForStartUp(folder));
    REQUIRE(server.RequestLines().size() == 1);
    CHECK(server.RequestLines()[0] ==
          "GET /Release/Quorlan.php?PROD=Quorlan.exe&GUID=%7B11111111-2222-3333-4444-555555555555%7D"
          "&VERS=00.55.00&APP=Notes%20%26%20Co%20%231 HTTP/1.1");

    const std::string ini = folder.Read("Quorlan.ini");
    CHECK(Value(ini, "ActRelease") == "00.56.00");
    CHECK(Value(ini, "Upgrade") == "1");
    const long long sinchT = std::stoll("0" + Value(ini, "SinchT"));
    CHECK(sinchT >= started);
    CHECK(sinchT <= Now());

    // The status bar and the icon's tip name the new release.
    const HWND status = quorlan.StatusWindow();
    REQUIRE(status != nullptr);
    CHECK(StatusBarText(status).find("New Release 00.56.00  Available. Visit www.quorlan.example to upgrade") !=
          std::string::npos);
    POINT icon{};
    REQUIRE(FirstTrayIconPoint(icon));
    CHECK(TipShownAt(icon).find("\nNew Release 00.56.00") != std::string::npos);  // the tip holds 63 characters

    // The splash stays 8 s from its creation, which came after the start
    // and before it was seen, then hides. (How long Wine takes to start the
    // process does not count.)
    CHECK(WaitUntil([&] { return !IsWindowVisible(splash); }, 15000));
    const DWORD hiddenTick = GetTickCount();
    CHECK(hiddenTick - startTick >= 8000);
    CHECK(hiddenTick - seenTick <= 10000);
    CHECK(quorlan.Running());
}

TEST_CASE("a refused, silent, endless, unavailable or foreign server costs at most the bound and is a failed check") {
    struct Case {
        const char* name;
        int behaviour;  // -1: nobody listens
        const char* body;
        bool done;      // a check: SinchT renewed
    };
    constexpr const char* kRelease = "RELEASE=\"00.60.00\"";
    const Case cases[] = {
        {"refused", -1, kRelease, false},
        {"silent", static_cast<int>(LocalHttpServer::Behaviour::Silent), kRelease, false},
        {"endless body", static_cast<int>(LocalHttpServer::Behaviour::EndlessBody), kRelease, false},
        {"503 with the value in its body", static_cast<int>(LocalHttpServer::Behaviour::Unavailable), kRelease, false},
        {"a portal's page without the value", static_cast<int>(LocalHttpServer::Behaviour::Answer),
         "<html>Sign in to use this network</html>", false},
        {"the release server's answer", static_cast<int>(LocalHttpServer::Behaviour::Answer), kRelease, true},
    };
    for (const Case& c : cases) {
        CAPTURE(std::string(c.name));
        const auto behaviour = c.behaviour < 0 ? LocalHttpServer::Behaviour::Answer
                                               : static_cast<LocalHttpServer::Behaviour>(c.behaviour);
        LocalHttpServer server(behaviour, c.body);
        const unsigned short unused = c.behaviour < 0 ? LocalHttpServer::UnusedPort() : 0;
        REQUIRE((c.behaviour >= 0 || unused != 0));
        const std::string address = c.behaviour < 0 ? "127.0.0.1:" + std::to_string(unused) : server.Address();
        ScratchFolder folder;
        folder.Write("Quorlan.ini", IniWith(address, 1000));
        const DWORD start = GetTickCount();
        WatchedQuorlan quorlan(folder);
        if (c.behaviour == static_cast<int>(LocalHttpServer::Behaviour::Silent)) {
            // While the check waits, the splash is already on screen with its
            // navy "Looking for upgrades...." line painted.
            HWND splash = nullptr;
            REQUIRE(WaitUntil([&] { return (splash = VisibleWindowOfClass("TFMInicio", quorlan.Id())) != nullptr; }, 3000));
            CHECK(WaitUntil([&] { return server.RequestLines().size() == 1; }, 2000));
            CHECK(folder.Read("Quorlan.exe.Log").find("Tracking: ") == std::string::npos);
            CHECK(ShowsColour(splash, RECT{8, 112, 211, 126}, RGB(0, 0, 128)));
        }
        REQUIRE(WaitForStartUp(folder));
        const DWORD spent = GetTickCount() - start;
        MESSAGE(std::string(c.name) << ": start-up took " << spent << " ms");
        // The check's own bound is 4 s (measured closely by win.HttpClientBounds);
        // the rest is Wine starting the process on a busy machine. A hang never ends.
        CHECK(spent < 15000);

        const std::string ini = folder.Read("Quorlan.ini");
        CHECK(Value(ini, "ActRelease") == (c.done ? "00.60.00" : "00.50.00"));
        CHECK(Value(ini, "Upgrade") == "1");
        const std::string log = folder.Read("Quorlan.exe.Log");
        INFO("the log:\n" << log);
        CHECK(log.find("\tLooking for upgrade\n") != std::string::npos);
        if (c.done) {
            CHECK(std::stoll("0" + Value(ini, "SinchT")) > 1000);
            CHECK(log.find("\tCurrent Version :00.60.00\n") != std::string::npos);
        } else {
            CHECK(Value(ini, "SinchT") == "1000");
            CHECK(log.find("Program Version") == std::string::npos);
        }
        // No answer: the release once learnt is not shown as current any more.
        const std::vector<HWND> status = TopLevelWindowsOfClass("TQL_Main", quorlan.Id());
        REQUIRE(status.size() == 1);
        const std::string failed = "Latest release not known: the release check failed";
        CHECK((StatusBarText(status[0]).find(failed) != std::string::npos) == !c.done);
        CHECK((log.find("\t" + failed) != std::string::npos) == !c.done);
        CHECK(quorlan.Running());
    }
}

TEST_CASE("no check within 30 days of the last one or when switched off; one second past 30 days it runs") {
    struct Case {
        const char* name;
        long long age;  // seconds since the last check, at the time of writing
        bool off;
        bool checks;
    };
    // Quorlan reads the clock a moment after the file is written: an age a
    // minute short of 30 days is still within them when it starts; the exact
    // boundary is a unit test of the start-up.
    const Case cases[] = {
        {"30 days less a minute", kThirtyDays - 60, false, false},
        {"30 days and 1 s", kThirtyDays + 1, false, true},
        {"switched off, never checked", -1, true, false},
    };
    for (const Case& c : cases) {
        CAPTURE(std::string(c.name));
        LocalHttpServer server(LocalHttpServer::Behaviour::Answer, "RELEASE=\"00.55.00\"");
        ScratchFolder folder;
        folder.Write("Quorlan.ini", IniWith(c.off ? "off" : server.Address(), c.age < 0 ? -1 : Now() - c.age));
        QuorlanProcess quorlan(folder);
        HWND splash = nullptr;
        REQUIRE(WaitUntil([&] { return (splash = FindSplash(quorlan.Id())) != nullptr; }, kStartTimeout));
        CHECK((LabelTexts(splash).find("Looking for upgrades....") != std::string::npos) == c.checks);
        REQUIRE(WaitForStartUp(folder));
        CHECK(server.RequestLines().size() == (c.checks ? 1u : 0u));
        const std::string ini = folder.Read("Quorlan.ini");
        CHECK(Value(ini, "Upgrade") == (c.checks ? "0" : "1"));
        if (c.off) CHECK(Value(ini, "ReleaseServer") == "off");
        const HWND status = quorlan.StatusWindow();
        REQUIRE(status != nullptr);
        CHECK((StatusBarText(status).find("Latest release not known: the release check is switched off") !=
               std::string::npos) == c.off);
        // The quiet splash is gone after about a second.
        if (!c.checks) CHECK(WaitUntil([&] { return !IsWindowVisible(splash); }, 4000));
    }
}

TEST_CASE("About in the menu opens the about box, modal to the status window; its cross lights up under the pointer and closes it") {
    ScratchFolder folder;
    SupervisorSettings settings;
    settings.program = "QLNone";
    folder.Write("Quorlan.ini", IniText(settings));  // no release check due
    QuorlanProcess quorlan(folder);
    const HWND status = quorlan.StatusWindow();
    REQUIRE(status != nullptr);
    REQUIRE(WaitForStartUp(folder));
    HWND splash = FindSplash(quorlan.Id());
    REQUIRE(WaitUntil([&] { return splash == nullptr || !IsWindowVisible(splash); }, 4000));

    // The menu from the keyboard: the last item is "Close", the one above it "About".
    PostMessageA(status, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(status), MAKELPARAM(-1, -1));
    REQUIRE(WaitUntil([&] { return !TopLevelWindowsOfClass("#32768", quorlan.Id()).empty(); }, 3000));
    TypeKeys({VK_UP, VK_UP, VK_RETURN});
    HWND about = nullptr;
    REQUIRE(WaitUntil([&] { return (about = VisibleWindowOfClass("TFMInicio", quorlan.Id())) != nullptr; }, 5000));
    CHECK(LabelTexts(about).find("Release : 00.55.00 Beta|") != std::string::npos);
    CHECK(LabelTexts(about).find("Looking for upgrades") == std::string::npos);
    CHECK_FALSE(IsWindowEnabled(status));

    // The close image's cross: navy at rest, white on blue under the pointer.
    const RECT crossMiddle{207, 12, 208, 13};
    const auto crossIs = [&](COLORREF colour) {
        return WaitUntil([&] { return ShowsColour(about, crossMiddle, colour); }, 2000);
    };
    POINT elsewhere{100, 90};
    ClientToScreen(about, &elsewhere);
    POINT cross{crossMiddle.left, crossMiddle.top};
    ClientToScreen(about, &cross);
    SetCursorPos(elsewhere.x, elsewhere.y);
    CHECK(crossIs(RGB(0, 0, 128)));
    SetCursorPos(cross.x, cross.y);
    CHECK(crossIs(RGB(255, 255, 255)));
    SetCursorPos(elsewhere.x, elsewhere.y);
    CHECK(crossIs(RGB(0, 0, 128)));
    CHECK(IsWindowVisible(about));

    SetCursorPos(cross.x, cross.y);
    PumpFor(300);
    ClickAt(cross);
    CHECK(WaitUntil([&] { return !IsWindow(about); }, 3000));
    CHECK(IsWindowEnabled(status));
    CHECK(quorlan.Running());
}
