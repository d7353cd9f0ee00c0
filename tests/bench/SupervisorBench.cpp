// Figures of the supervisor, printed, never judged:
//   scan      one scan with 30 sessions among 500 top-level windows, beside a
//             bare EnumWindows + GetClassNameA loop over the same windows
//   memory    working set of the idle Quorlan.exe beside a program that only
//             runs a message loop (KeepAlive.exe)
//   latency   from going idle to the close request arriving in the test program
//   icon      from starting Quorlan.exe (no release check) to its icon being in
//             the notification area, and the idle program's working set once
//             its window, menu and icon exist, beside the message-loop program
//   cpu       sets up Quorlan.exe tracking 30 sessions (one of a 64-bit
//             program) beside the message-loop program and its 64-bit twin,
//             says "cpu: ready" and waits while the host measures
//   companion from a 64-bit window's appearance to its hooks being placed
//             (the start message reaching it), the companion already running
//             from the second run on, and the 64-bit companion's working set
//             beside a 64-bit message-loop program
//   hooked    from a 32-bit window's appearance to its hooks being placed
//   surplus   with one session allowed and one open, from a further window's
//             appearance to the close request reaching it
// Usage: SupervisorBench [scan|memory|icon|latency|cpu|companion|hooked|surplus]...
//        (default: all)
#include <windows.h>
#include <psapi.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "LiveSupervisor.h"
#include "WinTestSupport.h"
#include "core/HookProtocol.h"

using namespace ql;
using namespace ql::test;

