// The hook library's procedures, called directly with crafted hook calls and
// installed for real on the test program's thread; reports are read from a
// window of the test's own, of the status window's class, with PeekMessage. A
// start message counts only when it names such a window of another process
// than the one it was posted to, so the crafted ones are posted to windows of
// a running test program.
#include <doctest/doctest.h>

#include <cstring>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "core/HookProtocol.h"

namespace ql::test {
namespace {

constexpr UINT kStartMessage = WM_USER + 3;
constexpr UINT kReportMessage = WM_USER + 4;  // also the re-target message
constexpr WPARAM kKindStarted = 0;
constexpr WPARAM kKindKey = 1;
constexpr WPARAM kKindMouse = 2;
constexpr WPARAM kKindOwnKey = 3;
constexpr const char* kLibraryName = "QL_lib.dll";

using HookProcedure = LRESULT(CALLBACK*)(int, WPARAM, LPARAM);
using EntryRoutine = BOOL(WINAPI*)(HINSTANCE, DWORD, LPVOID);

struct Report {
    WPARAM kind;
    LPARAM slot;
    bool operator==(const Report& other) const { return kind == other.kind && slot == other.slot; }
};

doctest::String toString(const Report& report) {
    return doctest::String("{kind ") + doctest::toString(static_cast<unsigned long long>(report.kind)) + ", slot " +
           doctest::toString(static_cast<long long>(report.slot)) + "}";
}

std::vector<Report> Repeated(const Report& report, size_t count) { return std::vector<Report>(count, report); }

// The library freshly mapped from beside the test, its procedures resolved by
// their published names; unmapped when destroyed.
class LoadedLibrary {
public:
    LoadedLibrary() {
        // Every case starts from a fresh mapping, so no state leaks between cases.
        REQUIRE(GetModuleHandleA(kLibraryName) == nullptr);
        m_module.reset(LoadLibraryA(BinPath(kLibraryName).c_str()));
        REQUIRE(m_module);
        R = Resolve("_InterceptaR");
        T = Resolve("_InterceptaT");
        M = Resolve("_InterceptaM");
    }

    HMODULE Module() const { return m_module.get(); }

    // The entry routine has no exported name; the image header knows where it is.
    EntryRoutine Entry() const {
        auto* base = reinterpret_cast<BYTE*>(m_module.get());
        const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
        return reinterpret_cast<EntryRoutine>(base + nt->OptionalHeader.AddressOfEntryPoint);
    }

    HookProcedure R = nullptr;
    HookProcedure T = nullptr;
    HookProcedure M = nullptr;

private:
    HookProcedure Resolve(const char* name) const {
        auto* address = reinterpret_cast<void*>(GetProcAddress(m_module.get(), name));
        REQUIRE_MESSAGE(address != nullptr, name);
        return reinterpret_cast<HookProcedure>(address);
    }

    win32::UniqueModule m_module;
};

// Registers a window class of the test's own with the status window's name.
const char* ReportWindowClass() {
    static const bool registered = [] {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = hookproto::kReportWindowClass;
        return RegisterClassA(&windowClass) != 0;
    }();
    REQUIRE(registered);
    return hookproto::kReportWindowClass;
}

// A hidden top-level window of the test's own that receives reports; of the
// status window's class, as start messages must name.
class ReportWindow {
public:
    ReportWindow() : m_window(CreateWindowExA(0, ReportWindowClass(), "reports", WS_POPUP, 0, 0, 10, 10, nullptr,
                                              nullptr, GetModuleHandleA(nullptr), nullptr)) {
        REQUIRE(m_window);
    }

    HWND Handle() const { return m_window.get(); }
    LPARAM AsLParam() const { return reinterpret_cast<LPARAM>(m_window.get()); }

    // Removes and returns the reports queued for this window so far.
    std::vector<Report> Take() {
        std::vector<Report> reports;
        AppendQueued(reports);
        return reports;
    }

