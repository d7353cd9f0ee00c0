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
    std::uint32_t LastInputTime() override;
    bool BringToForeground(WindowId window) override;
    bool Show(WindowId window, int command) override;
    WindowId Focus(WindowId window) override;
    WindowId OwnerOf(WindowId window) override;
    std::uint32_t StyleOf(WindowId window) override;
    bool IsMinimized(WindowId window) override;
    bool IsEnabled(WindowId window) override;
    bool RectOf(WindowId window, ScreenRect* rect) override;
    int ShowStateOf(WindowId window) override;
    bool SetShowState(WindowId window, int showState) override;
    ScreenSize PrimaryScreenSize() override;
};

}  // namespace ql::win32
