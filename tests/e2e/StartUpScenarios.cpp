// Quorlan.exe started for real in a scratch folder: the files it leaves,
// the single-instance rule, and the hidden status window.
#include <doctest/doctest.h>

#include <regex>

#include "SetupDialogDriver.h"
#include "platform/win32/UpgradeSignal.h"
#include "WinTestSupport.h"

#include <tlhelp32.h>

using namespace ql::test;

namespace {

constexpr DWORD kStartTimeout = 15000;
constexpr DWORD kScanMs = 5000;  // the scan, which also looks for an installer's signal

// Waits for a start to have written its settings summary.
bool WaitForStartUp(const ScratchFolder& folder) {
    return WaitForFileText(folder.File("Quorlan.exe.Log"), "Tracking: ", kStartTimeout);
}

bool HasModule(DWORD process, const char* name) {
    ql::win32::UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process));
    MODULEENTRY32 module{};
    module.dwSize = sizeof module;
    if (!snapshot || !Module32First(snapshot.get(), &module)) return false;
    do {
        if (lstrcmpiA(module.szModule, name) == 0) return true;
    } while (Module32Next(snapshot.get(), &module));
    return false;
}

std::string Section(const std::string& ini, const std::string& name) {
    const auto start = ini.find("[" + name + "]");
    if (start == std::string::npos) return "";
    const auto end = ini.find('[', start + 1);
    return ini.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

}  // namespace

TEST_CASE("a first start in an empty folder writes the settings file and the log header") {
    ScratchFolder folder;
    QuorlanProcess quorlan(folder);
    REQUIRE(quorlan.Started());
    // No program is set yet: the setup dialog asks first.
    const HWND setup = WaitForSetupDialog(quorlan.Id());
    REQUIRE(setup != nullptr);
    ClickControl(setup, IDCANCEL);
    REQUIRE(WaitForStartUp(folder));

    const std::string ini = folder.Read("Quorlan.ini");
    const auto internal = ini.find("[InternalSetUp]");
    const auto basic = ini.find("[BasicSetUp]");
    const auto advanced = ini.find("[AdvancedSetUp]");
    REQUIRE(internal != std::string::npos);
    CHECK(internal < basic);
    CHECK(basic < advanced);
    CHECK(advanced != std::string::npos);
    CHECK(std::regex_search(Section(ini, "InternalSetUp"),
                            std::regex("Guid=\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}\r?\n")));
    CHECK(std::regex_search(Section(ini, "InternalSetUp"), std::regex("ActRelease=\r?\nConect=0")));
    CHECK(std::regex_search(Section(ini, "BasicSetUp"), std::regex("Max.Inact.=45\r?\nMax.Session=0\r?\nProgram=\r?\n")));
    CHECK(std::regex_search(Section(ini, "AdvancedSetUp"), std::regex("CloseKill=0\r?\nSendKeys=0\r?\nKeyGroup=2")));

    const std::string log = folder.Read("Quorlan.exe.Log");
    REQUIRE(!log.empty());
    CHECK(log[0] == '\n');
    CHECK(log.find("\t \n") != std::string::npos);
    CHECK(log.find("\t-----------------------------------------------------\n") != std::string::npos);
    CHECK(log.find("\tRuning...") != std::string::npos);
    CHECK(quorlan.Running());
}

TEST_CASE("a second copy ends at once with code 0 and writes nothing") {
    ScratchFolder first;
    first.Write("Quorlan.ini", IniText({"QLNone"}));
    QuorlanProcess running(first);
    REQUIRE(WaitForStartUp(first));

    ScratchFolder second;
    QuorlanProcess again(second);
    REQUIRE(again.Started());
    CHECK(again.WaitForExit(10000));
    CHECK(again.ExitCode() == 0);
    CHECK_FALSE(second.Exists("Quorlan.ini"));
    CHECK_FALSE(second.Exists("Quorlan.exe.Log"));
    CHECK(running.Running());
    // Its splash shown and gone, hidden, the first has not loaded the common
    // controls library: once loaded it would stay all the program's life.
    CHECK(HasModule(running.Id(), "user32.dll"));
    CHECK_FALSE(HasModule(running.Id(), "comctl32.dll"));
}