    // Reports posted from another thread: waits until count have arrived,
    // then a little longer, so that a surplus report shows too.
    std::vector<Report> WaitFor(size_t count, DWORD timeoutMs = 5000) {
        std::vector<Report> reports;
        const DWORD start = GetTickCount();
        while (AppendQueued(reports), reports.size() < count && GetTickCount() - start < timeoutMs) Sleep(5);
        Sleep(100);
        AppendQueued(reports);
        return reports;
    }

private:
    void AppendQueued(std::vector<Report>& reports) {
        MSG message;
        while (PeekMessageA(&message, m_window.get(), kReportMessage, kReportMessage, PM_REMOVE)) {
            reports.push_back({message.wParam, message.lParam});
        }
    }

    win32::UniqueWindow m_window;
};

MSG MessageRecord(UINT message, WPARAM wParam = 0, LPARAM lParam = 0, HWND window = nullptr) {
    MSG record = {};
    record.hwnd = window;
    record.message = message;
    record.wParam = wParam;
    record.lParam = lParam;
    return record;
}

// Windows of another process, as the supervised program's are to the
// supervisor: two sessions, each a main window with an owned popup and an
// owned overlapped tool window. Started once for the whole file and never hooked.
struct ForeignSessions {
    ScratchFolder folder;
    TestAppProcess app{folder, "QLHookForeign", "--windows 2 --popup --tool"};
    std::vector<HWND> roots = app.Windows();
    std::vector<HWND> popups = TopLevelWindowsOfClass("QLHookForeignPopup", app.Id());
    std::vector<HWND> tools = TopLevelWindowsOfClass("QLHookForeignTool", app.Id());
};

const ForeignSessions& Foreign() {
    static const ForeignSessions sessions;
    REQUIRE(sessions.roots.size() == 2);
    REQUIRE(sessions.popups.size() == 2);
    REQUIRE(sessions.tools.size() == 2);
    return sessions;
}

HWND SessionRoot(int session = 0) { return Foreign().roots.at(static_cast<size_t>(session)); }
// The popup owned by a session's root window.
HWND SessionPopup(int session) {
    for (HWND popup : Foreign().popups) {
        if (GetParent(popup) == SessionRoot(session)) return popup;
    }
    FAIL("no popup owned by the session's root");
    return nullptr;
}
// The tool window a session's root owns; GetParent does not lead from it to its owner.
HWND SessionTool(int session) {
    for (HWND tool : Foreign().tools) {
        if (GetWindow(tool, GW_OWNER) == SessionRoot(session)) return tool;
    }
    FAIL("no tool window owned by the session's root");
    return nullptr;
}

// One message as the get-message hook sees it being retrieved.
LRESULT Retrieve(HookProcedure procedure, UINT message, WPARAM wParam = 0, LPARAM lParam = 0, int code = HC_ACTION,
                 WPARAM removal = PM_REMOVE) {
    MSG record = MessageRecord(message, wParam, lParam);
    return procedure(code, removal, reinterpret_cast<LPARAM>(&record));
}

// The same, for a message posted to a given window.
void RetrieveFor(HookProcedure procedure, HWND target, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    MSG record = MessageRecord(message, wParam, lParam, target);
    procedure(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&record));
}

// The supervisor's start message, retrieved by a session's root window.
void Start(const LoadedLibrary& library, WPARAM slot, const ReportWindow& window, int session = 0) {
    RetrieveFor(library.M, SessionRoot(session), kStartMessage, slot, window.AsLParam());
}

// Key messages as the system makes them: virtual key in wParam, repeat
// count, scan code and transition bits in lParam. Keys are reported as their
// messages are retrieved through the get-message hook.
constexpr LPARAM kKeyPressBits = 0x001E0001;
const LPARAM kKeyReleaseBits = static_cast<LPARAM>(static_cast<INT32>(0xC01E0001u));
LRESULT PressKey(const LoadedLibrary& library, int code = HC_ACTION, WPARAM removal = PM_REMOVE) {
    return Retrieve(library.M, WM_KEYDOWN, 'A', kKeyPressBits, code, removal);
}
LRESULT ReleaseKey(const LoadedLibrary& library) { return Retrieve(library.M, WM_KEYUP, 'A', kKeyReleaseBits); }

bool ThreadQueueHasReport() {
    MSG message;
    return PeekMessageA(&message, reinterpret_cast<HWND>(-1), kReportMessage, kReportMessage, PM_REMOVE) != FALSE;
}

// A real hook chain on this thread with a library procedure in the middle:
// a probe of ours on top hands a crafted call down the chain, and a tail of
// ours at the bottom records what reached it and answers with a marker. So
// what the library procedure passes on, and what it returns, are seen as the
// system's own chain sees them.
class HookChain {
public:
    static constexpr LRESULT kTailAnswer = 0x5EED;

