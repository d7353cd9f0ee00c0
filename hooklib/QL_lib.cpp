// QL_lib.dll: the hook procedures that run inside the supervised program.
//
// They sit in another program's input path, so they stay minimal: no C
// runtime, no allocation, nothing that blocks, at most one PostMessageA per
// call, and every call ends in CallNextHookEx whose result is returned
// unchanged. The only thing that crosses back to the supervisor is a posted
// report message.
#include <windows.h>

#include <atomic>

#include "core/HookProtocol.h"

namespace {

using namespace ql::hookproto;

// Mouse-button and wheel messages that count as activity (0x201..0x20A);
// moves, non-client messages and the extra buttons from 0x20B up do not.
constexpr UINT kFirstMouseActivity = WM_LBUTTONDOWN;
constexpr UINT kLastMouseActivity = 0x020A;  // WM_MOUSEWHEEL

// As many sessions as the supervisor tracks; one process rarely has more than a few.
constexpr int kSessionRoots = kSessionSlots;

constexpr auto kRelaxed = std::memory_order_relaxed;

// One session of this process: the root window the supervisor's start message
// was posted to, and the number the supervisor gave that session.
struct SessionRoot {
    std::atomic<HWND> Root{nullptr};
    std::atomic<INT32> Slot{0};
};

// One instance per process that maps the library (no shared section). The
// hooked threads of a process share it without a lock, so each field is one
// word-sized atomic: a report may carry a number that another thread has just
// replaced, which is harmless.
struct HookState {
    std::atomic<HWND> ReportWindow{nullptr};
    // The number of the latest start or re-target message: reports for input
    // outside every known session tree carry it.
    std::atomic<INT32> SessionSlot{0};
    std::atomic<bool> Reporting{false};
    SessionRoot Sessions[kSessionRoots];
};

HookState state;  // constant-initialised: there is no C runtime to run constructors

LRESULT PassOn(int code, WPARAM wParam, LPARAM lParam) { return CallNextHookEx(nullptr, code, wParam, lParam); }

// The top of a window's chain of parents and owners, found the way the
// supervisor finds a session's root window. GetParent names the owner of an
// owned popup only; an owned overlapped window (a tool palette) names it
// through GW_OWNER.
HWND RootOf(HWND window) {
    if (window == nullptr) return nullptr;
    for (int depth = 0; depth < kMaxRootWalk; ++depth) {
        HWND up = GetParent(window);
        if (up == nullptr) up = GetWindow(window, GW_OWNER);
        if (up == nullptr) break;
        window = up;
    }
    return window;
}

SessionRoot* FindSession(HWND root) {
    if (root == nullptr) return nullptr;
    for (SessionRoot& session : state.Sessions) {
        if (session.Root.load(kRelaxed) == root) return &session;
    }
    return nullptr;
}

// The entry for root, or a free one claimed for it; a root whose window is
// gone frees its entry. Null when every entry holds a live session.
SessionRoot* ClaimSession(HWND root) {
    if (SessionRoot* known = FindSession(root)) return known;
    for (SessionRoot& session : state.Sessions) {
        HWND held = session.Root.load(kRelaxed);
        if (held != nullptr && IsWindow(held)) continue;
        // Another hooked thread may claim the same entry meanwhile.
        if (session.Root.compare_exchange_strong(held, root, kRelaxed)) return &session;
    }
    return nullptr;
}

// The session number of the tree that window belongs to; input outside every
// known tree keeps the number of the latest start or re-target message.
INT32 SlotFor(HWND window) {
    if (const SessionRoot* session = FindSession(RootOf(window))) return session->Slot.load(kRelaxed);
    return state.SessionSlot.load(kRelaxed);
}

void PostReport(WPARAM kind, INT32 slot) {
    const HWND window = state.ReportWindow.load(kRelaxed);
    if (window != nullptr) PostMessageA(window, kReportMessage, kind, slot);
}

bool IsReportWindowClass(HWND window) {
    char name[sizeof kReportWindowClass + 1];
    const int length = GetClassNameA(window, name, static_cast<int>(sizeof name));
    if (length != static_cast<int>(sizeof kReportWindowClass) - 1) return false;
    for (int i = 0; i < length; ++i) {
        if (name[i] != kReportWindowClass[i]) return false;
    }
    return true;
}

// Only the supervisor may start a session: a start message names a top-level
// window of the supervisor's status window class in another process than the
// window it was posted to. A program's own message of the same value (a
// progress step posted to itself, say) carries anything else in lParam, a
// small number that happens to be the desktop window's handle included, and
// leaves the state alone.
bool IsStartFromSupervisor(const MSG& message) {
    const auto reportWindow = reinterpret_cast<HWND>(message.lParam);
    if (message.hwnd == nullptr || reportWindow == nullptr) return false;
    if ((GetWindowLongA(reportWindow, GWL_STYLE) & WS_CHILD) != 0) return false;
    if (!IsReportWindowClass(reportWindow)) return false;
    DWORD reportProcess = 0;
    DWORD targetProcess = 0;
    if (GetWindowThreadProcessId(reportWindow, &reportProcess) == 0) return false;
    if (GetWindowThreadProcessId(message.hwnd, &targetProcess) == 0) return false;
    return reportProcess != targetProcess;
}

// The supervisor never re-targets a session; a program may post its own
// WM_USER+4 to its windows. Only a message naming the window the reports go
// to is taken as a re-target message.
bool IsRetargetFromSupervisor(const MSG& message) {
    const HWND reportWindow = state.ReportWindow.load(kRelaxed);
    return reportWindow != nullptr && reinterpret_cast<HWND>(message.lParam) == reportWindow;
}

void Start(const MSG& message) {
    const auto slot = static_cast<INT32>(message.wParam);
    if (SessionRoot* session = ClaimSession(RootOf(message.hwnd))) session->Slot.store(slot, kRelaxed);
    state.SessionSlot.store(slot, kRelaxed);
    state.ReportWindow.store(reinterpret_cast<HWND>(message.lParam), kRelaxed);
    state.Reporting.store(true, kRelaxed);
    PostReport(kControlStarted, slot);
}

// A re-target message gives the tree of the window it was posted to a new number.
void Retarget(const MSG& message) {
    const auto slot = static_cast<INT32>(message.wParam);
    if (SessionRoot* session = FindSession(RootOf(message.hwnd))) session->Slot.store(slot, kRelaxed);
    state.SessionSlot.store(slot, kRelaxed);
}

bool IsMouseActivity(UINT message) { return message >= kFirstMouseActivity && message <= kLastMouseActivity; }

// The keyboard's own messages, presses and releases; characters are posted
// by TranslateMessage later and carry no mark.
bool IsKeyMessage(UINT message) {
    return message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP;
}

// Keys are reported as their messages are retrieved: only then is the
// message's extra information the key's own (the keyboard hook runs before
// it is, under Wine), so each of the supervisor's keys is told by its mark.
WPARAM KeyReportKind() {
    return static_cast<UINT32>(GetMessageExtraInfo()) == kOwnInputMarker ? kOwnKeyDown : kKeyDown;
}

void HandleRetrievedMessage(const MSG& message) {
    if (message.message == kStartMessage) {
        if (IsStartFromSupervisor(message)) Start(message);
    } else if (message.message == kReportMessage) {
        if (IsRetargetFromSupervisor(message)) Retarget(message);
    } else if (!state.Reporting.load(kRelaxed)) {
        return;
    } else if (IsMouseActivity(message.message)) {
        PostReport(kMouseClick, SlotFor(message.hwnd));
    } else if (IsKeyMessage(message.message)) {
        PostReport(KeyReportKind(), SlotFor(message.hwnd));
    }
}

}  // namespace

