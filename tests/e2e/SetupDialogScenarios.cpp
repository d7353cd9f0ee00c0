// Quorlan.exe's setup dialog driven as a user would, with real clicks and
// typed keys: the first start without a program, and Run at Startup kept in
// the machine-wide Run key.
#include <doctest/doctest.h>

#include <memory>
#include <string>

#include "RegistryAccess.h"
#include "SetupDialogDriver.h"
#include "WinTestSupport.h"
#include "platform/win32/Win32Registry.h"
#include "settings/SetupForm.h"

using namespace ql::test;

namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr DWORD kTimeout = 15000;

// The Run value as a scenario leaves it, removed before and after.
class RunValue {
public:
    RunValue() { Remove(); }
    ~RunValue() { Remove(); }
    RunValue(const RunValue&) = delete;
    RunValue& operator=(const RunValue&) = delete;

    void Set(const char* data) {
        auto key = m_registry.OpenOrCreate(ql::RegistryRoot::LocalMachine, kRunKey);
        REQUIRE(key);
        REQUIRE(key->SetString("Quorlan", data));
    }
    std::string Get() {
        auto key = m_registry.OpenOrCreate(ql::RegistryRoot::LocalMachine, kRunKey);
        char data[1024];
        return key && key->ReadString("Quorlan", data, sizeof data) ? data : "<missing>";
    }

private:
    void Remove() {
        if (auto key = m_registry.OpenOrCreate(ql::RegistryRoot::LocalMachine, kRunKey)) key->DeleteValue("Quorlan");
    }
    ql::win32::Win32Registry m_registry;
};

// The administrator's policy values, set with the system's own "reg add"
// as a script would; all removed before and after.
class Policies {
public:
    Policies() { Remove(); }
    ~Policies() { Remove(); }
    Policies(const Policies&) = delete;
    Policies& operator=(const Policies&) = delete;

    void AddNumber(const char* name, const char* value) {
        REQUIRE(Run(std::string("reg add ") + kKey + " /v " + name + " /t REG_DWORD /d " + value + " /f") == 0);
    }

private:
    static constexpr const char* kKey = "HKLM\\Software\\Policies\\Quorlan";
    static DWORD Run(const std::string& command) {
        ChildProcess reg(command);
        if (!reg.Started() || !reg.WaitForExit(kTimeout)) return ~DWORD{0};
        return reg.ExitCode();
    }
    static void Remove() { Run(std::string("reg delete ") + kKey + " /f"); }
};

// Quorlan started in a folder without a program (and with the settings file
// given, if any): its setup dialog showing.
struct FirstStart {
    explicit FirstStart(const std::string& ini = "") : written(Prepare(folder, ini)) {}
    static bool Prepare(const ScratchFolder& folder, const std::string& ini) {
        if (!ini.empty()) folder.Write("Quorlan.ini", ini);
        return true;
    }
    ScratchFolder folder;
    bool written;
    QuorlanProcess quorlan{folder};
    HWND dialog = WaitForSetupDialog(quorlan.Id());

    std::string Log() const { return folder.Read("Quorlan.exe.Log"); }
    // Puts a class name into the program field as the window picker does;
    // the picker itself is driven in scenarios of its own.
    void ChooseProgram(const char* windowClass) const {
        SendMessageA(GetDlgItem(dialog, IDC_APLICACION), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(windowClass));
    }
    bool WaitForTracking(const std::string& program) const {
        return WaitForFileText(folder.File("Quorlan.exe.Log"), "Tracking: " + program + " ", kTimeout);
    }
};

}  // namespace