    struct Call {
        int code;
        WPARAM wParam;
        LPARAM lParam;
        bool operator==(const Call& other) const {
            return code == other.code && wParam == other.wParam && lParam == other.lParam;
        }
    };

    HookChain(HookProcedure middle, HMODULE middleModule) {
        REQUIRE(Active() == nullptr);
        Active() = this;
        const DWORD thread = GetCurrentThreadId();
        // The last one installed is called first.
        m_tail.reset(SetWindowsHookExA(WH_GETMESSAGE, Tail, nullptr, thread));
        m_middle.reset(SetWindowsHookExA(WH_GETMESSAGE, middle, middleModule, thread));
        m_probe.reset(SetWindowsHookExA(WH_GETMESSAGE, Probe, nullptr, thread));
        REQUIRE(m_tail);
        REQUIRE(m_middle);
        REQUIRE(m_probe);
    }
    ~HookChain() { Active() = nullptr; }
    HookChain(const HookChain&) = delete;
    HookChain& operator=(const HookChain&) = delete;

    // Hands one call down from the probe; returns what came back up, and
    // stores in reached what arrived at the tail.
    LRESULT PassDown(const Call& call, std::vector<Call>& reached) {
        m_send = call;
        m_armed = true;
        m_reached.clear();
        PostThreadMessageA(GetCurrentThreadId(), WM_APP, 0, 0);
        MSG message;
        REQUIRE(PeekMessageA(&message, reinterpret_cast<HWND>(-1), WM_APP, WM_APP, PM_REMOVE));
        REQUIRE_FALSE(m_armed);
        reached = m_reached;
        return m_returned;
    }

private:
    // Hook procedures take no context; the one chain alive is found here.
    static HookChain*& Active() {
        static HookChain* active = nullptr;
        return active;
    }

    static LRESULT CALLBACK Probe(int code, WPARAM wParam, LPARAM lParam) {
        HookChain* chain = Active();
        if (chain == nullptr || !chain->m_armed) return CallNextHookEx(nullptr, code, wParam, lParam);
        chain->m_armed = false;
        chain->m_passing = true;
        chain->m_returned = CallNextHookEx(nullptr, chain->m_send.code, chain->m_send.wParam, chain->m_send.lParam);
        chain->m_passing = false;
        return 0;
    }

    static LRESULT CALLBACK Tail(int code, WPARAM wParam, LPARAM lParam) {
        HookChain* chain = Active();
        if (chain != nullptr && chain->m_passing) chain->m_reached.push_back({code, wParam, lParam});
        return kTailAnswer;
    }

    win32::UniqueHook m_tail;
    win32::UniqueHook m_middle;
    win32::UniqueHook m_probe;
    Call m_send{};
    bool m_armed = false;
    bool m_passing = false;
    LRESULT m_returned = 0;
    std::vector<Call> m_reached;
};

doctest::String toString(const HookChain::Call& call) {
    return doctest::String("{code ") + doctest::toString(call.code) + ", wParam " +
           doctest::toString(static_cast<unsigned long long>(call.wParam)) + ", lParam " +
           doctest::toString(static_cast<long long>(call.lParam)) + "}";
}

// The library's two procedures installed for real, once per session, on the
// thread of a running test program, as the supervisor installs them.
class HookedProgram {
public:
    HookedProgram(const LoadedLibrary& library, const char* className, int sessions)
        : m_app(m_folder, className, "--windows " + std::to_string(sessions)) {
        m_windows = m_app.Windows();
        REQUIRE(m_windows.size() == static_cast<size_t>(sessions));
        const DWORD thread = GetWindowThreadProcessId(m_windows[0], nullptr);
        for (int session = 0; session < sessions; ++session) {
            m_hooks.emplace_back(SetWindowsHookExA(WH_KEYBOARD, library.T, library.Module(), thread));
            m_hooks.emplace_back(SetWindowsHookExA(WH_GETMESSAGE, library.M, library.Module(), thread));
        }
        for (const win32::UniqueHook& hook : m_hooks) REQUIRE(hook);
    }

