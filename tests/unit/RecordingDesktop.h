#pragma once
// A few top-level windows with titles, and a log of the activation calls made
// on them: enough for the key sender's tests.
#include <string>
#include <utility>
#include <vector>

#include "core/Text.h"
#include "platform/Desktop.h"

namespace ql::test {

class RecordingDesktop final : public Desktop {
public:
    // Windows are listed in z-order, topmost first.
    void AddWindow(WindowId window, std::string title) { m_windows.emplace_back(window, std::move(title)); }

    // One line a call: "send <window> <message> <wParam> <lParam>",
    // "show <window> <command>", "foreground <window>", "focus <window>".
    const std::vector<std::string>& Calls() const { return m_calls; }

    void EnumTopLevelWindows(FunctionRef<bool(WindowId)> visit) override {
        for (const auto& entry : m_windows) {
            if (!visit(entry.first)) return;
        }
    }
    int ClassNameOf(WindowId, char* buffer, int capacity) override {
        return static_cast<int>(CopyText(buffer, static_cast<std::size_t>(capacity), ""));
    }
    int TitleOf(WindowId window, char* buffer, int capacity) override {
        for (const auto& entry : m_windows) {
            if (entry.first == window) {
                return static_cast<int>(CopyText(buffer, static_cast<std::size_t>(capacity), entry.second.c_str()));
            }
        }
        return static_cast<int>(CopyText(buffer, static_cast<std::size_t>(capacity), ""));
    }
    WindowId ParentOf(WindowId) override { return 0; }
    ThreadId ThreadOf(WindowId, ProcessId* process) override {
        if (process != nullptr) *process = 0;
        return 0;
    }
    bool Exists(WindowId window) override { return window != 0; }
    bool Post(WindowId, unsigned, MessageWord, MessageLong) override { return true; }
    MessageLong Send(WindowId window, unsigned message, MessageWord wParam, MessageLong lParam) override {
        m_calls.push_back("send " + std::to_string(window) + ' ' + std::to_string(message) + ' ' +
                          std::to_string(wParam) + ' ' + std::to_string(lParam));
        return 0;
    }
    WindowId Foreground() override { return m_foreground; }
    bool BringToForeground(WindowId window) override {
        m_calls.push_back("foreground " + std::to_string(window));
        m_foreground = window;
        return true;
    }
    bool Show(WindowId window, int command) override {
        m_calls.push_back("show " + std::to_string(window) + ' ' + std::to_string(command));
        return true;
    }
    WindowId Focus(WindowId window) override {
        m_calls.push_back("focus " + std::to_string(window));
        return 0;
    }

private:
    std::vector<std::pair<WindowId, std::string>> m_windows;
    std::vector<std::string> m_calls;
    WindowId m_foreground = 0;
};

}  // namespace ql::test
