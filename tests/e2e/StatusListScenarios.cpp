// The status window of a running Quorlan.exe as another program (a screen
// reader, this test) finds it: a list control with one row per session,
// which has the keyboard when the window is shown from the icon's menu.
#include <doctest/doctest.h>

#include <string>

#include "WinTestSupport.h"

#include <commctrl.h>

using namespace ql::test;

namespace {

constexpr DWORD kTimeout = 15000;

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

HWND ListOf(HWND status) { return FindWindowExA(FindWindowExA(status, nullptr, "QLStatusGrid", nullptr), nullptr, WC_LISTVIEWA, nullptr); }

int SelectedRow(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}

}  // namespace

TEST_CASE("shown from the icon's menu, the status window gives its list the keyboard; arrows move in it") {
    ScratchFolder folder;
    folder.Write("Quorlan.ini", IniText({"QLList", 600}));
    TestAppProcess app(folder, "QLList", "--windows 2");
    QuorlanProcess quorlan(folder);
    const HWND status = quorlan.StatusWindow(kTimeout);
    REQUIRE(status != nullptr);
    REQUIRE(WaitForFileText(folder.File("Quorlan.exe.Log"), "Session found: \"Test Session 2\"", kTimeout));
    CHECK(ListOf(status) == nullptr);  // not made while nobody looks

    // "Show": the tray callback of a right click opens the menu at the cursor; its first item.
    PostMessageA(status, WM_USER + 1, 0, WM_RBUTTONDOWN);
    REQUIRE(WaitUntil([&] { return VisibleWindowOfClass("#32768", quorlan.Id()) != nullptr; }, 5000));
    TypeKeys({VK_DOWN, VK_RETURN});
    REQUIRE(WaitUntil([&] { return IsWindowVisible(status) && GetForegroundWindow() == status; }, 5000));
    const HWND list = ListOf(status);
    REQUIRE(list != nullptr);
    CHECK(WaitUntil([&] { return SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) == 2; }, 5000));
    CHECK(WaitUntil([&] { return FocusOf(status) == list; }, 3000));

    TypeKeys({VK_TAB});  // the one control that takes the keyboard keeps it
    CHECK(WaitUntil([&] { return FocusOf(status) == list; }, 3000));
    TypeKeys({VK_DOWN});
    CHECK(WaitUntil([&] { return SelectedRow(list) == 0; }, 3000));
    TypeKeys({VK_DOWN});
    CHECK(WaitUntil([&] { return SelectedRow(list) == 1; }, 3000));

    PostMessageA(status, WM_CLOSE, 0, 0);  // hides it
    CHECK(WaitUntil([&] { return !IsWindowVisible(status); }, 3000));
}