    HWND Window(int session) const { return m_windows.at(static_cast<size_t>(session)); }

private:
    ScratchFolder m_folder;
    TestAppProcess m_app;
    std::vector<HWND> m_windows;
    std::vector<win32::UniqueHook> m_hooks;  // removed before the program ends
};

// A key pressed and released; extraInfo marks it as Quorlan's own when it is Quorlan's mark.
void SendKeyStroke(WORD virtualKey, ULONG_PTR extraInfo = 0) {
    INPUT inputs[2] = {};
    for (INPUT& input : inputs) {
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = virtualKey;
        input.ki.dwExtraInfo = extraInfo;
    }
    inputs[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, inputs, sizeof(INPUT));
}

}  // namespace

TEST_CASE("before a start message nothing is reported, and a re-target message reports nothing") {
    LoadedLibrary library;
    ReportWindow window;
    PressKey(library);
    ReleaseKey(library);
    PressKey(library, HC_ACTION, PM_NOREMOVE);
    for (UINT message = WM_MOUSEMOVE; message <= 0x020E; ++message) Retrieve(library.M, message);
    Retrieve(library.M, kReportMessage, 3);
    CHECK(window.Take().empty());
    CHECK_FALSE(ThreadQueueHasReport());

    // The start message still takes its own number, whatever came before.
    Start(library, 7, window);
    CHECK(window.Take() == std::vector<Report>{{kKindStarted, 7}});
}

TEST_CASE("a start message reports once to the window it names; keys then report kind 1 there") {
    LoadedLibrary library;
    ReportWindow window;
    ReportWindow bystander;

    Start(library, 7, window);
    CHECK(window.Take() == std::vector<Report>{{kKindStarted, 7}});

    SUBCASE("a press and its release report twice") {
        PressKey(library);
        ReleaseKey(library);
        CHECK(window.Take() == Repeated({kKindKey, 7}, 2));
    }
    SUBCASE("a peeked key counts as well") {
        PressKey(library, HC_ACTION, PM_NOREMOVE);
        CHECK(window.Take() == Repeated({kKindKey, 7}, 1));
    }
    SUBCASE("a key that carries Quorlan's mark reports kind 3; the keyboard hook itself reports nothing") {
        library.T(HC_ACTION, 'A', kKeyPressBits);
        SetMessageExtraInfo(static_cast<LPARAM>(ql::hookproto::kOwnInputMarker));
        PressKey(library);
        Retrieve(library.M, WM_SYSKEYUP, VK_MENU, kKeyReleaseBits);
        SetMessageExtraInfo(0);
        ReleaseKey(library);
        Retrieve(library.M, WM_CHAR, 'a');  // a character, made from the key later: no report
        CHECK(window.Take() == std::vector<Report>{{kKindOwnKey, 7}, {kKindOwnKey, 7}, {kKindKey, 7}});
    }
    SUBCASE("a later start message moves the reports to its window and number") {
        Start(library, 9, bystander);
        PressKey(library);
        CHECK(bystander.Take() == std::vector<Report>{{kKindStarted, 9}, {kKindKey, 9}});
    }
    CHECK(bystander.Take().empty());
}

TEST_CASE("only mouse-button and wheel messages report kind 2") {
    LoadedLibrary library;
    ReportWindow window;
    Start(library, 7, window);
    window.Take();

    SUBCASE("each of the ten button and wheel messages reports once") {
        for (UINT message = WM_LBUTTONDOWN; message <= WM_MOUSEWHEEL; ++message) {
            CAPTURE(message);
            Retrieve(library.M, message);
            CHECK(window.Take() == Repeated({kKindMouse, 7}, 1));
        }
    }
    SUBCASE("a peeked message counts as one that is removed") {
        Retrieve(library.M, WM_LBUTTONDOWN, 0, 0, HC_ACTION, PM_NOREMOVE);
        Retrieve(library.M, WM_LBUTTONDOWN, 0, 0, HC_ACTION, PM_REMOVE);
        CHECK(window.Take() == Repeated({kKindMouse, 7}, 2));
    }
    SUBCASE("moves, extra buttons, non-client clicks and other messages report nothing") {
        for (UINT message : {static_cast<UINT>(WM_MOUSEMOVE), 0x020Bu /*WM_XBUTTONDOWN*/, 0x020Cu, 0x020Eu,
                             static_cast<UINT>(WM_NCLBUTTONDOWN), static_cast<UINT>(WM_TIMER),
                             static_cast<UINT>(WM_NULL)}) {
            CAPTURE(message);
            Retrieve(library.M, message);
        }
        CHECK(window.Take().empty());
    }
    SUBCASE("a get-message call without a message record is passed on untouched") {
        library.M(HC_ACTION, PM_REMOVE, 0);
        CHECK(window.Take().empty());
    }
}

