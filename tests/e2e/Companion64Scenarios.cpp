// Quorlan.exe supervising 64-bit test programs through its 64-bit companion,
// in a 64-bit prefix: a session typed into is kept while an idle one beside
// it is closed, also after the companion was killed; without the companion's
// files the sessions are logged with the reason and kept by foreground input.
// Where 32-bit programs can run beside them, a 32-bit pair shares each step.
#include <doctest/doctest.h>

#include <memory>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "core/HookProtocol.h"

using namespace ql::test;

namespace {

constexpr DWORD kScenarioTimeout = 40000;
constexpr int kMaxInact = 4;

// The 64-bit test program: its own file in an x86 build, the test program
// itself in an x64 one.
std::string TestApp64() {
    const std::string own = BinPath("TestApp64.exe");
    return GetFileAttributesA(own.c_str()) != INVALID_FILE_ATTRIBUTES ? own : BinPath("TestApp.exe");
}

// One program typed into and one left idle.
struct Pair {
    std::unique_ptr<TestAppProcess> busy;
    std::unique_ptr<TestAppProcess> idle;
    Pair(const ScratchFolder& folder, const std::string& suffix, const std::string& exe)
        : busy(std::make_unique<TestAppProcess>(folder, "QLWideBusy" + suffix, "", ChildEnvironment{}, exe)),
          idle(std::make_unique<TestAppProcess>(folder, "QLWideIdle" + suffix, "", ChildEnvironment{}, exe)) {}
};

struct Scenario {
    ScratchFolder folder;
    std::vector<Pair> pairs;
    std::unique_ptr<QuorlanProcess> quorlan;

    explicit Scenario(bool withCompanion) {
        folder.Write("Quorlan.ini", IniText({"QLWide", kMaxInact}));
        pairs.emplace_back(folder, "", TestApp64());
        if (sizeof(void*) == 4) pairs.emplace_back(folder, "32", BinPath("TestApp.exe"));
        std::string exe = BinPath("Quorlan.exe");
        if (!withCompanion) {
            // A copy of the program without the companion's files beside it.
            exe = folder.File("Quorlan.exe");
            REQUIRE(CopyFileA(BinPath("Quorlan.exe").c_str(), exe.c_str(), FALSE));
            REQUIRE(CopyFileA(BinPath("QL_lib.dll").c_str(), folder.File("QL_lib.dll").c_str(), FALSE));
        }
        quorlan = std::make_unique<QuorlanProcess>(folder, exe);
        REQUIRE(quorlan->Started());
    }
    std::string Log() const { return folder.Read("Quorlan.exe.Log"); }
    int LogCount(const std::string& text) const {
        const std::string log = Log();
        int count = 0;
        for (auto at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) ++count;
        return count;
    }

    // Types into every busy program, in turn, until done() or the time is up.
    bool TypeUntil(const std::function<bool()>& done, DWORD timeoutMs) {
        const DWORD begun = GetTickCount();
        while (GetTickCount() - begun < timeoutMs) {
            for (Pair& pair : pairs) {
                PressKey(pair.busy->Windows().at(0), 'K');
                PumpFor(250);
            }
            if (done()) return true;
        }
        return false;
    }
    bool IdleOnesGone() {
        for (Pair& pair : pairs) {
            if (pair.idle->Running()) return false;
        }
        return true;
    }
    void CheckBusyOnesKept() {
        for (Pair& pair : pairs) {
            CAPTURE(pair.busy->ClassName());
            CHECK(pair.busy->Running());
            CHECK(pair.busy->CountEvents("close ") == 0);
        }
    }

    // The companion Quorlan started.
    DWORD CompanionId() const { return ChildProcessNamed(quorlan->Id(), ql::hookproto::kCompanionHost); }
};

}  // namespace