namespace {

// A 64-bit build of a test program: its own file beside an x86 build, the
// program itself in an x64 one.
std::string Program64(const std::string& name) {
    const std::string own = BinPath(name + "64.exe");
    return GetFileAttributesA(own.c_str()) != INVALID_FILE_ATTRIBUTES ? own : BinPath(name + ".exe");
}

BOOL CALLBACK ReadClassName(HWND window, LPARAM count) {
    char name[250];
    GetClassNameA(window, name, sizeof name);
    ++*reinterpret_cast<int*>(count);
    return TRUE;
}

// Hidden windows of this process, to fill the desktop up to a count.
std::vector<win32::UniqueWindow> FillDesktop(int count) {
    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "QLBenchFiller";
    RegisterClassA(&windowClass);
    std::vector<win32::UniqueWindow> windows;
    for (int i = 0; i < count; ++i) {
        windows.emplace_back(CreateWindowA("QLBenchFiller", "filler", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr,
                                           windowClass.hInstance, nullptr));
    }
    return windows;
}

int TopLevelCount() {
    int count = 0;
    EnumWindows(ReadClassName, reinterpret_cast<LPARAM>(&count));
    return count;
}

void BenchScan() {
    ScratchFolder folder;
    TestAppProcess app(folder, "QLBenchSession", "--windows 30");
    auto fillers = FillDesktop(500 - TopLevelCount());
    LiveSupervisor live("QLBenchSession");
    live.view.showing = false;  // as the status window is, but for a look now and then
    Supervisor& supervisor = live.supervisor;
    live.Scan();  // hooks the 30 sessions

    constexpr int kRounds = 200;
    int windows = 0;
    double start = NowMs();
    for (int i = 0; i < kRounds; ++i) EnumWindows(ReadClassName, reinterpret_cast<LPARAM>(&windows));
    const double bare = (NowMs() - start) / kRounds;
    start = NowMs();
    for (int i = 0; i < kRounds; ++i) supervisor.OnScanTimer();
    const double scan = (NowMs() - start) / kRounds;
    std::printf("scan: %d top-level windows, %d sessions tracked\n", windows / kRounds,
                supervisor.Sessions().TrackedCount());
    std::printf("scan: bare loop %.3f ms, supervisor scan %.3f ms, ratio %.2f (target <= 1.30)\n", bare, scan,
                scan / bare);
}

SIZE_T WorkingSetOf(HANDLE process) {
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    return K32GetProcessMemoryInfo(process, &counters, sizeof counters) ? counters.WorkingSetSize : 0;
}

struct SupervisedDesktop {
    ScratchFolder folder;
    std::unique_ptr<TestAppProcess> app;
    std::unique_ptr<QuorlanProcess> quorlan;
    explicit SupervisedDesktop(int sessions) {
        SupervisorSettings settings{"QLBenchIdle", 99999};
        folder.Write("Quorlan.ini", IniText(settings));
        app = std::make_unique<TestAppProcess>(folder, "QLBenchIdle", "--windows " + std::to_string(sessions));
        quorlan = std::make_unique<QuorlanProcess>(folder);
        WaitForFileText(folder.File("Quorlan.exe.Log"), "Tracking: ", 15000);
        WaitUntil([&] { return app->CountEvents("start ") == sessions; }, 15000);
    }
};

void PrintWorkingSets(const char* label, const ChildProcess& quorlan, const ChildProcess& minimal) {
    const SIZE_T supervisor = WorkingSetOf(quorlan.Handle());
    const SIZE_T loop = WorkingSetOf(minimal.Handle());
    std::printf("%s: working set with 30 sessions: Quorlan.exe %zu KiB, message-loop program %zu KiB, ratio %.2f"
                " (target <= 1.15)\n",
                label, supervisor / 1024, loop / 1024,
                loop ? static_cast<double>(supervisor) / static_cast<double>(loop) : 0);
}

void BenchMemory() {
    SupervisedDesktop desktop(30);
    ChildProcess minimal("\"" + BinPath("KeepAlive.exe") + "\"");
    PumpFor(2000);
    PrintWorkingSets("memory", *desktop.quorlan, minimal);
}

void BenchIcon() {
    for (int run = 0; run < 3; ++run) {
        ScratchFolder folder;
        folder.Write("Quorlan.ini", IniText({"QLBenchNothing", 45}));
        WithTrayIcons(folder);
        const double start = NowMs();
        QuorlanProcess quorlan(folder, BinPath("Quorlan.exe"), QuorlanProcess::Icons::Missing);
        const double elapsed = MsUntilTrayIcon(quorlan, start, 20000);
        if (elapsed < 0) {
            std::printf("icon: run %d: no icon within 20 s\n", run + 1);
            continue;
        }
        std::printf("icon: run %d: in the notification area %.0f ms after the start\n", run + 1, elapsed);
        if (run == 0) {
            ChildProcess minimal("\"" + BinPath("KeepAlive.exe") + "\"");
            PumpFor(2000);
            const SIZE_T supervisor = WorkingSetOf(quorlan.Handle());
            const SIZE_T loop = WorkingSetOf(minimal.Handle());
            std::printf("icon: idle working set: Quorlan.exe %zu KiB, message-loop program %zu KiB\n",
                        supervisor / 1024, loop / 1024);
        }
    }
}

// Wine's process times for other processes cannot be trusted, so the CPU
// figures are read from the host by scripts/bench.sh while this waits.
// The working set is read in the same run, at its end.
void BenchCpu() {
    SupervisedDesktop desktop(29);
    auto thirtieth = std::make_unique<TestAppProcess>(desktop.folder, "QLBenchIdle", "", ChildEnvironment{},
                                                      Program64("TestApp"));
    if (!thirtieth->Started() || !thirtieth->WaitForEvent("start ", 15000)) {
        std::printf("cpu: no 64-bit session here: 30 sessions of the 32-bit program\n");
        thirtieth = std::make_unique<TestAppProcess>(desktop.folder, "QLBenchIdle");
        thirtieth->WaitForEvent("start ", 15000);
    }
    ChildProcess minimal("\"" + BinPath("KeepAlive.exe") + "\" measured");
    ChildProcess minimal64("\"" + Program64("KeepAlive") + "\" measured64");
    std::printf("cpu: ready\n");
    std::fflush(stdout);
    PumpFor(75000);  // the host waits 10 s for rest, then measures 60 s
    PrintWorkingSets("cpu", *desktop.quorlan, minimal);
}

void BenchCompanion() {
    ScratchFolder folder;
    folder.Write("Quorlan.ini", IniText({"QLBenchWide", 99999}));
    QuorlanProcess quorlan(folder);
    WaitForFileText(folder.File("Quorlan.exe.Log"), "Tracking: ", 15000);
    std::vector<std::unique_ptr<TestAppProcess>> apps;
    for (int run = 0; run < 3; ++run) {
        apps.push_back(std::make_unique<TestAppProcess>(folder, "QLBenchWide" + std::to_string(run), "", ChildEnvironment{},
                                                        Program64("TestApp")));
        TestAppProcess& app = *apps.back();
        if (!app.WaitForEvent("start ", 20000)) {
            std::printf("companion: run %d: not hooked within 20 s\n", run + 1);
            continue;
        }
        const DWORD shown = app.EventTimes("ready").at(0);
        const DWORD started = app.EventTimes("start ").at(0);
        std::printf("companion: run %d: 64-bit session hooked %lu ms after its window appeared%s"
                    " (target <= 1000)\n",
                    run + 1, static_cast<unsigned long>(started - shown),
                    run == 0 ? ", the companion started for it" : "");
    }
    const DWORD hostId = ChildProcessNamed(quorlan.Id(), hookproto::kCompanionHost);
    win32::UniqueHandle hostProcess(hostId ? OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, hostId)
                                           : nullptr);
    ChildProcess minimal("\"" + Program64("KeepAlive") + "\"");
    PumpFor(2000);
    const SIZE_T companion = hostProcess ? WorkingSetOf(hostProcess.get()) : 0;
    const SIZE_T loop = WorkingSetOf(minimal.Handle());
    std::printf("companion: QL_host64.exe %zu KiB with 3 sessions, 64-bit message-loop program %zu KiB, ratio %.2f\n",
                companion / 1024, loop / 1024, loop ? static_cast<double>(companion) / static_cast<double>(loop) : 0);
}