TEST_CASE("a re-target message changes the number of later reports, not their window; a program's own does not") {
    LoadedLibrary library;
    ReportWindow window;
    ReportWindow bystander;
    Start(library, 7, window);
    // The program's own WM_USER+4, posted to itself: no window, or another one, in lParam.
    for (LPARAM own : {LPARAM{0}, LPARAM{1}, bystander.AsLParam(), reinterpret_cast<LPARAM>(SessionRoot())}) {
        CAPTURE(own);
        RetrieveFor(library.M, SessionRoot(), kReportMessage, 3, own);
        PressKey(library);
    }
    RetrieveFor(library.M, SessionRoot(), kReportMessage, 3, window.AsLParam());
    PressKey(library);
    Retrieve(library.M, WM_RBUTTONUP);
    CHECK(window.Take() == std::vector<Report>{{kKindStarted, 7}, {kKindKey, 7}, {kKindKey, 7}, {kKindKey, 7},
                                               {kKindKey, 7}, {kKindKey, 3}, {kKindMouse, 3}});
}

TEST_CASE("a negative code is passed on without touching the state") {
    LoadedLibrary library;
    ReportWindow window;

    MSG start = MessageRecord(kStartMessage, 7, window.AsLParam(), SessionRoot());
    library.M(-1, PM_REMOVE, reinterpret_cast<LPARAM>(&start));
    PressKey(library);
    CHECK(window.Take().empty());

    Start(library, 7, window);
    Retrieve(library.M, kReportMessage, 3, 0, -1);
    start.wParam = 9;
    library.M(-1, PM_REMOVE, reinterpret_cast<LPARAM>(&start));
    Retrieve(library.M, WM_LBUTTONDOWN, 0, 0, -1);
    PressKey(library, -1);
    PressKey(library);
    CHECK(window.Take() == std::vector<Report>{{kKindStarted, 7}, {kKindKey, 7}});
}

TEST_CASE("_InterceptaR passes every call on and neither reports nor changes the state") {
    LoadedLibrary library;
    ReportWindow window;
    ReportWindow bystander;
    Start(library, 7, window);

    MSG start = MessageRecord(kStartMessage, 9, bystander.AsLParam(), SessionRoot());
    library.R(HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&start));
    library.R(HC_ACTION, 'A', kKeyPressBits);
    PressKey(library);
    CHECK(window.Take() == std::vector<Report>{{kKindStarted, 7}, {kKindKey, 7}});
    CHECK(bystander.Take().empty());
}

