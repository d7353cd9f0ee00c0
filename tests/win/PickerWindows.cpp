// The window picker and the highlight frame on the real window system, with
// the test program as the window to pick. The test's own thread shows the
// picker modally, as the setup dialog does; a second thread plays the user.
#include <doctest/doctest.h>

#include <cstring>
#include <functional>
#include <string>

#include "WinTestSupport.h"
#include "picker/win32/WindowPicker.h"
#include "picker/win32/HighlightFrame.h"
#include "platform/win32/Win32Desktop.h"

namespace {

using ql::win32::WindowPicker;

// Runs the user's steps on a thread of its own; waits for them when destroyed.
class User {
public:
    explicit User(std::function<void()> steps) : m_steps(std::move(steps)) {
        m_thread = CreateThread(nullptr, 0, &User::Run, this, 0, nullptr);
    }
    ~User() {
        WaitForSingleObject(m_thread, 30000);
        CloseHandle(m_thread);
    }
    User(const User&) = delete;
    User& operator=(const User&) = delete;

private:
    static DWORD WINAPI Run(void* self) {
        static_cast<User*>(self)->m_steps();
        return 0;
    }
    std::function<void()> m_steps;
    HANDLE m_thread = nullptr;
};

using ql::test::WaitUntil;

HWND Control(const WindowPicker& picker, int id) { return GetDlgItem(picker.Handle(), id); }

int RowOf(HWND window) {
    const ql::TWindowList& list = ql::SharedWindowList();
    for (int i = 0; i < list.WindowCount; ++i) {
        if (list.Rows[i].Handle == ql::win32::ToWindowId(window)) return i;
    }
    return -1;
}

HWND VisibleFrame() { return ql::test::VisibleWindowOfClass("TFMarcoVentana", GetCurrentProcessId()); }

void ChooseRow(const WindowPicker& picker, int row) {
    WaitUntil([&] { return IsWindowVisible(picker.Handle()) != FALSE; }, 5000);
    SendMessageA(Control(picker, WindowPicker::kListId), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
}

void Press(const WindowPicker& picker, int button) { PostMessageA(Control(picker, button), BM_CLICK, 0, 0); }

// Clicks Highlight and measures how long after the click the frame goes.
// Its timer starts after the click, so an end sooner than a second after it
// was not the timer's doing.
struct FrameSeen {
    bool shown = false;
    DWORD milliseconds = 0;
};
FrameSeen HighlightAndWatch(const WindowPicker& picker, const std::function<void(HWND)>& whileShown) {
    FrameSeen seen;
    const DWORD start = GetTickCount();
    Press(picker, WindowPicker::kHighlightId);
    HWND frame = nullptr;
    seen.shown = WaitUntil([&] { return (frame = VisibleFrame()) != nullptr; }, 5000);
    if (!seen.shown) return seen;
    // A key goes to the foreground window: on a busy machine the frame may
    // be visible a moment before it has taken the foreground.
    WaitUntil([&] { return GetForegroundWindow() == frame; }, 1000);
    whileShown(frame);
    WaitUntil([&] { return !IsWindow(frame) || !IsWindowVisible(frame); }, 5000);
    seen.milliseconds = GetTickCount() - start;
    return seen;
}

const char* const kTargetClass = "QLPickerTarget";

}  // namespace

TEST_CASE("the picker lists a maximised window of the test program, outlines it, and refreshes") {
    ql::test::ScratchFolder folder;
    ql::test::TestAppProcess app(folder, kTargetClass, "--title \"Pick me\"");
    REQUIRE(app.Windows().size() == 1);
    HWND target = app.Windows().front();
    ShowWindow(target, SW_MAXIMIZE);
    REQUIRE(ql::test::WaitUntil([&] { return IsZoomed(target) != FALSE; }, 3000));

    ql::win32::Win32Desktop desktop;
    WindowPicker picker(desktop, nullptr);
    REQUIRE(picker.Created());
    const int row = RowOf(target);
    REQUIRE(row >= 0);
    const ql::TWindowEntry& entry = ql::SharedWindowList().Rows[row];
    CHECK(std::strcmp(entry.ClassName, kTargetClass) == 0);
    CHECK(std::strcmp(entry.Title, "Pick me 1") == 0);
    CHECK(entry.ShowCmd == SW_SHOWMAXIMIZED);
    char itemText[256] = {};
    SendMessageA(Control(picker, WindowPicker::kListId), LB_GETTEXT, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(itemText));
    CHECK(std::string(itemText) == "Pick me 1");
    char chosen[250] = "previous";

    SUBCASE("a key closes the frame at once, and the close box hands back the row highlighted") {
        FrameSeen seen;
        RECT frameRect = {};
        {
            User user([&] {
                ChooseRow(picker, row);
                seen = HighlightAndWatch(picker, [&](HWND frame) {
                    GetWindowRect(frame, &frameRect);
                    ql::test::PressKey(frame, VK_ESCAPE);
                });
                PostMessageA(picker.Handle(), WM_CLOSE, 0, 0);
            });
            picker.ShowModal();
        }
        CHECK(seen.shown);
        CHECK(seen.milliseconds < ql::win32::HighlightFrame::kShowMilliseconds);
        CHECK(frameRect.left == 0);
        CHECK(frameRect.right == GetSystemMetrics(SM_CXSCREEN));
        CHECK_FALSE(IsZoomed(target));
        CHECK(ql::SharedWindowList().Rows[row].ShowCmd == SW_SHOWMAXIMIZED);  // until Refresh
        CHECK(picker.GetSelection(chosen, sizeof chosen));
        CHECK(std::string(chosen) == kTargetClass);
    }

    SUBCASE("Refresh reads the new show state and forgets the selection") {
        ShowWindow(target, SW_RESTORE);
        {
            User user([&] {
                ChooseRow(picker, row);
                PostMessageA(picker.Handle(), WM_COMMAND, MAKEWPARAM(WindowPicker::kRefreshId, BN_CLICKED),
                             reinterpret_cast<LPARAM>(Control(picker, WindowPicker::kRefreshId)));
                PostMessageA(picker.Handle(), WM_CLOSE, 0, 0);
            });
            picker.ShowModal();
        }
        const int refreshed = RowOf(target);
        REQUIRE(refreshed >= 0);
        CHECK(ql::SharedWindowList().Rows[refreshed].ShowCmd == SW_SHOWNORMAL);
        CHECK(SendMessageA(Control(picker, WindowPicker::kListId), LB_GETCURSEL, 0, 0) == LB_ERR);
        CHECK_FALSE(picker.GetSelection(chosen, sizeof chosen));
    }
}

TEST_CASE("the picker's loop ends when its owner is destroyed under it") {
    WNDCLASSA ownerClass = {};
    ownerClass.lpfnWndProc = DefWindowProcA;  // WM_CLOSE destroys the window
    ownerClass.hInstance = GetModuleHandleA(nullptr);
    ownerClass.lpszClassName = "QLPickerOwner";
    RegisterClassA(&ownerClass);
    HWND owner = CreateWindowA("QLPickerOwner", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 200, nullptr,
                               nullptr, ownerClass.hInstance, nullptr);
    REQUIRE(owner != nullptr);
    ql::win32::Win32Desktop desktop;
    WindowPicker picker(desktop, owner);
    {
        User user([&] {
            WaitUntil([&] { return IsWindowVisible(picker.Handle()) != FALSE; }, 5000);
            PostMessageA(owner, WM_CLOSE, 0, 0);
        });
        picker.ShowModal();
    }
    CHECK_FALSE(IsWindow(owner));
    CHECK_FALSE(picker.Created());
}

TEST_CASE("a row whose window has closed is drawn without icon and Highlight does nothing for it") {
    ql::win32::Win32Desktop desktop;
    std::unique_ptr<ql::test::TestAppProcess> app;
    ql::test::ScratchFolder folder;
    app = std::make_unique<ql::test::TestAppProcess>(folder, kTargetClass, "--title Gone");
    HWND target = app->Windows().front();
    WindowPicker picker(desktop, nullptr);
    const int row = RowOf(target);
    REQUIRE(row >= 0);
    app->Terminate();
    REQUIRE(ql::test::WaitUntil([&] { return !IsWindow(target); }, 5000));

    bool frameShown = true;
    {
        User user([&] {
            ChooseRow(picker, row);
            InvalidateRect(Control(picker, WindowPicker::kListId), nullptr, TRUE);  // repaints the stale row
            Press(picker, WindowPicker::kHighlightId);
            frameShown = WaitUntil([] { return VisibleFrame() != nullptr; }, 1500);
            Press(picker, WindowPicker::kCancelId);
        });
        picker.ShowModal();
    }
    CHECK_FALSE(frameShown);
    CHECK(IsWindow(picker.Handle()));
}
