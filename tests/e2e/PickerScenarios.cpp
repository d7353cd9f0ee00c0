// Quorlan.exe's window picker, opened from the setup dialog's picture button
// and driven as a user would, with real clicks and keys, against a
// maximised window of the test program.
#include <doctest/doctest.h>

#include <string>

#include "SetupDialogDriver.h"
#include "WinTestSupport.h"
#include "picker/win32/WindowPicker.h"

using namespace ql::test;
using ql::win32::WindowPicker;

namespace {

constexpr DWORD kTimeout = 15000;
constexpr const char* kUndefined = " - undefined - ";

HWND VisibleWindow(const char* className, DWORD processId, const char* title = nullptr) {
    for (HWND window : TopLevelWindowsOfClass(className, processId)) {
        char text[64] = {};
        GetWindowTextA(window, text, sizeof text);
        if (IsWindowVisible(window) && ClassNameOf(window) == className && (!title || std::string(text) == title)) {
            return window;
        }
    }
    return nullptr;
}

HWND AwaitWindow(const char* className, DWORD processId, const char* title = nullptr) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = VisibleWindow(className, processId, title)) != nullptr; }, kTimeout);
    return found;
}

// The setup dialog of a first start, and the picker it opens.
struct SetupWithPicker {
    ScratchFolder folder;
    QuorlanProcess quorlan{folder};
    HWND dialog = WaitForSetupDialog(quorlan.Id());

    HWND OpenPicker() {
        ClickControl(dialog, IDC_SPEEDBUTTON2);
        return AwaitWindow("TFLisVent", quorlan.Id(), "Windows List");
    }
    bool PickerClosed() {
        return WaitUntil([&] { return VisibleWindow("TFLisVent", quorlan.Id()) == nullptr; }, kTimeout);
    }
    std::string Program() const { return ControlText(dialog, IDC_APLICACION); }
};

void ClickRow(HWND picker, const std::string& title) {
    const HWND list = GetDlgItem(picker, WindowPicker::kListId);
    const LRESULT row = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(title.c_str()));
    REQUIRE(row != LB_ERR);
    const int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
    POINT middle = {40, static_cast<int>(row) * height + height / 2};
    ClientToScreen(list, &middle);
    ClickAt(middle.x, middle.y);
    CHECK(WaitUntil([&] { return SendMessageA(list, LB_GETCURSEL, 0, 0) == row; }, kTimeout));
}

// Clicks Highlight, optionally presses a key while the frame shows, and
// tells how long after the click the frame went (0: it never showed). The
// frame's own timer starts after the click, so it cannot end the frame
// sooner than a second after it: an earlier end was the key's doing.
DWORD HighlightFor(HWND picker, DWORD processId, WORD key = 0) {
    const DWORD clicked = GetTickCount();
    ClickControl(picker, WindowPicker::kHighlightId);
    const HWND frame = AwaitWindow("TFMarcoVentana", processId);
    if (frame == nullptr) return 0;
    if (key != 0) {
        SendKey(key, false);
        SendKey(key, true);
    }
    WaitUntil([&] { return !IsWindow(frame) || !IsWindowVisible(frame); }, kTimeout);
    return GetTickCount() - clicked;
}

}  // namespace

TEST_CASE("a user chooses the supervised program by pointing at its window in the picker") {
    ScratchFolder appFolder;
    TestAppProcess app(appFolder, "QLPickedApp", "--title \"Pick me\"");
    REQUIRE(app.Windows().size() == 1);
    const HWND target = app.Windows().front();
    ShowWindow(target, SW_MAXIMIZE);
    REQUIRE(WaitUntil([&] { return IsZoomed(target) != FALSE; }, 3000));

    SetupWithPicker setup;
    REQUIRE(setup.dialog != nullptr);
    CHECK(setup.Program() == kUndefined);

    // Select without choosing a row: the picker says so and hands back nothing.
    HWND picker = setup.OpenPicker();
    REQUIRE(picker != nullptr);
    CHECK(SendMessageA(GetDlgItem(picker, WindowPicker::kListId), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                       reinterpret_cast<LPARAM>("Pick me 1")) != LB_ERR);
    ClickControl(picker, WindowPicker::kSelectId);
    const HWND box = AwaitWindow("#32770", setup.quorlan.Id(), "Quorlan");
    REQUIRE(box != nullptr);
    CHECK(ControlText(box, 0xFFFF) == "There is no active selection !");
    SendKey(VK_RETURN, false);
    SendKey(VK_RETURN, true);
    CHECK(setup.PickerClosed());
    CHECK(setup.Program() == kUndefined);

    // Highlight restores the maximised window and outlines it for about a
    // second; a key ends the outline at once; Cancel then hands back nothing.
    picker = setup.OpenPicker();
    REQUIRE(picker != nullptr);
    ClickRow(picker, "Pick me 1");
    const DWORD untouched = HighlightFor(picker, setup.quorlan.Id());
    CHECK(untouched >= 950);
    CHECK(untouched < 6000);  // it ends by itself; a loaded machine may be slow to show it
    CHECK_FALSE(IsZoomed(target));
    const DWORD keyed = HighlightFor(picker, setup.quorlan.Id(), VK_TAB);
    CHECK(keyed > 0);
    CHECK(keyed < 1000);
    ClickControl(picker, WindowPicker::kCancelId);
    CHECK(setup.PickerClosed());
    CHECK(setup.Program() == kUndefined);

    // Select hands the row's class name to the dialog, and OK supervises it.
    picker = setup.OpenPicker();
    REQUIRE(picker != nullptr);
    ClickRow(picker, "Pick me 1");
    ClickControl(picker, WindowPicker::kSelectId);
    CHECK(setup.PickerClosed());
    // The dialog takes the choice just after the picker has gone.
    CHECK(ControlTextOnceIs(setup.dialog, IDC_APLICACION, "QLPickedApp") == "QLPickedApp");

    // Esc leaves the picker without a choice, and the field keeps its text.
    picker = setup.OpenPicker();
    REQUIRE(picker != nullptr);
    SendKey(VK_ESCAPE, false);
    SendKey(VK_ESCAPE, true);
    CHECK(setup.PickerClosed());
    CHECK(setup.Program() == "QLPickedApp");
    ClickControl(setup.dialog, IDOK);
    CHECK(WaitForFileText(setup.folder.File("Quorlan.exe.Log"), "Tracking: QLPickedApp ", kTimeout));
    CHECK(app.WaitForEvent("start 0 ", kTimeout));
}