TEST_CASE("a start message that names no status window of another process is the program's own and changes nothing") {
    LoadedLibrary library;
    ReportWindow window;
    // Windows of this process, another than the session's, but not of the status window's class or not top-level.
    win32::UniqueWindow otherClass(CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                                   GetModuleHandleA(nullptr), nullptr));
    win32::UniqueWindow childOfClass(CreateWindowExA(0, ReportWindowClass(), "", WS_CHILD, 0, 0, 10, 10,
                                                     window.Handle(), nullptr, GetModuleHandleA(nullptr), nullptr));
    REQUIRE(otherClass);
    REQUIRE(childOfClass);
    const std::vector<LPARAM> notTheSupervisor = {
        0, reinterpret_cast<LPARAM>(HWND_BROADCAST), 12345,  // a progress step, say
        32, reinterpret_cast<LPARAM>(GetDesktopWindow()),   // the desktop's, another process's window
        reinterpret_cast<LPARAM>(otherClass.get()), reinterpret_cast<LPARAM>(childOfClass.get()),
        reinterpret_cast<LPARAM>(SessionRoot(0)), reinterpret_cast<LPARAM>(SessionPopup(1))};

    SUBCASE("before any start message: nothing is ever reported") {
        for (LPARAM target : notTheSupervisor) {
            CAPTURE(target);
            RetrieveFor(library.M, SessionRoot(), kStartMessage, 7, target);
            PressKey(library);
            Retrieve(library.M, WM_LBUTTONDOWN);
            CHECK_FALSE(ThreadQueueHasReport());
            CHECK(window.Take().empty());  // a broadcast would reach this top-level window too
        }
    }
    SUBCASE("after the supervisor's: reports keep their window and number") {
        Start(library, 7, window);
        for (LPARAM target : notTheSupervisor) {
            CAPTURE(target);
            RetrieveFor(library.M, SessionRoot(), kStartMessage, 3, target);
            PressKey(library);
            RetrieveFor(library.M, SessionRoot(), WM_LBUTTONDOWN);
        }
        CHECK_FALSE(ThreadQueueHasReport());
        std::vector<Report> expected = {{kKindStarted, 7}};
        for (size_t i = 0; i < notTheSupervisor.size(); ++i) {
            expected.push_back({kKindKey, 7});
            expected.push_back({kKindMouse, 7});
        }
        CHECK(window.Take() == expected);
    }
    SUBCASE("a thread message, posted to no window, is not the supervisor's either") {
        Retrieve(library.M, kStartMessage, 7, window.AsLParam());
        PressKey(library);
        CHECK(window.Take().empty());
    }
}

TEST_CASE("two sessions of one process: input is credited to the session whose tree it happened in") {
    LoadedLibrary library;
    ReportWindow window;
    Start(library, 4, window, 0);
    Start(library, 9, window, 1);
    CHECK(window.Take() == std::vector<Report>{{kKindStarted, 4}, {kKindStarted, 9}});

    const struct {
        const char* where;
        HWND target;
        LPARAM slot;
    } clicks[] = {
        {"the older session's root", SessionRoot(0), 4},
        {"a popup the older session's root owns", SessionPopup(0), 4},
        {"the newer session's popup", SessionPopup(1), 9},
        {"the older session's tool window", SessionTool(0), 4},
        {"the newer session's tool window", SessionTool(1), 9},
        {"outside every session: the latest start's number", nullptr, 9},
    };
    for (const auto& click : clicks) {
        CAPTURE(click.where);
        RetrieveFor(library.M, click.target, WM_LBUTTONDOWN);
        CHECK(window.Take() == std::vector<Report>{{kKindMouse, click.slot}});
    }

    SUBCASE("a re-target message renumbers the tree of the window it is posted to") {
        RetrieveFor(library.M, SessionPopup(0), kReportMessage, 6, window.AsLParam());
        RetrieveFor(library.M, SessionRoot(0), WM_RBUTTONDOWN);
        RetrieveFor(library.M, SessionRoot(1), WM_RBUTTONDOWN);
        RetrieveFor(library.M, nullptr, WM_RBUTTONDOWN);
        CHECK(window.Take() == std::vector<Report>{{kKindMouse, 6}, {kKindMouse, 9}, {kKindMouse, 6}});
    }
    SUBCASE("a later start of the same session gives its tree the new number") {
        Start(library, 12, window, 0);
        RetrieveFor(library.M, SessionPopup(0), WM_MOUSEWHEEL);
        RetrieveFor(library.M, SessionPopup(1), WM_MOUSEWHEEL);
        CHECK(window.Take() == std::vector<Report>{{kKindStarted, 12}, {kKindMouse, 12}, {kKindMouse, 9}});
    }
}

TEST_CASE("the entry routine succeeds for every reason and resets the state only on process attach") {
    LoadedLibrary library;
    ReportWindow window;
    const EntryRoutine entry = library.Entry();
    Start(library, 7, window);
    window.Take();

    for (DWORD reason : {DWORD{DLL_THREAD_ATTACH}, DWORD{DLL_THREAD_DETACH}, DWORD{DLL_PROCESS_DETACH}}) {
        CAPTURE(reason);
        CHECK(entry(library.Module(), reason, nullptr) == TRUE);
        PressKey(library);
        CHECK(window.Take() == Repeated({kKindKey, 7}, 1));
    }
    CHECK(entry(library.Module(), DLL_PROCESS_ATTACH, nullptr) == TRUE);
    PressKey(library);
    Retrieve(library.M, WM_LBUTTONDOWN);
    CHECK(window.Take().empty());
}

