#pragma once
// Shared by the benchmarks: a high-resolution clock, and the wait for a
// started Quorlan.exe to show its icon in the notification area.
#include <windows.h>

#include "WinTestSupport.h"

namespace ql::test {

inline double NowMs() {
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Milliseconds from start (a NowMs reading taken just before the process was
// started) to its icon being in the notification area; -1 when it did not
// come within the timeout.
inline double MsUntilTrayIcon(const ChildProcess& quorlan, double start, DWORD timeoutMs) {
    HWND status = nullptr;
    const bool shown = WaitUntil(
        [&] {
            if (status == nullptr) {
                const auto windows = TopLevelWindowsOfClass("TQL_Main", quorlan.Id());
                if (!windows.empty()) status = windows.front();
            }
            return status != nullptr && TrayIconExists(status, quorlan.Id());
        },
        timeoutMs);
    return shown ? NowMs() - start : -1;
}

}  // namespace ql::test
