// Cost of one call of the hook procedures, which sit in the supervised
// program's input path, against an empty procedure that only passes the call
// on. Prints nanoseconds per call; QL_lib.dll is loaded from beside the bench.
#include <windows.h>

#include <cstdio>

#include "core/HookProtocol.h"
#include "platform/win32/UniqueHandle.h"

namespace {

using HookProcedure = LRESULT(CALLBACK*)(int, WPARAM, LPARAM);

constexpr UINT kStartMessage = WM_USER + 3;
constexpr UINT kReportMessage = WM_USER + 4;
constexpr WPARAM kSessionSlot = 4;
constexpr LPARAM kKeyPressBits = 0x001E0001;
// Reports posted between two drains: far below the 10000-message queue limit.
constexpr int kCallsPerBatch = 1000;
constexpr int kBatches = 20;

LRESULT CALLBACK EmptyProcedure(int code, WPARAM wParam, LPARAM lParam) {
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

HookProcedure Resolve(HMODULE library, const char* name) {
    return reinterpret_cast<HookProcedure>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

void DrainReports(HWND window) {
    MSG message;
    while (PeekMessageA(&message, window, kReportMessage, kReportMessage, PM_REMOVE)) {
    }
}

// Average over all calls; the drains between batches are not timed.
double NanosecondsPerCall(HookProcedure procedure, int code, WPARAM wParam, LPARAM lParam, HWND reportWindow) {
    // Called through a volatile pointer, so the empty procedure is not inlined.
    volatile HookProcedure callee = procedure;
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    long long ticks = 0;
    for (int batch = 0; batch < kBatches; ++batch) {
        LARGE_INTEGER start;
        LARGE_INTEGER end;
        QueryPerformanceCounter(&start);
        for (int call = 0; call < kCallsPerBatch; ++call) callee(code, wParam, lParam);
        QueryPerformanceCounter(&end);
        ticks += end.QuadPart - start.QuadPart;
        DrainReports(reportWindow);
    }
    return static_cast<double>(ticks) * 1e9 / static_cast<double>(frequency.QuadPart) /
           (static_cast<double>(kCallsPerBatch) * kBatches);
}

void Print(const char* what, double nanoseconds) { std::printf("%-58s %10.1f ns/call\n", what, nanoseconds); }

}  // namespace

int main() {
    ql::win32::UniqueModule library(LoadLibraryA("QL_lib.dll"));
    const HookProcedure keyboard = library ? Resolve(library.get(), "_InterceptaT") : nullptr;
    const HookProcedure getMessage = library ? Resolve(library.get(), "_InterceptaM") : nullptr;
    if (keyboard == nullptr || getMessage == nullptr) {
        std::fprintf(stderr, "QL_lib.dll or its procedures not found beside the bench\n");
        return 1;
    }
    // The library takes start messages naming a window of the status window's class only.
    WNDCLASSA reportClass = {};
    reportClass.lpfnWndProc = DefWindowProcA;
    reportClass.hInstance = GetModuleHandleA(nullptr);
    reportClass.lpszClassName = ql::hookproto::kReportWindowClass;
    RegisterClassA(&reportClass);
    ql::win32::UniqueWindow reportWindow(CreateWindowExA(0, ql::hookproto::kReportWindowClass, "reports", WS_POPUP, 0,
                                                         0, 10, 10, nullptr, nullptr, reportClass.hInstance, nullptr));
    if (!reportWindow) return 1;
    const HWND window = reportWindow.get();

    MSG timer = {};
    timer.message = WM_TIMER;
    MSG click = {};
    click.message = WM_LBUTTONDOWN;
    // A start message counts only when the report window belongs to another
    // process than the window it was posted to: the desktop window's is not ours.
    MSG start = {};
    start.hwnd = GetDesktopWindow();
    start.message = kStartMessage;
    start.wParam = kSessionSlot;
    start.lParam = reinterpret_cast<LPARAM>(window);
    const auto record = [](MSG& message) { return reinterpret_cast<LPARAM>(&message); };

    std::printf("%d calls each\n", kCallsPerBatch * kBatches);
    Print("empty procedure (CallNextHookEx only)", NanosecondsPerCall(EmptyProcedure, HC_ACTION, 'A', kKeyPressBits, window));
    Print("_InterceptaT, reporting off (no post)", NanosecondsPerCall(keyboard, HC_ACTION, 'A', kKeyPressBits, window));
    Print("_InterceptaM, WM_TIMER, reporting off", NanosecondsPerCall(getMessage, HC_ACTION, PM_REMOVE, record(timer), window));

    getMessage(HC_ACTION, PM_REMOVE, record(start));
    MSG started;
    if (!PeekMessageA(&started, window, kReportMessage, kReportMessage, PM_REMOVE)) {
        std::fprintf(stderr, "the library did not take the start message: no figures with reporting on\n");
        return 1;
    }
    DrainReports(window);
    Print("_InterceptaT, reporting on (one post)", NanosecondsPerCall(keyboard, HC_ACTION, 'A', kKeyPressBits, window));
    Print("_InterceptaM, WM_TIMER, reporting on (no post)", NanosecondsPerCall(getMessage, HC_ACTION, PM_REMOVE, record(timer), window));
    Print("_InterceptaM, WM_LBUTTONDOWN, reporting on (one post)",
          NanosecondsPerCall(getMessage, HC_ACTION, PM_REMOVE, record(click), window));
    click.hwnd = start.hwnd;  // a click in the started session's tree: its number is looked up
    Print("_InterceptaM, WM_LBUTTONDOWN in the session's tree (one post)",
          NanosecondsPerCall(getMessage, HC_ACTION, PM_REMOVE, record(click), window));
    return 0;
}