TEST_CASE("a library mapped afresh reports nothing until it sees a start message") {
    ReportWindow window;
    {
        LoadedLibrary first;
        Start(first, 7, window);
        PressKey(first);
        CHECK(window.Take().size() == 2);
    }
    LoadedLibrary second;  // requires that the first mapping is gone
    PressKey(second);
    Retrieve(second.M, WM_LBUTTONDOWN);
    CHECK(window.Take().empty());
}

TEST_CASE("each procedure passes its call on unchanged and returns what the next hook returns") {
    LoadedLibrary library;
    ReportWindow window;
    MSG start = MessageRecord(kStartMessage, 7, window.AsLParam());
    MSG click = MessageRecord(WM_LBUTTONDOWN);
    const MSG startBefore = start;

    // For the get-message hook a code of 0 or more comes with a message
    // record; a negative code comes with anything and must not be looked at.
    const std::vector<HookChain::Call> messageCalls = {
        {-1, PM_REMOVE, reinterpret_cast<LPARAM>(&start)},
        {HC_ACTION, PM_REMOVE, reinterpret_cast<LPARAM>(&start)},
        {HC_ACTION, PM_NOREMOVE, reinterpret_cast<LPARAM>(&click)},
        {-2, 'A', kKeyPressBits},
    };
    std::vector<HookChain::Call> anyCalls = messageCalls;
    anyCalls.push_back({HC_ACTION, 'A', kKeyPressBits});
    anyCalls.push_back({HC_NOREMOVE, 'A', kKeyReleaseBits});
    const struct {
        const char* name;
        HookProcedure procedure;
        const std::vector<HookChain::Call>& calls;
    } procedures[] = {
        {"_InterceptaR", library.R, anyCalls}, {"_InterceptaT", library.T, anyCalls}, {"_InterceptaM", library.M, messageCalls}};

    for (const auto& tested : procedures) {
        const std::string name = tested.name;
        CAPTURE(name);
        HookChain chain(tested.procedure, library.Module());
        for (const HookChain::Call& call : tested.calls) {
            CAPTURE(call);
            std::vector<HookChain::Call> reached;
            CHECK(chain.PassDown(call, reached) == HookChain::kTailAnswer);
            CHECK(reached == std::vector<HookChain::Call>{call});
        }
    }
    CHECK(std::memcmp(&start, &startBefore, sizeof start) == 0);
    CHECK(click.message == WM_LBUTTONDOWN);
}

TEST_CASE("a process with more sessions over its life than the table holds: closed sessions make room") {
    constexpr int kTable = 30;
    ScratchFolder folder;
    TestAppProcess app(folder, "QLHookMany", "--windows 31");
    const std::vector<HWND> roots = app.Windows();
    REQUIRE(roots.size() == kTable + 1);
    LoadedLibrary library;
    ReportWindow window;
    const auto clickIn = [&](HWND target) {
        RetrieveFor(library.M, target, WM_LBUTTONDOWN);
        const std::vector<Report> reports = window.Take();
        return reports.size() == 1 ? reports[0].slot : LPARAM{-1};
    };
    for (int i = 0; i < kTable; ++i) RetrieveFor(library.M, roots[static_cast<size_t>(i)], kStartMessage, i, window.AsLParam());
    RetrieveFor(library.M, roots[kTable], kStartMessage, 77, window.AsLParam());
    window.Take();
    CHECK(clickIn(roots[3]) == 3);
    CHECK(clickIn(roots[kTable - 1]) == kTable - 1);
    CHECK(clickIn(roots[kTable]) == 77);  // no room: the latest start's number

    PostMessageA(roots[5], WM_CLOSE, 0, 0);
    REQUIRE(WaitUntil([&] { return !IsWindow(roots[5]); }, 5000));
    RetrieveFor(library.M, roots[kTable], kStartMessage, 78, window.AsLParam());
    RetrieveFor(library.M, roots[0], kStartMessage, 40, window.AsLParam());
    window.Take();
    CHECK(clickIn(roots[kTable]) == 78);  // the closed session's entry, not the latest number
    CHECK(clickIn(roots[0]) == 40);
    CHECK(clickIn(roots[6]) == 6);
}

