#include "keys/ActivateWindow.h"

#include "core/Text.h"

namespace ql {

namespace {

constexpr MessageWord kScHotKey = 0xF150;   // SC_HOTKEY: activate the window
constexpr MessageWord kScRestore = 0xF120;  // SC_RESTORE: out of minimised (or out of maximised!)
constexpr int kSwShow = 5;                  // SW_SHOW
constexpr int kTitleCapacity = 250;

}  // namespace

bool ActivateWindow(Desktop& desktop, WindowId window) {
    if (window == 0) return false;
    const auto self = static_cast<MessageLong>(window);
    desktop.Send(window, msg::kSysCommand, kScHotKey, self);
    // Only out of the taskbar: restoring a maximised window would shrink the
    // window a person works in.
    if (desktop.IsMinimized(window)) desktop.Send(window, msg::kSysCommand, kScRestore, self);
    desktop.Show(window, kSwShow);
    desktop.BringToForeground(window);
    desktop.Focus(window);
    return true;
}

bool ActivateWindowByTitle(Desktop& desktop, const char* titleStart) {
    if (titleStart == nullptr || titleStart[0] == '\0') return false;
    WindowId found = 0;
    desktop.EnumTopLevelWindows([&](WindowId window) {
        char title[kTitleCapacity] = {};
        desktop.TitleOf(window, title, kTitleCapacity);
        if (StartsWithNoCase(title, titleStart)) found = window;
        return found == 0;
    });
    return ActivateWindow(desktop, found);
}

}  // namespace ql