TEST_CASE("stored settings are read by the profile rules and written back") {
    ScratchFolder folder;
    folder.Write("Quorlan.ini",
                 "[INTERNALSETUP]\r\nGuid={11111111-2222-3333-4444-555555555555}\r\nConect=1\r\nSinchT=4000000000\r\n"
                 "[BasicSetUp]\r\nMax.Inact.=123456\r\nMax.Session=100\r\nProgram=QLNone\r\n"
                 "[AdvancedSetUp]\r\nCloseKill=yes\r\nSendKeys=01\r\nKeyGroup=7\r\n");
    QuorlanProcess quorlan(folder);
    REQUIRE(WaitForStartUp(folder));
    const std::string ini = folder.Read("Quorlan.ini");
    CHECK(ini.find("[INTERNALSETUP]") != std::string::npos);
    CHECK(ini.find("[InternalSetup]") == std::string::npos);
    // Numbers beyond their range: read whole, taken as the largest allowed,
    // said once in the log, and left in the file as the administrator wrote them.
    CHECK(ini.find("Max.Inact.=123456\r\n") != std::string::npos);
    CHECK(ini.find("Max.Session=100\r\n") != std::string::npos);
    CHECK(ini.find("KeyGroup=7\r\n") != std::string::npos);
    CHECK(ini.find("CloseKill=0\r\n") != std::string::npos);
    CHECK(ini.find("SendKeys=1\r\n") != std::string::npos);
    const std::string log = folder.Read("Quorlan.exe.Log");
    CHECK(log.find("\tSettings: Max.Inact.=123456 is out of range (0 to 9999): 9999 is used\n") != std::string::npos);
    CHECK(log.find("\tSettings: KeyGroup=7 is out of range (0 to 2): 2 is used\n") != std::string::npos);
    CHECK(log.find("Max.Inactivity: 09999 - Max Sessions alloved: 99 ") != std::string::npos);
    CHECK(ini.find("Conect=1\r\n") != std::string::npos);
    CHECK(ini.find("Guid={11111111-2222-3333-4444-555555555555}") != std::string::npos);
}

TEST_CASE("a log over 32000 bytes starts afresh; one of exactly 32000 bytes is appended to") {
    // The first header entry (a single blank) shows which rule applied: over
    // the limit, the file starts afresh with it; at the limit it is appended
    // to the old file, which is then over the limit and restarted by the next
    // entry, the dashed line.
    for (std::size_t size : {std::size_t{32000}, std::size_t{32001}}) {
        CAPTURE(size);
        ScratchFolder folder;
        folder.Write("Quorlan.ini", IniText({"QLNone"}));
        folder.Write("Quorlan.exe.Log", std::string(size, '#'));
        QuorlanProcess quorlan(folder);
        REQUIRE(WaitForStartUp(folder));
        const std::string log = folder.Read("Quorlan.exe.Log");
        CHECK(log.find('#') == std::string::npos);
        const std::string firstEntry = log.substr(0, log.find('\n', 1));
        CAPTURE(firstEntry);
        if (size == 32000) {
            CHECK(firstEntry.find("\t---") != std::string::npos);
        } else {
            CHECK(firstEntry.substr(firstEntry.size() - 2) == "\t ");
        }
    }
}

TEST_CASE("a close request to the status window only hides it") {
    ScratchFolder folder;
    folder.Write("Quorlan.ini", IniText({"QLNone"}));
    QuorlanProcess quorlan(folder);
    REQUIRE(WaitForStartUp(folder));
    const HWND status = quorlan.StatusWindow();
    REQUIRE(status != nullptr);
    CHECK_FALSE(IsWindowVisible(status));
    CHECK((GetWindowLongA(status, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) != 0);
    ShowWindow(status, SW_SHOW);
    PostMessageA(status, WM_CLOSE, 0, 0);
    CHECK(WaitUntil([&] { return !IsWindowVisible(status); }, 5000));
    PumpFor(500);
    CHECK(quorlan.Running());
    CHECK(IsWindow(status));
    CHECK(folder.Read("Quorlan.exe.Log").find("Exit") == std::string::npos);
}

TEST_CASE("an installer's upgrade signal ends the copy as Close does and closes no supervised program; a user's event of its name is ignored") {
    ScratchFolder folder;
    folder.Write("Quorlan.ini", IniText({"QLUpgrade", 999}));
    TestAppProcess app(folder, "QLUpgrade");
    QuorlanProcess quorlan(folder);
    REQUIRE(app.WaitForEvent("start ", 20000));
    {
        // Made first by a user: not the administrators', so not obeyed.
        ql::win32::UniqueHandle squatter(CreateEventA(nullptr, TRUE, TRUE, ql::win32::kUpgradeSignalName));
        REQUIRE(squatter);
        REQUIRE_FALSE(ql::win32::OwnedByAdministrators(squatter.get()));
        PumpFor(2 * kScanMs + 500);  // two looks at least, one a scan
        CHECK(quorlan.Running());
    }
    const ql::win32::UniqueHandle signal = ql::win32::RaiseUpgradeSignal();
    REQUIRE(signal);
    CHECK(quorlan.WaitForExit(10000));
    const std::vector<std::string> lines = ReadLines(folder.File("Quorlan.exe.Log"));
    REQUIRE_FALSE(lines.empty());
    CHECK(lines.back().find("\tExit") != std::string::npos);
    PumpFor(500);
    CHECK(app.Running());
    CHECK(app.CountEvents("close ") == 0);
}