TEST_CASE("hooks installed in another program report start, mouse and re-target through its message loop") {
    LoadedLibrary library;
    ReportWindow window;
    HookedProgram hooked(library, "QLHookOne", 1);

    CHECK(PostMessageA(hooked.Window(0), kStartMessage, 5, window.AsLParam()));
    CHECK(window.WaitFor(1) == std::vector<Report>{{kKindStarted, 5}});

    PostMessageA(hooked.Window(0), WM_MOUSEMOVE, 0, 0);
    PostMessageA(hooked.Window(0), WM_LBUTTONDOWN, 0, 0);
    PostMessageA(hooked.Window(0), WM_LBUTTONUP, 0, 0);
    CHECK(window.WaitFor(2) == Repeated({kKindMouse, 5}, 2));

    // The program's own WM_USER+4 moves nothing; the one naming the report window does.
    PostMessageA(hooked.Window(0), kReportMessage, 12, 0);
    PostMessageA(hooked.Window(0), WM_MOUSEWHEEL, 0, 0);
    CHECK(window.WaitFor(1) == Repeated({kKindMouse, 5}, 1));
    PostMessageA(hooked.Window(0), kReportMessage, 11, window.AsLParam());
    PostMessageA(hooked.Window(0), WM_MOUSEWHEEL, 0, 0);
    CHECK(window.WaitFor(1) == Repeated({kKindMouse, 11}, 1));

    SUBCASE("keys typed into the hooked program's window: Quorlan's marked ones report kind 3, a person's kind 1") {
        REQUIRE(BringForward(hooked.Window(0)));
        SendKeyStroke(VK_F13, ql::hookproto::kOwnInputMarker);
        SendKeyStroke(VK_F13);
        SendKeyStroke(VK_F13, ql::hookproto::kOwnInputMarker);
        CHECK(window.WaitFor(6) == std::vector<Report>{{kKindOwnKey, 11}, {kKindOwnKey, 11}, {kKindKey, 11},
                                                       {kKindKey, 11}, {kKindOwnKey, 11}, {kKindOwnKey, 11}});
    }
    SUBCASE("the program's own WM_USER+3 (lParam 0, its own window, the desktop's) leaves the reports alone") {
        PostMessageA(hooked.Window(0), kStartMessage, 2, 0);
        PostMessageA(hooked.Window(0), kStartMessage, 2, reinterpret_cast<LPARAM>(hooked.Window(0)));
        PostMessageA(hooked.Window(0), kStartMessage, 2, reinterpret_cast<LPARAM>(GetDesktopWindow()));
        PostMessageA(hooked.Window(0), WM_RBUTTONDOWN, 0, 0);
        CHECK(window.WaitFor(1) == Repeated({kKindMouse, 11}, 1));
    }
}

TEST_CASE("two sessions on one thread of another program: keys typed into each report that session's number") {
    LoadedLibrary library;
    ReportWindow window;
    HookedProgram hooked(library, "QLHookTwo", 2);
    PostMessageA(hooked.Window(0), kStartMessage, 3, window.AsLParam());
    PostMessageA(hooked.Window(1), kStartMessage, 8, window.AsLParam());
    // Both pairs of hooks see every event: each report comes twice.
    CHECK(window.WaitFor(4) == std::vector<Report>{{kKindStarted, 3}, {kKindStarted, 3}, {kKindStarted, 8}, {kKindStarted, 8}});

    for (int round = 0; round < 2; ++round) {
        for (int session : {0, 1}) {
            CAPTURE(round);
            CAPTURE(session);
            const LPARAM slot = session == 0 ? 3 : 8;
            SetForegroundWindow(hooked.Window(session));
            REQUIRE(WaitUntil([&] { return GetForegroundWindow() == hooked.Window(session); }, 2000));
            SendKeyStroke(VK_F13);
            CHECK(window.WaitFor(4) == Repeated({kKindKey, slot}, 4));
            PostMessageA(hooked.Window(session), WM_LBUTTONDOWN, 0, 0);
            CHECK(window.WaitFor(2) == Repeated({kKindMouse, slot}, 2));
        }
    }
}

}  // namespace ql::test
