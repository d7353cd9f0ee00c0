// Quorlan.exe without a usable hook library: the log line, the error box
// with its exact text, and a clean end once the box is closed.
#include <doctest/doctest.h>

#include "WinTestSupport.h"

using namespace ql::test;

namespace {

// The first standard dialog window of a process, once it appears.
HWND WaitForDialog(DWORD processId) {
    HWND dialog = nullptr;
    WaitUntil(
        [&] {
            auto dialogs = TopLevelWindowsOfClass("#32770", processId);
            dialog = dialogs.empty() ? nullptr : dialogs.front();
            return dialog != nullptr;
        },
        15000);
    return dialog;
}

std::string TextOf(HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

// Started in folder, from the copy of the program there unless exe names another.
void CheckFailedStart(const ScratchFolder& folder, const std::string& logText, const std::string& boxText,
                      const std::string& exe = "") {
    QuorlanProcess quorlan(folder, exe.empty() ? folder.File("Quorlan.exe") : exe);
    REQUIRE(quorlan.Started());
    const HWND box = WaitForDialog(quorlan.Id());
    REQUIRE(box != nullptr);
    CHECK(TextOf(box) == "Error");
    // The box's message text: the fixed text, then the system's error code.
    const std::string shown = TextOf(GetDlgItem(box, 0xFFFF));
    CHECK(shown.rfind(boxText + "\n\nWindows error ", 0) == 0);

    // The log line was written before the box appeared.
    const std::string log = folder.Read("Quorlan.exe.Log");
    CHECK(log.find("\t" + logText + " (Windows error ") != std::string::npos);
    CHECK(log.find("Tracking: ") == std::string::npos);

    PostMessageA(box, WM_COMMAND, IDOK, 0);
    CHECK(quorlan.WaitForExit(10000));
    CHECK(quorlan.ExitCode() == 0);
}

// With a program set, so that no setup dialog comes before the binding.
void CopyProgram(const ScratchFolder& folder) {
    folder.Write("Quorlan.ini", IniText({"QLNone"}));
    REQUIRE(CopyFileA(BinPath("Quorlan.exe").c_str(), folder.File("Quorlan.exe").c_str(), FALSE));
}

}  // namespace

TEST_CASE("a missing hook library is logged, then shown, and the program ends cleanly") {
    ScratchFolder folder;
    CopyProgram(folder);
    CheckFailedStart(folder, "Error ! Can't open Lib. QL_lib.dll", "Error ! Can't open Lib. 'QL_lib.dll'");

    // Nothing is left that would make the next start count two copies.
    ScratchFolder next;
    next.Write("Quorlan.ini", IniText({"QLNone"}));
    QuorlanProcess again(next);
    CHECK(WaitForFileText(next.File("Quorlan.exe.Log"), "Tracking: ", 15000));
    CHECK(again.Running());
}

TEST_CASE("a hook library without _InterceptaR is refused") {
    ScratchFolder folder;
    CopyProgram(folder);
    REQUIRE(CopyFileA(BinPath("broken\\QL_lib.dll").c_str(), folder.File("QL_lib.dll").c_str(), FALSE));
    CheckFailedStart(folder, "Error opening module  '_InterceptaR'", "Error opening module  '_InterceptaR'");
}

TEST_CASE("the hook library is taken from the program's own folder only, never from the working folder") {
    // The working folder, where every user may create files, holds a
    // library that would load; the program's folder holds none.
    ScratchFolder programFolder;
    REQUIRE(CopyFileA(BinPath("Quorlan.exe").c_str(), programFolder.File("Quorlan.exe").c_str(), FALSE));
    ScratchFolder workingFolder;
    workingFolder.Write("Quorlan.ini", IniText({"QLNone"}));
    REQUIRE(CopyFileA(BinPath("QL_lib.dll").c_str(), workingFolder.File("QL_lib.dll").c_str(), FALSE));
    CheckFailedStart(workingFolder, "Error ! Can't open Lib. QL_lib.dll", "Error ! Can't open Lib. 'QL_lib.dll'",
                     programFolder.File("Quorlan.exe"));
}