void BenchLatency() {
    constexpr int kMaxInact = 3;
    for (int run = 0; run < 3; ++run) {
        ScratchFolder folder;
        folder.Write("Quorlan.ini", IniText({"QLBenchLatency", kMaxInact}));
        TestAppProcess app(folder, "QLBenchLatency");
        QuorlanProcess quorlan(folder);
        if (!app.WaitForEvent("close ", 30000)) {
            std::printf("latency: run %d: no close request\n", run + 1);
            continue;
        }
        const DWORD started = app.EventTimes("start ").at(0);
        const DWORD closed = app.EventTimes("close ").at(0);
        const long beyond = static_cast<long>(closed - started) - kMaxInact * 1000;
        std::printf("latency: run %d: close request %lu ms after the session went idle, %ld ms beyond the %d s limit"
                    " (target <= 1100)\n",
                    run + 1, static_cast<unsigned long>(closed - started), beyond, kMaxInact);
    }
}

// Milliseconds from a window's appearance (TestApp records it right after
// showing it) to an event of it, or -1 when that did not come.
long MsFromWindowTo(const TestAppProcess& app, const std::string& event, DWORD timeoutMs) {
    if (!app.WaitForEvent(event, timeoutMs)) return -1;
    return static_cast<long>(app.EventTimes(event).at(0) - app.EventTimes("window ").at(0));
}

// Quorlan.exe with one session open from its start; then five sessions
// opened one after another, each timed from its window's appearance to the
// event named.
void TimeNewSessions(const char* label, const SupervisorSettings& settings, const std::string& event,
                     const char* what) {
    ScratchFolder folder;
    folder.Write("Quorlan.ini", IniText(settings));
    TestAppProcess first(folder, settings.program);
    QuorlanProcess quorlan(folder);
    // Supervision has begun once the session open at the start is hooked.
    if (!first.WaitForEvent("start ", 15000)) {
        std::printf("%s: the session open at the start was not hooked\n", label);
        return;
    }
    for (int run = 0; run < 5; ++run) {
        TestAppProcess app(folder, settings.program + std::to_string(run));
        const long elapsed = MsFromWindowTo(app, event, 15000);
        if (elapsed < 0) {
            std::printf("%s: run %d: no %s within 15 s\n", label, run + 1, what);
        } else {
            std::printf("%s: run %d: %s %ld ms after its window appeared (target <= 500)\n", label, run + 1, what,
                        elapsed);
        }
    }
}

void BenchHooked() { TimeNewSessions("hooked", {"QLBenchHooked", 99999}, "start ", "32-bit session hooked"); }

// One session allowed: each session opened later is surplus.
void BenchSurplus() {
    SupervisorSettings settings{"QLBenchSurplus", 99999};
    settings.maxSession = 1;
    TimeNewSessions("surplus", settings, "close ", "surplus session's close request");
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> wanted(argv + 1, argv + argc);
    auto want = [&](const char* name) {
        if (wanted.empty()) return true;
        for (const auto& w : wanted) if (w == name) return true;
        return false;
    };
    if (want("scan")) BenchScan();
    if (want("memory")) BenchMemory();
    if (want("icon")) BenchIcon();
    if (want("latency")) BenchLatency();
    if (want("companion")) BenchCompanion();
    if (want("hooked")) BenchHooked();
    if (want("surplus")) BenchSurplus();
    if (want("cpu")) BenchCpu();
    return 0;
}
