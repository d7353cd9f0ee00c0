// The setup dialog's logic against an in-memory dialog, ini file and registry.
#include <doctest/doctest.h>

#include <memory>
#include <string>
#include <vector>

#include "settings/SetupForm.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeGuidSource.h"
#include "tests/fakes/FakeProfileStore.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeSetupView.h"
#include "tests/fakes/Recorders.h"

namespace ql::test {
namespace {

constexpr const char* kIni = "C:\\Work\\Quorlan.ini";
constexpr RegistryRoot kMachine = RegistryRoot::LocalMachine;

// The files and registry a dialog starts with, then the dialog itself.
struct World {
    explicit World(const std::string& ini = "", const std::string& folder = "C:\\Work") : files(folder) {
        if (!ini.empty()) profile.SetText(kIni, ini);
        // The installer's shortcut, which the Run value starts.
        files.SetFile(folder + (folder.back() == '\\' ? "" : "\\") + kShortcutName, "");
    }
    FakeProfileStore profile;
    FakeFileSystem files;
    FakeGuidSource guids;
    FakeRegistry registry;
    RecordingLog log;

    std::string RunValue() const { return registry.Value(kMachine, kRunKeyPath, kRunValueName); }
};

// The dialog as the status window makes it: settings loaded, controls filled.
struct Dialog {
    explicit Dialog(World& world)
        : setup(world.profile, world.files, world.guids, &world.log, &world.registry),
          form(setup, view, world.registry, world.files, world.log) {
        view.Attach(form);
        form.Fill();
    }
    TSetup setup;
    FakeSetupView view;
    SetupForm form;
};

const char* const kStoredIni =
    "[InternalSetUp]\r\nGuid={11111111-2222-3333-4444-555555555555}\r\n"
    "[BasicSetUp]\r\nMax.Inact.=754\r\nMax.Session=3\r\nProgram=Notepad\r\n"
    "[AdvancedSetUp]\r\nCloseKill=0\r\nSendKeys=1\r\nKeyGroup=1\r\n";

TEST_CASE("the controls are filled from the stored settings") {
    World world(kStoredIni);
    Dialog dialog(world);
    FakeSetupView& view = dialog.view;

    CHECK(view.Text(SetupField::MaxInactivity) == "754");
    CHECK(view.Text(SetupField::InactivityInfo) == "12 mins.  34 secs.");
    CHECK(view.Text(SetupField::MaxSessions) == "3");
    CHECK(view.Text(SetupField::Program) == "Notepad");
    CHECK(view.Text(SetupField::InstallationId) == "Install id :{11111111-2222-3333-4444-555555555555}     ");
    CHECK(view.checks[SetupCheck::SendKeys] == CheckState::Checked);
    CHECK(view.checks[SetupCheck::CloseKill] == CheckState::Clear);
    CHECK(view.radiosEnabled);
    CHECK(view.checks[SetupCheck::KeyGroup0] == CheckState::Clear);
    CHECK(view.checks[SetupCheck::KeyGroup1] == CheckState::Checked);
    CHECK(view.checks[SetupCheck::KeyGroup2] == CheckState::Clear);
}

TEST_CASE("a stored key group out of range shows the default's radio button until another is clicked") {
    World world("[AdvancedSetUp]\r\nKeyGroup=7\r\nSendKeys=0\r\n");
    Dialog dialog(world);
    FakeSetupView& view = dialog.view;
    CHECK(view.checks[SetupCheck::KeyGroup0] == CheckState::Clear);
    CHECK(view.checks[SetupCheck::KeyGroup1] == CheckState::Clear);
    CHECK(view.checks[SetupCheck::KeyGroup2] == CheckState::Checked);
    CHECK_FALSE(view.radiosEnabled);
    CHECK(view.Text(SetupField::Program) == kUndefinedProgram);

    dialog.form.RadioOptClick(0);
    CHECK(dialog.setup.KeyGroup == 0);
    CHECK(view.checks[SetupCheck::KeyGroup0] == CheckState::Checked);
    dialog.form.RadioOptClick(2);
    CHECK(dialog.setup.KeyGroup == 2);
    CHECK(view.checks[SetupCheck::KeyGroup0] == CheckState::Clear);
    CHECK(view.checks[SetupCheck::KeyGroup2] == CheckState::Checked);
}

TEST_CASE("values set by policy show greyed with a note; OK keeps the file's own values") {
    World world(kStoredIni);
    const char* policies = "Software\\Policies\\Quorlan";
    SUBCASE("no policy: nothing greyed, no note") {
        Dialog dialog(world);
        for (const auto& control : dialog.view.enabledControls) CHECK(control.second);
        CHECK(dialog.view.radiosEnabled);
        CHECK(dialog.view.Text(SetupField::PolicyNote).empty());
    }
    SUBCASE("the limits, the program and the key script set by policy") {
        world.registry.SetNumber(kMachine, policies, "MaxInact", 600);
        world.registry.SetValue(kMachine, policies, "Program", "Calc");
        world.registry.SetNumber(kMachine, policies, "KeyGroup", 2);
        Dialog dialog(world);
        FakeSetupView& view = dialog.view;
        CHECK(view.Text(SetupField::MaxInactivity) == "600");
        CHECK(view.Text(SetupField::Program) == "Calc");
        CHECK_FALSE(view.enabledControls[SetupControl::MaxInactivity]);
        CHECK_FALSE(view.enabledControls[SetupControl::Program]);
        CHECK_FALSE(view.enabledControls[SetupControl::SpeedButton2]);
        CHECK(view.enabledControls[SetupControl::MaxSessions]);
        CHECK(view.enabledControls[SetupControl::SendKeys]);
        CHECK(view.enabledControls[SetupControl::CloseKill]);
        CHECK(view.Text(SetupField::PolicyNote) == kPolicyNote);
        // SendKeys is on, yet the key script is the administrator's.
        CHECK_FALSE(view.radiosEnabled);
        view.Click(SetupCheck::SendKeys);
        dialog.form.CheckSendKeysClick();
        view.Click(SetupCheck::SendKeys);
        dialog.form.CheckSendKeysClick();
        CHECK_FALSE(view.radiosEnabled);

        view.Type(SetupField::MaxSessions, "5");
        CHECK(dialog.form.OnOkClicked());
        const std::string ini = world.profile.Text(kIni);
        CHECK(ini.find("Max.Inact.=754\r\n") != std::string::npos);
        CHECK(ini.find("Program=Notepad\r\n") != std::string::npos);
        CHECK(ini.find("KeyGroup=1\r\n") != std::string::npos);
        CHECK(ini.find("Max.Session=5\r\n") != std::string::npos);
        CHECK(world.log.lines.back() == "Tracking: Calc - Max.Inactivity: 00600 - Max Sessions alloved: 05 ");
    }
}

TEST_CASE("a settings file the administrator locked greys every value, says so, and is never written") {
    World world(kStoredIni);
    world.profile.SetReadOnly(kIni);
    Dialog dialog(world);
    FakeSetupView& view = dialog.view;
    CHECK(dialog.setup.Locked());
    CHECK(world.log.lines.front() == kSettingsLockedLog);
    for (const auto& control : view.enabledControls) CHECK_FALSE(control.second);
    CHECK(view.enabledControls.size() == 6);
    CHECK_FALSE(view.radiosEnabled);  // SendKeys is on in the file
    CHECK(view.Text(SetupField::PolicyNote) == kLockedNote);
    dialog.setup.MaxSession = 7;  // whatever changes in memory
    CHECK(dialog.form.OnOkClicked());
    CHECK(world.profile.Text(kIni) == kStoredIni);
    // The log goes on: the tracking line is written as ever.
    CHECK(world.log.lines.back().rfind("Tracking: Notepad", 0) == 0);
}

TEST_CASE("the inactivity info follows the inactivity field in minutes and seconds") {
    World world;
    Dialog dialog(world);
    CHECK(dialog.view.Text(SetupField::InactivityInfo) == "0 mins.  45 secs.");

    const struct {
        const char* typed;
        const char* info;
    } cases[] = {{"0", "0: no closing for inactivity"},
                 {"45", "0 mins.  45 secs."},
                 {"754", "12 mins.  34 secs."},
                 {"9999", "166 mins.  39 secs."},
                 {"0060", "1 mins.  0 secs."}};
    for (const auto& c : cases) {
        CAPTURE(std::string(c.typed));
        dialog.view.Type(SetupField::MaxInactivity, c.typed);
        CHECK(dialog.view.Text(SetupField::InactivityInfo) == c.info);
    }

    SUBCASE("an emptied field becomes 0 at once") {
        dialog.view.Type(SetupField::MaxInactivity, "");
        CHECK(dialog.view.Text(SetupField::MaxInactivity) == "0");
        CHECK(dialog.view.Text(SetupField::InactivityInfo) == "0: no closing for inactivity");
        dialog.view.Type(SetupField::MaxSessions, "");
        CHECK(dialog.view.Text(SetupField::MaxSessions) == "0");
    }
    SUBCASE("pasted text that is no number leaves the inactivity info as it was") {
        for (const char* pasted : {"1a", "-5", " 12", "12345"}) {
            CAPTURE(std::string(pasted));
            dialog.view.Type(SetupField::MaxInactivity, pasted);
            CHECK(dialog.view.Text(SetupField::InactivityInfo) == "1 mins.  0 secs.");
        }
    }
}

TEST_CASE("the number fields take digits and control characters only") {
    for (char typed : {'0', '5', '9', '\b', '\x16', '\x03', '\x1a', '\r'}) {
        CAPTURE(int{typed});
        CHECK(AcceptsNumberKey(typed));
    }
    for (char typed : {'a', '-', '+', ' ', '.', '/', ':', '\x7f', static_cast<char>(0xB2)}) {
        CAPTURE(int{typed});
        CHECK_FALSE(AcceptsNumberKey(typed));
    }
}

TEST_CASE("a number field's text is read as a number only within its digits") {
    const struct {
        const char* text;
        int digits;
        bool valid;
        std::int32_t value;
    } cases[] = {{"0", 4, true, 0},      {"9999", 4, true, 9999}, {"0045", 4, true, 45}, {"99", 2, true, 99},
                 {"100", 2, false, 0},   {"12345", 4, false, 0},  {"", 4, false, 0},    {"-1", 4, false, 0},
                 {"+1", 4, false, 0},    {" 1", 4, false, 0},     {"1 ", 4, false, 0},  {"1e3", 4, false, 0},
                 {"0x10", 4, false, 0}};
    for (const auto& c : cases) {
        CAPTURE(std::string(c.text));
        std::int32_t value = -7;
        CHECK(ParseFieldNumber(c.text, c.digits, value) == c.valid);
        CHECK(value == (c.valid ? c.value : -7));
    }
}

TEST_CASE("OK with a text that is no valid number writes nothing and keeps the dialog open") {
    World world(kStoredIni);
    Dialog dialog(world);
    const int writesBefore = world.profile.WriteCount();
    const std::string fileBefore = world.profile.Text(kIni);

    SUBCASE("in the inactivity field") { dialog.view.texts[SetupField::MaxInactivity] = "12a"; }
    SUBCASE("in the sessions field, after a valid inactivity") {
        dialog.view.texts[SetupField::MaxInactivity] = "60";
        dialog.view.texts[SetupField::MaxSessions] = "-1";
    }
    dialog.view.texts[SetupField::Program] = "Other";
    dialog.view.checks[SetupCheck::RunAtStartup] = CheckState::Checked;

    CHECK_FALSE(dialog.form.OnOkClicked());
    REQUIRE(dialog.view.messages.size() == 1);
    CHECK(dialog.view.messages[0].find("is not a valid number") != std::string::npos);
    CHECK(dialog.view.closes == 0);
    CHECK(world.profile.WriteCount() == writesBefore);
    CHECK(world.profile.Text(kIni) == fileBefore);
    CHECK(world.log.lines.empty());
    CHECK(world.RunValue() == "<missing>");
    // Nothing of the refused OK is in effect either.
    CHECK(dialog.setup.MaxInact == 754);
    CHECK(dialog.setup.MaxSession == 3);
    CHECK(std::string(dialog.setup.Program) == "Notepad");
}

TEST_CASE("a user sets up a first start, cancels a later change and confirms it afterwards") {
    World world;
    Dialog dialog(world);
    FakeSetupView& view = dialog.view;
    SetupForm& form = dialog.form;

    // OK without choosing a program keeps the program empty.
    form.FormShow();
    view.Type(SetupField::MaxInactivity, "120");
    CHECK(form.OnOkClicked());
    CHECK(dialog.setup.Program[0] == '\0');
    CHECK(dialog.setup.MaxInact == 120);
    CHECK(view.closes == 1);
    REQUIRE(world.log.lines.size() == 1);
    CHECK(world.log.lines[0] == "Tracking:  - Max.Inactivity: 00120 - Max Sessions alloved: 00 ");

    // Shown again: the program is chosen, boxes clicked, then Cancel.
    form.FormShow();
    view.texts[SetupField::Program] = "TestAppWindow";
    view.Type(SetupField::MaxSessions, "5");
    view.Click(SetupCheck::CloseKill);
    form.CheckCloseKillClick();
    view.Click(SetupCheck::SendKeys);
    form.CheckSendKeysClick();
    CHECK(view.radiosEnabled);
    form.CancelClick();
    CHECK(view.closes == 2);
    // The boxes took effect at once and stay; the text fields did not.
    CHECK(dialog.setup.CloseKill);
    CHECK(dialog.setup.SendKeys);
    CHECK(dialog.setup.MaxSession == 0);
    CHECK(dialog.setup.Program[0] == '\0');
    CHECK(world.profile.Text(kIni).find("CloseKill=0") != std::string::npos);

    // Shown once more: the fields still hold the edits, and OK stores them.
    form.FormShow();
    CHECK(view.Text(SetupField::MaxSessions) == "5");
    CHECK(form.OnOkClicked());
    CHECK(std::string(dialog.setup.Program) == "TestAppWindow");
    CHECK(dialog.setup.MaxSession == 5);
    const std::string ini = world.profile.Text(kIni);
    for (const char* line : {"Program=TestAppWindow", "Max.Session=5", "Max.Inact.=120", "CloseKill=1", "SendKeys=1"}) {
        CAPTURE(std::string(line));
        CHECK(ini.find(line) != std::string::npos);
    }
    CHECK(world.log.lines.back() == "Tracking: TestAppWindow - Max.Inactivity: 00120 - Max Sessions alloved: 05 ");
    CHECK(world.RunValue() == "<missing>");
}

// One showing of the dialog: the Run box as read, the user's clicks, OK.
struct RunCase {
    const char* name;
    const char* storedValue;  // null: no value
    int clicks;
    const char* valueAfter;
    std::vector<std::string> registryLog;
    std::vector<std::string> boxes = {};
    bool shortcut = true;
    const char* setMeanwhile = nullptr;  // by someone else, between showing and OK
};

TEST_CASE("OK keeps the Run value in step with the Run at Startup box") {
    const RunCase cases[] = {
        {"absent, ticked", nullptr, 1, "\"C:\\Work\\Quorlan.lnk\"", {kRunCreatedLog}},
        {"present, cleared", "\"D:\\Old\\Quorlan.lnk\"", 1, "<missing>", {kRunDeletedLog}},
        {"present with any data, left ticked", "anything at all", 0, "anything at all", {}},
        {"absent, ticked and cleared again", nullptr, 2, "<missing>", {}},
        {"present, cleared and ticked again", "x", 2, "x", {}},
        {"absent, left clear", nullptr, 0, "<missing>", {}},
        {"absent, ticked, no shortcut", nullptr, 1, "<missing>", {kRunNoShortcut}, {kRunNoShortcut}, false},
        {"absent, ticked, set by another meanwhile", nullptr, 1, "\"E:\\Theirs.lnk\"", {kRunChangedMeanwhile}, {}, true,
         "\"E:\\Theirs.lnk\""},
        {"present, cleared, replaced by another meanwhile", "\"D:\\Old\\Quorlan.lnk\"", 1, "\"E:\\Theirs.lnk\"",
         {kRunChangedMeanwhile}, {}, true, "\"E:\\Theirs.lnk\""},
    };
    for (const RunCase& c : cases) {
        CAPTURE(std::string(c.name));
        World world;
        if (!c.shortcut) world.files.Remove("C:\\Work\\Quorlan.lnk");
        if (c.storedValue) world.registry.SetValue(kMachine, kRunKeyPath, kRunValueName, c.storedValue);
        Dialog dialog(world);
        dialog.form.FormShow();
        CHECK(dialog.view.checks[SetupCheck::RunAtStartup] == (c.storedValue ? CheckState::Checked : CheckState::Clear));
        for (int i = 0; i < c.clicks; ++i) dialog.view.Click(SetupCheck::RunAtStartup);
        if (c.setMeanwhile) world.registry.SetValue(kMachine, kRunKeyPath, kRunValueName, c.setMeanwhile);

        REQUIRE(dialog.form.OnOkClicked());
        CHECK(world.RunValue() == c.valueAfter);
        std::vector<std::string> expected = c.registryLog;
        expected.push_back("Tracking:  - Max.Inactivity: 00045 - Max Sessions alloved: 00 ");
        CHECK(world.log.lines == expected);
        CHECK(dialog.view.messages == c.boxes);
        CHECK(world.registry.OpenKeys() == 0);
    }
}

TEST_CASE("without write access to the Run key the box is greyed and OK leaves the registry alone") {
    World world;
    world.registry.DenyOpening(kMachine, kRunKeyPath);
    Dialog dialog(world);
    dialog.form.FormShow();
    CHECK(dialog.view.checks[SetupCheck::RunAtStartup] == CheckState::Greyed);
    CHECK_FALSE(dialog.form.RunKeyWritable);
    const int operations = world.registry.Operations();

    for (int clicks : {1, 2}) {
        CAPTURE(clicks);
        for (int i = 0; i < clicks; ++i) dialog.view.Click(SetupCheck::RunAtStartup);
        REQUIRE(dialog.form.OnOkClicked());
        CHECK(world.registry.Operations() == operations);
        CHECK(dialog.view.messages.empty());
        CHECK(world.log.lines.back().rfind("Tracking: ", 0) == 0);
        CHECK(world.log.lines.size() == static_cast<std::size_t>(clicks));
    }
}

TEST_CASE("a refused Run value is reported after the settings are saved and the dialog closed; the dialog may go meanwhile") {
    // A message box pumps messages; the menu's "Close" then destroys the
    // dialog with the status window before the box returns.
    World world;
    world.registry.RefuseChanges(kMachine, kRunKeyPath);
    std::string expected = kRegistryRefused;
    std::string ini = kIni;
    SUBCASE("creating") {}
    SUBCASE("deleting") { world.registry.SetValue(kMachine, kRunKeyPath, kRunValueName, "x"); }
    SUBCASE("a working directory too long for the Run value") {
        world.files.SetCurrentDirectory(std::string(300, 'a'));
        ini.clear();  // so long a folder keeps the settings in memory
        expected = kRunDirectoryTooLong;
    }
    auto dialog = std::make_unique<Dialog>(world);
    dialog->form.FormShow();
    dialog->view.Click(SetupCheck::RunAtStartup);
    dialog->view.Type(SetupField::MaxInactivity, "99");
    std::vector<std::string> shown;
    std::vector<std::string> loggedBeforeBox;
    int closesBeforeBox = -1;
    dialog->view.whileMessageShown = [&] {
        shown = dialog->view.messages;
        loggedBeforeBox = world.log.lines;
        closesBeforeBox = dialog->view.closes;
        dialog.reset();
    };

    CHECK(dialog->form.OnOkClicked());
    CHECK_FALSE(dialog);
    CHECK(shown == std::vector<std::string>{expected});
    CHECK(closesBeforeBox == 1);
    // The box's text is logged, and the settings line, before the box shows.
    REQUIRE(loggedBeforeBox.size() == 2);
    CHECK(loggedBeforeBox[0] == expected);
    CHECK(loggedBeforeBox[1].rfind("Tracking: ", 0) == 0);
    CHECK(world.log.lines == loggedBeforeBox);
    if (!ini.empty()) CHECK(world.profile.Text(ini).find("Max.Inact.=99") != std::string::npos);
    CHECK(world.registry.OpenKeys() == 0);
}

TEST_CASE("the Run value holds the quoted shortcut path, or nothing when the path cannot be formed in full") {
    SUBCASE("a root working directory has its separator already") {
        World world("", "C:\\");
        Dialog dialog(world);
        dialog.form.FormShow();
        dialog.view.Click(SetupCheck::RunAtStartup);
        REQUIRE(dialog.form.OnOkClicked());
        CHECK(world.RunValue() == "\"C:\\Quorlan.lnk\"");
    }
    SUBCASE("a working directory of 255 characters fits, one of 256 is refused and never cut") {
        const std::string fits = "C:\\" + std::string(252, 'a');
        const std::string tooLong = fits + "b";
        for (const std::string& folder : {fits, tooLong}) {
            World world("", folder);
            Dialog dialog(world);
            dialog.form.FormShow();
            dialog.view.Click(SetupCheck::RunAtStartup);
            REQUIRE(dialog.form.OnOkClicked());
            if (folder == fits) {
                CHECK(world.RunValue() == "\"" + fits + "\\Quorlan.lnk\"");
            } else {
                CHECK(world.RunValue() == "<missing>");
                CHECK(dialog.view.messages == std::vector<std::string>{kRunDirectoryTooLong});
            }
        }
    }
    SUBCASE("the data buffer is never overrun") {
        char small[12];
        CHECK_FALSE(FormRunValueData("C:\\Work", small, sizeof small));
        CHECK(small[0] == '\0');
        char exact[22];  // "C:\Work\Quorlan.lnk" quoted is 21 characters
        CHECK(FormRunValueData("C:\\Work", exact, sizeof exact));
        CHECK(std::string(exact) == "\"C:\\Work\\Quorlan.lnk\"");
        CHECK_FALSE(FormRunValueData("C:\\Work", exact, sizeof exact - 1));
    }
}

}  // namespace
}  // namespace ql::test
