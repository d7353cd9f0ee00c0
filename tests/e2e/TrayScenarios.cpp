// Quorlan.exe in the notification area, driven as a user would: a real
// right click on its icon in the shell's tray window, menu items chosen
// with the keyboard (menus of another process cannot be read), and the
// shell losing the icon; and the warning balloon in a desktop with the shell.
#include <doctest/doctest.h>

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "SetupDialogDriver.h"
#include "WinTestSupport.h"
#include "platform/win32/Window.h"
#include "supervisor/ActivityMonitor.h"
#include "supervisor/CommandLine.h"

using namespace ql::test;

namespace {

constexpr DWORD kStartTimeout = 15000;

void RemoveIcon(HWND owner, DWORD processId) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = owner;
    data.uID = processId;
    Shell_NotifyIconA(NIM_DELETE, &data);
}

// Stands in for the status window: a session whose hooks are still in place
// answers a start message naming this window with a report to it.
class ReportCounter final : public ql::win32::Window {
public:
    ReportCounter() { CreateWindowOf(ql::hookproto::kReportWindowClass, "", WS_OVERLAPPED, 0, 0, 0, 10, 10); }
    int reports = 0;

    // Hands the session's hooks this window, as the supervisor's start message does.
    bool Start(HWND session) {
        const int before = reports;
        PostMessageA(session, ql::report::kStartMessage, 7, reinterpret_cast<LPARAM>(Handle()));
        return WaitUntil([&] { return reports > before; }, 2000);
    }

private:
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) override {
        if (message == ql::report::kReportMessage) ++reports;
        return Window::HandleMessage(message, wParam, lParam);
    }
};

int VisibleWindowsOfClass(const char* className, DWORD processId) {
    int visible = 0;
    for (HWND window : TopLevelWindowsOfClass(className, processId)) visible += IsWindowVisible(window) ? 1 : 0;
    return visible;
}

HWND OpenMenuOf(DWORD processId) { return VisibleWindowOfClass("#32768", processId); }

// Quorlan supervising three sessions of the test program.
struct TrayScenario {
    ScratchFolder folder;
    std::unique_ptr<TestAppProcess> app;
    std::unique_ptr<QuorlanProcess> quorlan;
    HWND status = nullptr;

    TrayScenario() {
        SupervisorSettings settings;
        settings.program = "QLTray";
        settings.maxInact = 600;
        folder.Write("Quorlan.ini", IniText(settings));
        app = std::make_unique<TestAppProcess>(folder, "QLTray", "--windows 3");
        quorlan = std::make_unique<QuorlanProcess>(folder);
        REQUIRE(quorlan->Started());
        status = quorlan->StatusWindow(kStartTimeout);
        REQUIRE(status != nullptr);
        REQUIRE(WaitUntil([&] { return IconExists(); }, kStartTimeout));
    }
    bool IconExists() const { return TrayIconExists(status, quorlan->Id()); }
    // Once the start-up splash is gone and every session is hooked: a session
    // answers counter, which from then on takes its reports from Quorlan.
    void AwaitHookedSessions(ReportCounter& counter) {
        REQUIRE(WaitUntil([&] { return VisibleWindowsOfClass("TFMInicio", quorlan->Id()) == 0; }, 5000));
        REQUIRE(app->WaitForEvent("start 2 ", 15000));
        REQUIRE(counter.Start(app->Windows().front()));
    }

    // A right click on the icon; the menu that opens, or null.
    HWND RightClickIcon(POINT& at) {
        REQUIRE(FirstTrayIconPoint(at));
        HWND menu = nullptr;
        // Once a menu of Quorlan's has closed, Wine's tray window takes the
        // next click as the one that activates it, and only the click after
        // reaches the icon.
        for (int attempt = 0; attempt < 2 && menu == nullptr; ++attempt) {
            ClickAt(at, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP);
            WaitUntil([&] { return (menu = OpenMenuOf(quorlan->Id())) != nullptr; }, 1500);
            if (menu == nullptr) MESSAGE("right click #", attempt + 1, " opened no menu");
        }
        return menu;
    }
    void Choose(const std::vector<WORD>& keys) {
        POINT at{};
        HWND menu = RightClickIcon(at);
        REQUIRE(menu != nullptr);
        TypeKeys(keys);
        CHECK(WaitUntil([&] { return OpenMenuOf(quorlan->Id()) == nullptr; }, 3000));
    }
};

}  // namespace

