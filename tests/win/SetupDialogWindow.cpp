// The real setup dialog in this process, over in-memory settings and
// registry: its size, its tab order, and its modal showing.
#include <doctest/doctest.h>

#include <functional>
#include <vector>

#include "WinTestSupport.h"
#include "settings/win32/SetupDialog.h"
#include "settings/win32/SetupDialogIds.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeGuidSource.h"
#include "tests/fakes/FakeProfileStore.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/Recorders.h"

namespace ql::test {
namespace {

FakeProfileStore& WithSendKeys(FakeProfileStore& profile) {
    profile.SetText("C:\\Work\\Quorlan.ini", "[AdvancedSetUp]\r\nSendKeys=1\r\n");
    return profile;
}

struct Settings {
    FakeProfileStore profile;
    FakeFileSystem files;
    FakeGuidSource guids;
    FakeRegistry registry;
    RecordingLog log;
    TSetup setup{WithSendKeys(profile), files, guids, &log, &registry};
};

// Runs once, inside the next modal loop, through a thread timer.
std::function<void()> g_insideModal;
void CALLBACK RunInsideModal(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    auto step = std::move(g_insideModal);
    if (step) step();
}

TEST_CASE("the setup dialog has its client size, and Tab follows the layout") {
    Settings s;
    win32::SetupDialog dialog(nullptr, s.setup, s.registry, s.files, s.log);
    REQUIRE(dialog.EnsureWindow());
    const HWND window = dialog.Handle();
    RECT client{};
    GetClientRect(window, &client);
    CHECK(client.right == 648);
    CHECK(client.bottom == 356);
    CHECK((GetWindowLongA(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0);
    CHECK((GetWindowLongA(window, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) == 0);
    CHECK_FALSE(IsWindowVisible(window));

    const std::vector<int> expected = {IDC_APLICACION, IDC_SPEEDBUTTON2, IDC_TINACT,  IDC_MAXACT,
                                       IDC_CHECKSENDKEYS, IDC_RADIOOPT2,  IDC_CHECKCLOSEKILL, IDC_RUNSTUP,
                                       IDCANCEL,       IDOK};
    std::vector<int> order;
    HWND control = GetDlgItem(window, IDC_APLICACION);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        order.push_back(GetDlgCtrlID(control));
        control = GetNextDlgTabItem(window, control, FALSE);
    }
    CHECK(order == expected);
    CHECK(control == GetDlgItem(window, IDC_APLICACION));  // and round again
}

TEST_CASE("shown modally, the dialog has the focus in the inactivity field and closes with its close box") {
    Settings s;
    win32::SetupDialog dialog(nullptr, s.setup, s.registry, s.files, s.log);
    REQUIRE(dialog.EnsureWindow());
    const HWND window = dialog.Handle();
    bool checkedInside = false;
    g_insideModal = [&] {
        checkedInside = true;
        CHECK(dialog.IsShowing());
        CHECK(IsWindowVisible(window));
        CHECK(GetFocus() == GetDlgItem(window, IDC_TINACT));
        dialog.BringToFront();
        dialog.SetProgram("ChosenClass");
        PostMessageA(window, WM_CLOSE, 0, 0);
    };
    SetTimer(nullptr, 0, 50, RunInsideModal);
    dialog.ShowModal();
    CHECK(checkedInside);
    CHECK_FALSE(dialog.IsShowing());
    CHECK_FALSE(IsWindowVisible(window));
    // Closed without OK: the chosen program is not taken, nothing is logged.
    CHECK(s.setup.Program[0] == '\0');
    CHECK(s.log.lines.empty());
}

TEST_CASE("the dialog may be destroyed by a message handled inside its own modal loop") {
    Settings s;
    auto dialog = std::make_unique<win32::SetupDialog>(nullptr, s.setup, s.registry, s.files, s.log);
    win32::SetupDialog* raw = dialog.get();
    g_insideModal = [&] { dialog.reset(); };
    SetTimer(nullptr, 0, 50, RunInsideModal);
    raw->ShowModal();  // returns without touching the object that went
    CHECK(dialog == nullptr);
    CHECK(s.profile.Text("C:\\Work\\Quorlan.ini").find("SendKeys=1") != std::string::npos);
}

}  // namespace
}  // namespace ql::test