TEST_CASE("a first start shows the setup dialog before any session is hooked; OK starts supervision with its values") {
    RunValue run;
    ScratchFolder appFolder;
    TestAppProcess app(appFolder, "QLSetupFirst");
    REQUIRE(app.Windows().size() == 1);
    FirstStart start;
    REQUIRE(start.dialog != nullptr);

    // A whole scan period passes with the dialog open: nothing is hooked.
    PumpFor(5500);
    CHECK(app.CountEvents("start ") == 0);
    CHECK(start.Log().find("Runing...") != std::string::npos);
    CHECK(start.Log().find("Tracking: ") == std::string::npos);
    CHECK(ControlText(start.dialog, IDC_APLICACION) == " - undefined - ");
    CHECK(CheckOf(start.dialog, IDC_RUNSTUP) == BST_UNCHECKED);

    start.ChooseProgram("QLSetupFirst");
    // Erased key by key, the field shows "0" at once, and the next digit
    // typed replaces that "0" rather than going in front of it.
    ClickControl(start.dialog, IDC_TINACT);
    for (WORD key : {WORD{VK_END}, WORD{VK_BACK}, WORD{VK_BACK}}) {
        SendKey(key, false);
        SendKey(key, true);
    }
    CHECK(ControlTextOnceIs(start.dialog, IDC_TINACT, "0") == "0");
    TypeText("3");
    CHECK(ControlTextOnceIs(start.dialog, IDC_TINACT, "3") == "3");
    CHECK(ControlTextOnceIs(start.dialog, IDC_INFOT, "0 mins.  3 secs.") == "0 mins.  3 secs.");
    ReplaceFieldText(start.dialog, IDC_MAXACT, "x1");  // the letter is swallowed
    CHECK(ControlTextOnceIs(start.dialog, IDC_MAXACT, "1") == "1");
    ClickControl(start.dialog, IDC_RUNSTUP);
    CHECK(CheckOnceIs(start.dialog, IDC_RUNSTUP, BST_CHECKED) == BST_CHECKED);
    start.folder.Write("Quorlan.lnk", "");  // the installer's shortcut, which the Run value starts
    ClickControl(start.dialog, IDOK);

    REQUIRE(start.WaitForTracking("QLSetupFirst"));
    CHECK_FALSE(IsWindowVisible(start.dialog));
    const std::string ini = start.folder.Read("Quorlan.ini");
    CHECK(ini.find("Program=QLSetupFirst\r\n") != std::string::npos);
    CHECK(ini.find("Max.Inact.=3\r\n") != std::string::npos);
    CHECK(ini.find("Max.Session=1\r\n") != std::string::npos);
    const std::string log = start.Log();
    CHECK(log.find("\tRun at strartup\n") != std::string::npos);
    CHECK(log.find("\tTracking: QLSetupFirst - Max.Inactivity: 00003 - Max Sessions alloved: 01 ") !=
          std::string::npos);
    CHECK(run.Get() == "\"" + start.folder.Path() + "\\Quorlan.lnk\"");

    // Supervision runs with the new limit: the idle session is closed.
    CHECK(app.WaitForExit(30000));
    CHECK(app.CountEvents("start 0 ") == 1);
    CHECK(app.CountEvents("close ") == 1);
}

