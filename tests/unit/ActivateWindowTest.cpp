#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "keys/ActivateWindow.h"
#include "tests/fakes/FakeDesktop.h"

namespace {

// Records the order of the activation calls, which the shared fake desktop
// keeps in separate lists.
class ActivationRecorder final : public ql::Desktop {
public:
    std::vector<std::string> calls;

    void EnumTopLevelWindows(ql::FunctionRef<bool(ql::WindowId)>) override {}
    int ClassNameOf(ql::WindowId, char*, int) override { return 0; }
    int TitleOf(ql::WindowId, char*, int) override { return 0; }
    ql::WindowId ParentOf(ql::WindowId) override { return 0; }
    ql::ThreadId ThreadOf(ql::WindowId, ql::ProcessId*) override { return 0; }
    bool Exists(ql::WindowId) override { return true; }
    bool Post(ql::WindowId, unsigned, ql::MessageWord, ql::MessageLong) override { return true; }
    ql::MessageLong Send(ql::WindowId window, unsigned message, ql::MessageWord wParam, ql::MessageLong lParam) override {
        calls.push_back("send " + std::to_string(window) + ' ' + std::to_string(message) + ' ' + std::to_string(wParam) +
                        ' ' + std::to_string(lParam));
        return 0;
    }
    ql::WindowId Foreground() override { return 0; }
    std::uint32_t LastInputTime() override { return 0; }
    bool BringToForeground(ql::WindowId window) override {
        calls.push_back("foreground " + std::to_string(window));
        return true;
    }
    bool Show(ql::WindowId window, int command) override {
        calls.push_back("show " + std::to_string(window) + ' ' + std::to_string(command));
        return true;
    }
    ql::WindowId Focus(ql::WindowId window) override {
        calls.push_back("focus " + std::to_string(window));
        return 0;
    }
    ql::WindowId OwnerOf(ql::WindowId) override { return 0; }
    std::uint32_t StyleOf(ql::WindowId) override { return 0; }
    bool IsMinimized(ql::WindowId) override { return minimized; }
    bool IsEnabled(ql::WindowId) override { return true; }
    bool RectOf(ql::WindowId, ql::ScreenRect*) override { return false; }
    int ShowStateOf(ql::WindowId) override { return 0; }
    bool SetShowState(ql::WindowId, int) override { return false; }
    ql::ScreenSize PrimaryScreenSize() override { return {}; }

    bool minimized = false;
};

}  // namespace

TEST_CASE("ActivateWindow restores a minimised window only, then shows, raises and focuses it in that order") {
    for (bool minimized : {true, false}) {
        CAPTURE(minimized);
        ActivationRecorder desktop;
        desktop.minimized = minimized;
        CHECK(ql::ActivateWindow(desktop, 42));
        std::vector<std::string> expected = {"send 42 274 61776 42"};       // WM_SYSCOMMAND SC_HOTKEY
        if (minimized) expected.push_back("send 42 274 61728 42");         // WM_SYSCOMMAND SC_RESTORE
        for (const char* call : {"show 42 5", "foreground 42", "focus 42"}) expected.push_back(call);
        CHECK(desktop.calls == expected);
    }
}

TEST_CASE("ActivateWindow of no window does nothing") {
    ActivationRecorder desktop;
    CHECK_FALSE(ql::ActivateWindow(desktop, 0));
    CHECK(desktop.calls.empty());
}

TEST_CASE("ActivateWindowByTitle matches the beginning of a title without regard to case") {
    ql::test::FakeDesktop desktop;
    const ql::WindowId question = desktop.AddWindow("#32770", 100, 0, "Save changes?");
    desktop.AddWindow("#32770", 100, 0, "Sav");
    CHECK_FALSE(ql::ActivateWindowByTitle(desktop, "save changes?!"));
    CHECK_FALSE(ql::ActivateWindowByTitle(desktop, ""));
    CHECK_FALSE(ql::ActivateWindowByTitle(desktop, nullptr));
    CHECK(desktop.foregroundHistory.empty());
    CHECK(desktop.messages.empty());
    CHECK(ql::ActivateWindowByTitle(desktop, "SAVE"));
    CHECK(desktop.Foreground() == question);
}