TEST_CASE("the icon's menu opens on a right click only, and shows and hides the status window") {
    TrayScenario s;
    POINT at{};
    REQUIRE(FirstTrayIconPoint(at));

    // Once the first scan's requests have been shown (a quarter second each,
    // later on a busy machine), the tip counts the sessions.
    REQUIRE(s.app->WaitForEvent("start 2 ", 15000));
    const std::string counted = "Quorlan\nTracking 03 Active Sessions";
    std::string tip;
    WaitUntil([&] { return (tip = TipShownAt(at)) == counted; }, 10000);
    CHECK(tip == counted);

    // Left clicks and a double click open nothing.
    ClickAt(at, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    ClickAt(at, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 2);
    PumpFor(800);
    CHECK(OpenMenuOf(s.quorlan->Id()) == nullptr);
    CHECK_FALSE(IsWindowVisible(s.status));

    // A right click opens the menu where the cursor is.
    HWND menu = s.RightClickIcon(at);
    REQUIRE(menu != nullptr);
    RECT placed{};
    GetWindowRect(menu, &placed);
    CHECK(std::abs(placed.left - at.x) <= 2);
    CHECK(std::abs(placed.top - at.y) <= 2);
    // A click elsewhere closes it, choosing nothing.
    ClickAt(POINT{at.x + 400, at.y + 400}, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP);
    CHECK(WaitUntil([&] { return OpenMenuOf(s.quorlan->Id()) == nullptr; }, 3000));
    CHECK_FALSE(IsWindowVisible(s.status));

    // "Show" (the first item) shows the window.
    s.Choose({VK_DOWN, VK_RETURN});
    CHECK(WaitUntil([&] { return IsWindowVisible(s.status) != FALSE; }, 3000));

    // "Hide" (the second item) hides it; the icon stays.
    s.Choose({VK_DOWN, VK_DOWN, VK_RETURN});
    CHECK(WaitUntil([&] { return !IsWindowVisible(s.status); }, 3000));
    CHECK(s.IconExists());

    // The caption's close button only hides the window too.
    s.Choose({VK_DOWN, VK_RETURN});
    REQUIRE(WaitUntil([&] { return IsWindowVisible(s.status) != FALSE; }, 3000));
    PostMessageA(s.status, WM_SYSCOMMAND, SC_CLOSE, 0);
    CHECK(WaitUntil([&] { return !IsWindowVisible(s.status); }, 3000));
    PumpFor(300);
    CHECK(s.quorlan->Running());
    CHECK(s.IconExists());
}

// The menu's items from no selection: Down three times is "Setup", Up twice
// "About", Up once "Close".
TEST_CASE("\"Setup\" and \"About\" open one box at a time; \"Close\" from under either unhooks every session, logs Exit last, removes the icon and ends with code 0") {
    const std::vector<WORD> setup{VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN};
    const std::vector<WORD> about{VK_UP, VK_UP, VK_RETURN};
    TrayScenario s;
    const DWORD id = s.quorlan->Id();
    ReportCounter counter;
    s.AwaitHookedSessions(counter);
    int aboutBoxes = 0;  // on screen with the first box open
    int dialogs = 0;

    SUBCASE("the about box open") {
        s.Choose(about);
        REQUIRE(WaitUntil([&] { return VisibleWindowsOfClass("TFMInicio", id) == 1; }, 5000));
        aboutBoxes = 1;
    }
    SUBCASE("the setup dialog open") {
        s.Choose(setup);
        REQUIRE(WaitUntil([&] { return VisibleWindowsOfClass("#32770", id) == 1; }, 5000));
        dialogs = 1;
    }
    // Choosing either again brings the open one forward and opens nothing more.
    s.Choose(about);
    s.Choose(setup);
    PumpFor(800);
    CHECK(VisibleWindowsOfClass("TFMInicio", id) == aboutBoxes);
    CHECK(VisibleWindowsOfClass("#32770", id) == dialogs);

    s.Choose({VK_UP, VK_RETURN});
    REQUIRE(s.quorlan->WaitForExit(10000));
    CHECK(s.quorlan->ExitCode() == 0);
    CHECK_FALSE(IsWindow(s.status));
    CHECK_FALSE(TrayIconExists(s.status, s.quorlan->Id()));
    const auto lines = ReadLines(s.folder.File("Quorlan.exe.Log"));
    REQUIRE(!lines.empty());
    CHECK(lines.back().find("\tExit") != std::string::npos);
    // Unhooked: no session answers a start message any more.
    for (HWND session : s.app->Windows()) CHECK_FALSE(counter.Start(session));
}

// Log-off and an installer's Restart Manager send the end-session pair; a
// script runs "Quorlan.exe /close". Each ends Quorlan as "Close" does.
TEST_CASE("the end of the log-on session and \"Quorlan.exe /close\" end Quorlan as \"Close\" does; the file keeps an administrator's change made meanwhile") {
    TrayScenario s;
    const DWORD id = s.quorlan->Id();
    ReportCounter counter;
    s.AwaitHookedSessions(counter);

    // In this run the user ticks "Kill Process" (in effect at once, stored at
    // the end) and cancels the dialog; meanwhile the administrator's
    // installer changes the idle limit in the file.
    s.Choose({VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    const HWND dialog = WaitForSetupDialog(id);
    REQUIRE(dialog != nullptr);
    ClickControl(dialog, IDC_CHECKCLOSEKILL);
    REQUIRE(WaitUntil([&] { return SendMessageA(GetDlgItem(dialog, IDC_CHECKCLOSEKILL), BM_GETCHECK, 0, 0) == BST_CHECKED; }, 3000));
    ClickControl(dialog, IDCANCEL);
    REQUIRE(WaitUntil([&] { return !IsWindowVisible(dialog); }, 3000));
    const std::string ini = s.folder.File("Quorlan.ini");
    REQUIRE(WritePrivateProfileStringA("BasicSetUp", "Max.Inact.", "900", ini.c_str()));

    SUBCASE("log-off, or Restart Manager closing the program for an upgrade") {
        DWORD_PTR answer = 0;
        REQUIRE(SendMessageTimeoutA(s.status, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 5000, &answer));
        CHECK(answer == TRUE);
        CHECK(IsWindow(s.status));  // asking ends nothing
        REQUIRE(SendMessageTimeoutA(s.status, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_ABORTIFHUNG, 10000, &answer));
        REQUIRE(s.quorlan->WaitForExit(10000));
    }
    SUBCASE("a script's \"Quorlan.exe /close\", then again with none running") {
        ChildProcess closer("\"" + BinPath("Quorlan.exe") + "\" /close", s.folder.Path());
        REQUIRE(closer.WaitForExit(30000));
        CHECK(closer.ExitCode() == static_cast<DWORD>(ql::kCloseExitEnded));
        REQUIRE(s.quorlan->WaitForExit(5000));
        ChildProcess again("\"" + BinPath("Quorlan.exe") + "\" /CLOSE ", s.folder.Path());
        REQUIRE(again.WaitForExit(30000));
        CHECK(again.ExitCode() == static_cast<DWORD>(ql::kCloseExitNoneRunning));
    }
    CHECK(s.quorlan->ExitCode() == 0);
    CHECK_FALSE(TrayIconExists(s.status, id));
    const auto lines = ReadLines(s.folder.File("Quorlan.exe.Log"));
    REQUIRE(!lines.empty());
    CHECK(lines.back().find("\tExit") != std::string::npos);
    CHECK(GetPrivateProfileIntA("AdvancedSetUp", "CloseKill", -1, ini.c_str()) == 1);
    CHECK(GetPrivateProfileIntA("BasicSetUp", "Max.Inact.", -1, ini.c_str()) == 900);
    for (HWND session : s.app->Windows()) CHECK_FALSE(counter.Start(session));
}

TEST_CASE("the icon comes back after a restarted shell's \"TaskbarCreated\", or after the shell lost it") {
    TrayScenario s;
    const UINT taskbarCreated = RegisterWindowMessageA("TaskbarCreated");
    // Between two scans (5 s apart), once the first scan's five requests have
    // been shown (a quarter second each), so that no modify re-adds it first.
    REQUIRE(s.app->WaitForEvent("start 2 ", 15000));
    PumpFor(1600);
    RemoveIcon(s.status, s.quorlan->Id());
    REQUIRE_FALSE(s.IconExists());
    PostMessageA(s.status, taskbarCreated, 0, 0);
    CHECK(WaitUntil([&] { return s.IconExists(); }, 1500));

    // Lost without the message: the next change of the icon puts it back.
    RemoveIcon(s.status, s.quorlan->Id());
    CHECK(WaitUntil([&] { return s.IconExists(); }, 8000));
}

TEST_CASE("a missing icon file ends the start-up through the error report and leaves no process behind") {
    ScratchFolder folder;
    SupervisorSettings settings;
    settings.program = "QLNoIcon";  // with no program the setup dialog would come first
    folder.Write("Quorlan.ini", IniText(settings));
    WithTrayIcons(folder);
    REQUIRE(DeleteFileA(folder.File("Resource\\Red 128 Icon.ico").c_str()));
    QuorlanProcess quorlan(folder, BinPath("Quorlan.exe"), QuorlanProcess::Icons::Missing);
    HWND box = nullptr;
    REQUIRE(WaitUntil([&] { return !(TopLevelWindowsOfClass("#32770", quorlan.Id())).empty(); }, kStartTimeout));
    box = TopLevelWindowsOfClass("#32770", quorlan.Id()).front();
    char text[256] = {};
    GetWindowTextA(box, text, sizeof text);
    CHECK(std::string(text) == "Quorlan");
    PressKey(box, VK_RETURN);
    REQUIRE(quorlan.WaitForExit(10000));
    CHECK(quorlan.ExitCode() == 0);
    CHECK(folder.Read("Quorlan.exe.Log").find("Red 128 Icon.ico cannot be loaded. (Windows error ") != std::string::npos);
    CHECK(TopLevelWindowsOfClass("TQL_Main", quorlan.Id()).empty());
}

TEST_CASE("in a desktop with the shell, an idle session's warning reaches the notification area as a balloon") {
    const WineTraces traces;
    REQUIRE(traces.Kept());
    ScratchFolder folder;
    SupervisorSettings settings{"QLBalloon", 6};
    settings.warning = 3;
    folder.Write("Quorlan.ini", IniText(settings));
    // Wine draws balloons only in a virtual desktop with its shell, run by
    // the explorer process that makes the desktop; the shell shows a balloon
    // as a tooltip, whose trace names the text it shows.
    ChildProcess shell("explorer.exe /desktop=shell,800x600", folder.Path(),
                       ChildEnvironment{"+tooltips", ""});
    REQUIRE(WaitUntil(
        [] {
            HDESK desktop = OpenDesktopA("shell", 0, FALSE, DESKTOP_READOBJECTS);
            if (desktop != nullptr) CloseDesktop(desktop);
            return desktop != nullptr;
        },
        kStartTimeout));
    const ChildEnvironment onShell{"", "shell"};
    TestAppProcess app(folder, "QLBalloon", "--title Invoice", onShell);
    QuorlanProcess quorlan(folder, BinPath("Quorlan.exe"), QuorlanProcess::Icons::Copied, onShell);
    REQUIRE(WaitForFileText(folder.File("Quorlan.exe.Log"),
                            "Warning shown for \"Invoice 1\": \"Invoice 1\" closes in 3 s unless it is used.", 30000));
    CHECK(WaitUntil(
        [&] {
            for (const std::string& shown : traces.Lines("TOOLTIPS_Show Show tooltip 0, L")) {
                if (shown.find("Invoice 1\\\" closes in 3 s unless it is used.") != std::string::npos) return true;
            }
            return false;
        },
        5000));
    CHECK(app.WaitForExit(30000));  // and closed at its limit all the same
}