TEST_CASE("Run at Startup without the installer's shortcut sets no Run value and says why") {
    RunValue run;
    FirstStart start;
    REQUIRE(start.dialog != nullptr);
    start.ChooseProgram("QLNone");
    ClickControl(start.dialog, IDC_RUNSTUP);
    CHECK(CheckOnceIs(start.dialog, IDC_RUNSTUP, BST_CHECKED) == BST_CHECKED);
    ClickControl(start.dialog, IDOK);
    REQUIRE(start.WaitForTracking("QLNone"));
    HWND box = nullptr;
    REQUIRE(WaitUntil([&] { return (box = VisibleWindowOfClass("#32770", start.quorlan.Id())) != nullptr && box != start.dialog; }, kTimeout));
    CHECK(start.Log().find(std::string("\t") + ql::kRunNoShortcut + "\n") != std::string::npos);
    CHECK(run.Get() == "<missing>");
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST_CASE("policy values set with reg add take effect over the file's, show greyed, and leave the file's own values in the file") {
    Policies policies;
    policies.AddNumber("MaxInact", "600");
    policies.AddNumber("CloseKill", "1");
    policies.AddNumber("MaxSession", "100");  // out of range: the safest value, 0, is enforced
    FirstStart start("[BasicSetUp]\r\nMax.Inact.=45\r\nMax.Session=2\r\n[AdvancedSetUp]\r\nCloseKill=0\r\n");
    REQUIRE(start.dialog != nullptr);
    CHECK(ControlText(start.dialog, IDC_TINACT) == "600");
    CHECK_FALSE(IsWindowEnabled(GetDlgItem(start.dialog, IDC_TINACT)));
    CHECK(CheckOf(start.dialog, IDC_CHECKCLOSEKILL) == BST_CHECKED);
    CHECK_FALSE(IsWindowEnabled(GetDlgItem(start.dialog, IDC_CHECKCLOSEKILL)));
    CHECK(ControlText(start.dialog, IDC_MAXACT) == "0");
    CHECK_FALSE(IsWindowEnabled(GetDlgItem(start.dialog, IDC_MAXACT)));
    CHECK(ControlText(start.dialog, IDC_POLICYNOTE) == ql::kPolicyNote);
    start.ChooseProgram("QLPolicy");
    ClickControl(start.dialog, IDOK);

    REQUIRE(start.WaitForTracking("QLPolicy"));
    const std::string log = start.Log();
    CHECK(log.find("\tPolicy MaxSession not usable: 100 is out of range (0 to 99): 0 is used\n") != std::string::npos);
    CHECK(log.find("\tTracking: QLPolicy - Max.Inactivity: 00600 - Max Sessions alloved: 00 ") != std::string::npos);
    const std::string ini = start.folder.Read("Quorlan.ini");
    CHECK(ini.find("Max.Inact.=45\r\n") != std::string::npos);
    CHECK(ini.find("CloseKill=0\r\n") != std::string::npos);
    CHECK(ini.find("Max.Session=2\r\n") != std::string::npos);
    CHECK(ini.find("Program=QLPolicy\r\n") != std::string::npos);
}

TEST_CASE("clearing Run at Startup and OK deletes the Run value") {
    RunValue run;
    run.Set("\"C:\\Elsewhere\\Quorlan.lnk\"");
    FirstStart start;
    REQUIRE(start.dialog != nullptr);
    CHECK(CheckOf(start.dialog, IDC_RUNSTUP) == BST_CHECKED);
    start.ChooseProgram("QLNone");
    ClickControl(start.dialog, IDC_RUNSTUP);
    CHECK(CheckOnceIs(start.dialog, IDC_RUNSTUP, BST_UNCHECKED) == BST_UNCHECKED);
    ClickControl(start.dialog, IDOK);

    REQUIRE(start.WaitForTracking("QLNone"));
    CHECK(start.Log().find("\tCancel Run at strartup\n") != std::string::npos);
    CHECK(run.Get() == "<missing>");
}

TEST_CASE("a Run key the user may not open greys the box, and OK leaves the registry alone") {
    RunValue run;
    std::unique_ptr<FirstStart> start;
    {
        ScopedKeyDenial denial(HKEY_LOCAL_MACHINE, kRunKey);
        REQUIRE(denial.Enforced());
        start = std::make_unique<FirstStart>();
        REQUIRE(start->dialog != nullptr);
        CHECK(CheckOf(start->dialog, IDC_RUNSTUP) == BST_INDETERMINATE);
        start->ChooseProgram("QLNone");
        ClickControl(start->dialog, IDC_RUNSTUP);  // a click still toggles the box
        CHECK(CheckOnceIs(start->dialog, IDC_RUNSTUP, BST_CHECKED) == BST_CHECKED);
        ClickControl(start->dialog, IDOK);
        REQUIRE(start->WaitForTracking("QLNone"));
    }
    CHECK(run.Get() == "<missing>");
    const std::string log = start->Log();
    CHECK(log.find("strartup") == std::string::npos);
    CHECK(log.find("Error!") == std::string::npos);
}

TEST_CASE("Cancel and Esc close the dialog; the start goes on with the settings as they were") {
    for (bool escape : {false, true}) {
        CAPTURE(escape);
        FirstStart start;
        REQUIRE(start.dialog != nullptr);
        ReplaceFieldText(start.dialog, IDC_TINACT, "77");
        if (escape) {
            SendKey(VK_ESCAPE, false);
            SendKey(VK_ESCAPE, true);
        } else {
            ClickControl(start.dialog, IDCANCEL);
        }
        REQUIRE(start.WaitForTracking(""));
        CHECK_FALSE(IsWindowVisible(start.dialog));
        // The text field counts only on OK.
        CHECK(start.Log().find("Max.Inactivity: 00045") != std::string::npos);
        CHECK(start.folder.Read("Quorlan.ini").find("Max.Inact.=45") != std::string::npos);
    }
}
