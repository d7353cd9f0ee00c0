#include "platform/win32/Win32Desktop.h"

#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

namespace {

// The interface thread never waits longer for another program: a program
// that does not answer by then is treated as not having answered at all.
constexpr UINT kSendTimeoutMs = 200;

int TerminatedCopy(int copied, char* buffer, int capacity) {
    // The A functions leave the buffer untouched when they fail.
    if (capacity > 0 && copied <= 0) buffer[0] = '\0';
    return copied > 0 ? copied : 0;
}

// A named CALLBACK function: on x86 a lambda does not convert to the
// __stdcall pointer EnumWindows takes.
BOOL CALLBACK VisitWindow(HWND window, LPARAM context) {
    return (*reinterpret_cast<FunctionRef<bool(WindowId)>*>(context))(ToWindowId(window)) ? TRUE : FALSE;
}

}  // namespace

void Win32Desktop::EnumTopLevelWindows(FunctionRef<bool(WindowId)> visit) {
    ::EnumWindows(VisitWindow, reinterpret_cast<LPARAM>(&visit));
}

int Win32Desktop::ClassNameOf(WindowId window, char* buffer, int capacity) {
    return TerminatedCopy(::GetClassNameA(ToHwnd(window), buffer, capacity), buffer, capacity);
}

int Win32Desktop::TitleOf(WindowId window, char* buffer, int capacity) {
    return TerminatedCopy(::GetWindowTextA(ToHwnd(window), buffer, capacity), buffer, capacity);
}

WindowId Win32Desktop::ParentOf(WindowId window) { return ToWindowId(::GetParent(ToHwnd(window))); }

ThreadId Win32Desktop::ThreadOf(WindowId window, ProcessId* process) {
    DWORD processId = 0;
    const DWORD thread = ::GetWindowThreadProcessId(ToHwnd(window), &processId);
    if (process != nullptr) *process = processId;
    return thread;
}

bool Win32Desktop::Exists(WindowId window) { return ::IsWindow(ToHwnd(window)) != FALSE; }

bool Win32Desktop::Post(WindowId window, unsigned message, MessageWord wParam, MessageLong lParam) {
    return ::PostMessageA(ToHwnd(window), message, wParam, lParam) != FALSE;
}

MessageLong Win32Desktop::Send(WindowId window, unsigned message, MessageWord wParam, MessageLong lParam) {
    // The window may belong to a program that has stopped answering: give up
    // rather than hang the supervisor with it.
    DWORD_PTR result = 0;
    ::SendMessageTimeoutA(ToHwnd(window), message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeoutMs, &result);
    return static_cast<MessageLong>(result);
}

WindowId Win32Desktop::Foreground() { return ToWindowId(::GetForegroundWindow()); }

std::uint32_t Win32Desktop::LastInputTime() {
    LASTINPUTINFO info{sizeof info, 0};
    return ::GetLastInputInfo(&info) ? info.dwTime : 0;
}

bool Win32Desktop::BringToForeground(WindowId window) { return ::SetForegroundWindow(ToHwnd(window)) != FALSE; }

bool Win32Desktop::Show(WindowId window, int command) { return ::ShowWindow(ToHwnd(window), command) != FALSE; }

WindowId Win32Desktop::Focus(WindowId window) { return ToWindowId(::SetFocus(ToHwnd(window))); }

WindowId Win32Desktop::OwnerOf(WindowId window) { return ToWindowId(::GetWindow(ToHwnd(window), GW_OWNER)); }

std::uint32_t Win32Desktop::StyleOf(WindowId window) {
    return static_cast<std::uint32_t>(::GetWindowLongA(ToHwnd(window), GWL_STYLE));
}

bool Win32Desktop::IsMinimized(WindowId window) { return ::IsIconic(ToHwnd(window)) != FALSE; }

bool Win32Desktop::IsEnabled(WindowId window) { return ::IsWindowEnabled(ToHwnd(window)) != FALSE; }

bool Win32Desktop::RectOf(WindowId window, ScreenRect* rect) {
    RECT r;
    if (!::GetWindowRect(ToHwnd(window), &r)) return false;
    *rect = ScreenRect{r.left, r.top, r.right, r.bottom};
    return true;
}

int Win32Desktop::ShowStateOf(WindowId window) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    return ::GetWindowPlacement(ToHwnd(window), &placement) ? static_cast<int>(placement.showCmd) : show::kHide;
}

bool Win32Desktop::SetShowState(WindowId window, int showState) {
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof placement;
    if (!::GetWindowPlacement(ToHwnd(window), &placement)) return false;
    placement.showCmd = static_cast<UINT>(showState);
    if (::SetWindowPlacement(ToHwnd(window), &placement)) return true;
    // Some systems refuse the placement of another program's window (Wine
    // does); showing it in that state changes the same record.
    ::ShowWindow(ToHwnd(window), showState);
    return ::IsWindow(ToHwnd(window)) != FALSE;
}

ScreenSize Win32Desktop::PrimaryScreenSize() {
    return ScreenSize{::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
}

}  // namespace ql::win32