TEST_CASE("64-bit sessions: the one typed into is kept, the idle one closed, also after the companion is killed") {
    Scenario s(true);
    Pair& wide = s.pairs.front();
    REQUIRE(wide.busy->WaitForEvent("start ", 20000));
    CHECK(s.TypeUntil([&] { return s.IdleOnesGone(); }, kScenarioTimeout));
    s.CheckBusyOnesKept();

    const DWORD hostId = s.CompanionId();
    REQUIRE(hostId != 0);
    ql::win32::UniqueHandle host(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, hostId));
    REQUIRE(host);
    REQUIRE(TerminateProcess(host.get(), 9));
    REQUIRE(WaitForSingleObject(host.get(), 10000) == WAIT_OBJECT_0);

    // Started again at the next scan, which hooks the session afresh.
    CHECK(s.TypeUntil([&] { return wide.busy->CountEvents("start ") >= 2; }, 20000));
    const DWORD restarted = s.CompanionId();
    CHECK(restarted != 0);
    CHECK(restarted != hostId);
    s.TypeUntil([] { return false; }, 3000);
    s.CheckBusyOnesKept();
    // Supervision goes on: left alone, the session is closed at its limit.
    CHECK(wide.busy->WaitForExit(kScenarioTimeout));
    CHECK(s.Log().find("not hooked") == std::string::npos);
}

namespace {

// A window of the class and title the companion once answered under, made
// by another program: it records every request that reaches it.
class SquatterWindow {
public:
    explicit SquatterWindow(DWORD quorlanId) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &SquatterWindow::Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = kClass;
        RegisterClassA(&windowClass);
        m_window.reset(CreateWindowExA(0, kClass, std::to_string(quorlanId).c_str(), 0, 0, 0, 0, 0, HWND_MESSAGE,
                                       nullptr, windowClass.hInstance, nullptr));
    }
    bool Made() const { return static_cast<bool>(m_window); }
    static int Requests() { return s_requests; }

private:
    static constexpr char kClass[] = "QuorlanCompanion";
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message >= WM_USER) ++s_requests;
        return DefWindowProcA(window, message, wParam, lParam);
    }
    static inline int s_requests = 0;
    ql::win32::UniqueWindow m_window;
};

}  // namespace

TEST_CASE("the companion answers nobody but Quorlan: it owns no window, and a squatter of its old name is passed over") {
    Scenario s(true);
    const SquatterWindow squatter(s.quorlan->Id());
    REQUIRE(squatter.Made());
    Pair& wide = s.pairs.front();
    REQUIRE(wide.busy->WaitForEvent("start ", 20000));
    const DWORD hostId = s.CompanionId();
    REQUIRE(hostId != 0);
    // No window of the host can be sent a request, whatever its handle.
    CHECK(WindowsOfProcess(hostId).empty());
    CHECK(s.TypeUntil([&] { return s.IdleOnesGone(); }, kScenarioTimeout));
    s.CheckBusyOnesKept();
    CHECK(squatter.Requests() == 0);
    CHECK(s.CompanionId() == hostId);  // never taken for dead
    CHECK(s.Log().find("not hooked") == std::string::npos);
}

TEST_CASE("without the companion's files a 64-bit session is logged once with the reason and kept by typing") {
    Scenario s(false);
    CHECK(s.TypeUntil([&] { return s.IdleOnesGone(); }, kScenarioTimeout));
    s.CheckBusyOnesKept();
    Pair& wide = s.pairs.front();
    CHECK(wide.busy->CountEvents("start ") == 0);  // no hooks, no start message
    CHECK(s.LogCount("not hooked (no 64-bit companion): supervised by foreground input") == 2);
    // A 32-bit pair beside it is hooked as ever.
    if (s.pairs.size() > 1) CHECK(s.pairs.back().busy->CountEvents("start ") == 1);
}

TEST_CASE("the companion started by anyone but Quorlan, without its channel, ends at once") {
    for (const char* arguments : {"", " 4321", " 1 2 3 4 5", " 4 8 12 16 20 24", " 99999999999 8 12 16 20"}) {
        CAPTURE(arguments);
        ChildProcess host("\"" + BinPath(ql::hookproto::kCompanionHost) + "\"" + arguments);
        REQUIRE(host.Started());
        CHECK(host.WaitForExit(10000));
        CHECK(host.ExitCode() != 0);
    }
}
