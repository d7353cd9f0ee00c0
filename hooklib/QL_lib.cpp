// QL_lib.dll: the hook procedures that run inside the supervised program.
//
// They sit in another program's input path, so they stay minimal: no C
// runtime, no allocation, nothing that blocks, at most one PostMessageA per
// call, and every call ends in CallNextHookEx whose result is returned
// unchanged. The only thing that crosses back to the supervisor is a posted
// report message.
#include <windows.h>

#include <atomic>

namespace {

// Private messages shared with the supervisor.
constexpr UINT kStartMessage = WM_USER + 3;   // wParam: session slot, lParam: report window
constexpr UINT kReportMessage = WM_USER + 4;  // to the supervisor: wParam kind, lParam slot;
                                              // to a hooked window: wParam new slot

// Report kinds: wParam of the report message.
constexpr WPARAM kReportStarted = 0;
constexpr WPARAM kReportKey = 1;
constexpr WPARAM kReportMouse = 2;

// Mouse-button and wheel messages that count as activity (0x201..0x20A);
// moves, non-client messages and the extra buttons from 0x20B up do not.
constexpr UINT kFirstMouseActivity = WM_LBUTTONDOWN;
constexpr UINT kLastMouseActivity = 0x020A;  // WM_MOUSEWHEEL

// One instance per process that maps the library (no shared section). The
// hooked threads of a process share it without a lock, so each field is one
// word-sized, relaxed atomic store: a report may carry a slot that another
// thread has just replaced, which is harmless.
struct HookState {
    std::atomic<HWND> ReportWindow{nullptr};
    std::atomic<INT32> SessionSlot{0};
    std::atomic<bool> Reporting{false};
};

HookState state;  // constant-initialised: there is no C runtime to run constructors

constexpr auto kRelaxed = std::memory_order_relaxed;

LRESULT PassOn(int code, WPARAM wParam, LPARAM lParam) { return CallNextHookEx(nullptr, code, wParam, lParam); }

// A start message may name no window at all: posting to 0 would land in the
// hooked thread's own queue (and come back to us as a re-target message), and
// HWND_BROADCAST would reach every top-level window. Such reports are dropped.
bool CanReportTo(HWND window) { return window != nullptr && window != HWND_BROADCAST; }

void PostReport(WPARAM kind) {
    const HWND window = state.ReportWindow.load(kRelaxed);
    if (CanReportTo(window)) PostMessageA(window, kReportMessage, kind, state.SessionSlot.load(kRelaxed));
}

bool IsMouseActivity(UINT message) { return message >= kFirstMouseActivity && message <= kLastMouseActivity; }

void HandleRetrievedMessage(const MSG& message) {
    if (message.message == kStartMessage) {
        state.SessionSlot.store(static_cast<INT32>(message.wParam), kRelaxed);
        state.ReportWindow.store(reinterpret_cast<HWND>(message.lParam), kRelaxed);
        state.Reporting.store(true, kRelaxed);
        PostReport(kReportStarted);
    } else if (message.message == kReportMessage) {
        state.SessionSlot.store(static_cast<INT32>(message.wParam), kRelaxed);
    } else if (IsMouseActivity(message.message) && state.Reporting.load(kRelaxed)) {
        PostReport(kReportMouse);
    }
}

}  // namespace

extern "C" {

// Exported as _InterceptaR: resolved by the supervisor, never installed.
LRESULT CALLBACK InterceptaR(int code, WPARAM wParam, LPARAM lParam) { return PassOn(code, wParam, lParam); }

// Exported as _InterceptaT: the keyboard hook. Every call counts, presses and
// releases, HC_ACTION and HC_NOREMOVE alike.
LRESULT CALLBACK InterceptaT(int code, WPARAM wParam, LPARAM lParam) {
    if (code < 0) return PassOn(code, wParam, lParam);  // not ours to look at
    if (state.Reporting.load(kRelaxed)) PostReport(kReportKey);
    return PassOn(code, wParam, lParam);
}

// Exported as _InterceptaM: the get-message hook; lParam is the MSG being
// retrieved (peeked or removed, both count).
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
    }
    return TRUE;
}

}  // extern "C"
