#pragma once
// The window system through user32.
#include "platform/Desktop.h"

namespace ql::win32 {

class Win32Desktop final : public Desktop {
public:
    void EnumTopLevelWindows(FunctionRef<bool(WindowId)> visit) override;
    int ClassNameOf(WindowId window, char* buffer, int capacity) override;
    int TitleOf(WindowId window, char* buffer, int capacity) override;
    WindowId ParentOf(WindowId window) override;
    ThreadId ThreadOf(WindowId window, ProcessId* process) override;
    bool Exists(WindowId window) override;
    bool Post(WindowId window, unsigned message, MessageWord wParam, MessageLong lParam) override;
    MessageLong Send(WindowId window, unsigned message, MessageWord wParam, MessageLong lParam) override;
    WindowId Foreground() override;
    bool BringToForeground(WindowId window) override;
    bool Show(WindowId window, int command) override;
    WindowId Focus(WindowId window) override;
    bool IsMinimized(WindowId window) override;
};

}  // namespace ql::win32
