#pragma once
// The window system as the supervisor sees it: top-level windows, their
// classes, titles, parents and owners, and the messages sent to them.
#include <cstdint>

#include "platform/FunctionRef.h"
#include "platform/Types.h"

namespace ql {

// Window messages and constants the portable logic needs by value.
namespace msg {
constexpr unsigned kShowWindow = 0x0018;  // WM_SHOWWINDOW
constexpr unsigned kClose = 0x0010;       // WM_CLOSE
constexpr unsigned kSysCommand = 0x0112;  // WM_SYSCOMMAND
constexpr unsigned kUser = 0x0400;        // WM_USER
}  // namespace msg

// Window style bits and placement show states, by value.
namespace style {
constexpr std::uint32_t kVisible = 0x10000000;  // WS_VISIBLE
}  // namespace style
namespace show {
constexpr int kHide = 0;           // SW_HIDE
constexpr int kNormal = 1;         // SW_SHOWNORMAL
constexpr int kShowMinimized = 2;  // SW_SHOWMINIMIZED
constexpr int kMaximized = 3;      // SW_SHOWMAXIMIZED
constexpr int kMinimize = 6;       // SW_MINIMIZE
constexpr int kRestore = 9;        // SW_RESTORE
}  // namespace show

// A rectangle in screen pixels; right and bottom lie just outside it.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

struct ScreenSize {
    int width = 0;
    int height = 0;
};

class Desktop {
public:
    virtual ~Desktop() = default;

    // Calls visit for every top-level window, in z-order, while it returns true.
    virtual void EnumTopLevelWindows(FunctionRef<bool(WindowId)> visit) = 0;
    // Copies at most capacity-1 characters of the window's class name, always
    // zero-terminated; returns the number copied (0 for a window that is gone).
    virtual int ClassNameOf(WindowId window, char* buffer, int capacity) = 0;
    // Same contract for the window's title.
    virtual int TitleOf(WindowId window, char* buffer, int capacity) = 0;
    // The parent of a child window, the owner of a top-level one, else 0.
    virtual WindowId ParentOf(WindowId window) = 0;
    // The thread that created the window; stores its process in *process when given.
    virtual ThreadId ThreadOf(WindowId window, ProcessId* process) = 0;
    virtual bool Exists(WindowId window) = 0;

    virtual bool Post(WindowId window, unsigned message, MessageWord wParam, MessageLong lParam) = 0;
    // Sends and waits for the answer, but not without end for a hung window.
    virtual MessageLong Send(WindowId window, unsigned message, MessageWord wParam, MessageLong lParam) = 0;

    virtual WindowId Foreground() = 0;
    // The system's tick count (ms) at the user's latest keyboard or mouse input.
    virtual std::uint32_t LastInputTime() = 0;
    virtual bool BringToForeground(WindowId window) = 0;
    virtual bool Show(WindowId window, int command) = 0;
    virtual WindowId Focus(WindowId window) = 0;

    // The owner of a top-level window (whatever its style), else 0.
    virtual WindowId OwnerOf(WindowId window) = 0;
    // The window's style bits; 0 for a window that is gone.
    virtual std::uint32_t StyleOf(WindowId window) = 0;
    virtual bool IsMinimized(WindowId window) = 0;
    // False while the window takes no input (its modal dialog is open), and for a window that is gone.
    virtual bool IsEnabled(WindowId window) = 0;
    // The window's outer rectangle in screen coordinates; false for a window that is gone.
    virtual bool RectOf(WindowId window, ScreenRect* rect) = 0;
    // The show state of the window's placement record (show::); 0 for a window that is gone.
    virtual int ShowStateOf(WindowId window) = 0;
    // Writes a show state into the placement record: show::kRestore brings a
    // maximised or minimised window back to its normal size and place.
    virtual bool SetShowState(WindowId window, int showState) = 0;
    virtual ScreenSize PrimaryScreenSize() = 0;
};

}  // namespace ql
