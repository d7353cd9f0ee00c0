// The key sender with the real keyboard and desktop: a script typed after
// ActivateWindow reaches the activated window, key by key, in order.
#include <doctest/doctest.h>

#include <sstream>
#include <string>
#include <vector>

#include "WinTestSupport.h"
#include "keys/ActivateWindow.h"
#include "keys/KeySender.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32Keyboard.h"
#include "tests/contract/KeyboardContract.h"

using namespace ql::test;

namespace {

// The key codes of the "keydown" events the test program recorded, in order.
std::vector<unsigned> RecordedKeyDowns(const TestAppProcess& app) {
    std::vector<unsigned> keys;
    for (const std::string& event : app.Events()) {
        std::istringstream fields(event);
        std::string name;
        unsigned key = 0;
        if (fields >> name >> key && name == "keydown") keys.push_back(key);
    }
    return keys;
}

bool BecomesForeground(HWND window) {
    return WaitUntil([&] { return GetForegroundWindow() == window; }, 3000);
}

struct RealSender {
    ql::win32::Win32Desktop desktop;
    ql::win32::Win32Keyboard keyboard;
    ql::KeySender sender{keyboard, desktop};
};

// A window of the test's own that counts the key presses it is handed.
struct OwnWindow {
    static inline std::vector<unsigned> keyDowns;

    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_KEYDOWN) keyDowns.push_back(static_cast<unsigned>(wParam));
        return DefWindowProcA(window, message, wParam, lParam);
    }

    OwnWindow() {
        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = Procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = "QLKeySenderOwn";
        RegisterClassA(&windowClass);
        handle.reset(CreateWindowA("QLKeySenderOwn", "Key sender test", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 300,
                                   200, nullptr, nullptr, windowClass.hInstance, nullptr));
        keyDowns.clear();
    }

    ql::win32::UniqueWindow handle;
};

}  // namespace

TEST_CASE("the real keyboard has the US layout the fake models") {
    ql::win32::Win32Keyboard keyboard;
    CheckUsLayout(keyboard);
    CheckKeyboardStateRoundTrip(keyboard);
    CHECK((keyboard.PlatformVersion() & 0x80000000u) == 0);  // the NT family
}

TEST_CASE("a script typed after ActivateWindow reaches the test program in order") {
    ScratchFolder folder;
    TestAppProcess app(folder, "QLKeys");
    const std::vector<HWND> windows = app.Windows();
    REQUIRE(!windows.empty());

    RealSender real;
    REQUIRE(ql::ActivateWindow(real.desktop, ql::win32::ToWindowId(windows.front())));
    REQUIRE(BecomesForeground(windows.front()));

    CHECK(real.sender.Run("[Tab][Enter][Esc]a+b[VKEY 321]", false));
    const std::vector<unsigned> expected = {9, 13, 27, 65, 16, 66, 16, 65};
    std::vector<unsigned> received;
    CHECK(WaitUntil([&] { return (received = RecordedKeyDowns(app)).size() >= expected.size(); },
                    5000));
    CHECK(received == expected);
    CHECK((GetAsyncKeyState(VK_SHIFT) & 0x8000) == 0);  // no modifier left down
}

TEST_CASE("with pumping, keys aimed at the sender's own thread are handled during the run") {
    OwnWindow own;
    REQUIRE(own.handle);
    RealSender real;
    REQUIRE(ql::ActivateWindow(real.desktop, ql::win32::ToWindowId(own.handle.get())));
    REQUIRE(BecomesForeground(own.handle.get()));
    PumpFor(100);
    OwnWindow::keyDowns.clear();

    CHECK(real.sender.Run("[Tab]x", true));
    // Nothing has pumped this thread's messages since the run began except the run itself.
    CHECK(OwnWindow::keyDowns == std::vector<unsigned>{9, 88});
}