extern "C" {

// Exported as _InterceptaR: resolved by the supervisor, never installed.
LRESULT CALLBACK InterceptaR(int code, WPARAM wParam, LPARAM lParam) { return PassOn(code, wParam, lParam); }

// Exported as _InterceptaT: the keyboard hook. It passes every key on; the
// get-message hook reports them, once their messages are retrieved.
LRESULT CALLBACK InterceptaT(int code, WPARAM wParam, LPARAM lParam) { return PassOn(code, wParam, lParam); }

// Exported as _InterceptaM: the get-message hook; lParam is the MSG being
// retrieved (peeked or removed, both count): start and re-target messages,
// mouse buttons and wheel, and keys.
LRESULT CALLBACK InterceptaM(int code, WPARAM wParam, LPARAM lParam) {
    if (code < 0) return PassOn(code, wParam, lParam);  // not ours to look at
    if (lParam != 0) HandleRetrievedMessage(*reinterpret_cast<const MSG*>(lParam));
    return PassOn(code, wParam, lParam);
}

// The library's own entry point (there is no C runtime to provide one). A
// fresh mapping starts silent until it sees a start message; loading never
// fails on our account.
BOOL WINAPI QlLibEntry(HINSTANCE, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH) {
        state.Reporting.store(false, kRelaxed);
        state.ReportWindow.store(nullptr, kRelaxed);
        for (SessionRoot& session : state.Sessions) session.Root.store(nullptr, kRelaxed);
    }
    return TRUE;
}

}  // extern "C"
