#include <doctest/doctest.h>

#include <map>
#include <string>

#include "installer/SettingsProperties.h"
#include "settings/Setup.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeGuidSource.h"
#include "tests/fakes/FakeProfileStore.h"

namespace ql::test {
namespace {

using namespace ql::installer;

struct Case {
    const char* property;
    std::string given;
    bool accepted;
    std::string stored;  // when accepted
};

// The plan for properties given as on an msiexec command line.
SettingsPlan Plan(const std::map<std::string, std::string>& given) {
    return PlanSettings([&given](const char* name) {
        const auto found = given.find(name);
        return found == given.end() ? std::string() : found->second;
    });
}

// What the program reads back after the installer wrote the plan into a
// settings file that began, as the installer begins it, with an id.
struct ReadBack {
    FakeProfileStore profile;
    FakeFileSystem files{"C:\\ProgramData\\Quorlan"};
    FakeGuidSource guids;

    explicit ReadBack(const SettingsPlan& plan) {
        const std::string ini = PathInFolder("C:\\ProgramData\\Quorlan\\", kIniFileName);
        profile.WriteString(ini.c_str(), "InternalSetUp", "Guid", "{00000000-1111-2222-3333-444444444444}");
        for (const auto& value : plan.values)
            profile.WriteString(ini.c_str(), value.property->section, value.property->key, value.stored.c_str());
    }
};

}  // namespace

TEST_CASE("given settings are taken only in the forms the program reads back unchanged") {
    const std::string longest(1023, 'P');
    const Case cases[] = {
        {"MAXINACT", "45", true, "45"},
        {"MAXINACT", "9999", true, "9999"},
        {"MAXINACT", "0007", true, "7"},
        {"MAXINACT", "0", true, "0"},
        {"MAXINACT", "12345", false, ""},  // would be read as 1234
        {"MAXINACT", "abc", false, ""},    // would be read as 0: every session idle at once
        {"MAXINACT", "12abc", false, ""},
        {"MAXINACT", "-5", false, ""},
        {"MAXINACT", " 45", false, ""},
        {"MAXSESSION", "99", true, "99"},
        {"MAXSESSION", "100", false, ""},  // would be read as 10
        {"PROGRAM", longest, true, longest},
        {"PROGRAM", longest + "P", false, ""},
        {"PROGRAM", "Afx:00400000:8", true, "Afx:00400000:8"},
        {"PROGRAM", "Fen\xeatre", true, "Fen\xeatre"},
        {"PROGRAM", " Padded", false, ""},  // the profile rules drop outer blanks
        {"PROGRAM", "Padded ", false, ""},
        {"PROGRAM", "\"Quoted\"", false, ""},  // and enclosing quotes
        {"PROGRAM", "'Quoted'", false, ""},
        {"PROGRAM", "\"Half", true, "\"Half"},
        {"PROGRAM", "Two\nLines", false, ""},
        {"CLOSEKILL", "1", true, "1"},
        {"CLOSEKILL", "yes", false, ""},
        {"SENDKEYS", "01", false, ""},
        {"KEYGROUP", "2", true, "2"},
        {"KEYGROUP", "3", false, ""},
        {"WARNING", "060", true, "60"},
        {"WARNING", "999", true, "999"},
        {"WARNING", "1000", false, ""},  // would be read as 100
        {"WARNING", "-5", false, ""},
        {"RELEASESERVER", "OFF", true, "off"},
        {"RELEASESERVER", "updates.corp.example", true, "updates.corp.example"},
        {"RELEASESERVER", "10.0.0.7:8080", true, "10.0.0.7:8080"},
        {"RELEASESERVER", "host:0", false, ""},
        {"RELEASESERVER", "host:65536", false, ""},
        {"RELEASESERVER", "host:", false, ""},
        {"RELEASESERVER", "http://host", false, ""},
        {"RELEASESERVER", "host/path", false, ""},
        {"RELEASESERVER", "-host", false, ""},
        {"RELEASESERVER", "a..b", false, ""},
    };
    for (const auto& c : cases) {
        CAPTURE(c.property);
        CAPTURE(c.given.substr(0, 40));
        const SettingsPlan plan = Plan({{c.property, c.given}});
        CHECK(plan.error.empty() == c.accepted);
        if (!c.accepted) {
            CHECK(plan.values.empty());
            CHECK(plan.error.find(c.property) != std::string::npos);
            continue;
        }
        REQUIRE(plan.values.size() == 1);
        CHECK(plan.values[0].stored == c.stored);
    }
}

TEST_CASE("the program reads every accepted value back as it was given") {
    const std::string longest(1023, 'W');
    const SettingsPlan plan =
        Plan({{"PROGRAM", longest}, {"MAXINACT", "9999"}, {"MAXSESSION", "99"}, {"CLOSEKILL", "1"}, {"SENDKEYS", "1"}, {"KEYGROUP", "0"}});
    REQUIRE(plan.error.empty());
    ReadBack world(plan);
    TSetup setup(world.profile, world.files, world.guids);
    CHECK(std::string(setup.Program) == longest);
    CHECK(setup.MaxInact == 9999);
    CHECK(setup.MaxSession == 99);
    CHECK(setup.CloseKill);
    CHECK(setup.SendKeys);
    CHECK(setup.KeyGroup == 0);
    // The file began with an id, so the program keeps it and makes none.
    CHECK(std::string(setup.Guid) == "{00000000-1111-2222-3333-444444444444}");
}

TEST_CASE("properties not given change nothing, and one refusal refuses them all") {
    const SettingsPlan none = Plan({});
    CHECK((none.values.empty() && none.error.empty() && none.runAtStartUp == RunAtStartUp::Unchanged));

    const SettingsPlan mixed = Plan({{"PROGRAM", "Good"}, {"MAXINACT", "abc"}});
    CHECK(mixed.values.empty());
    CHECK(mixed.error.find("MAXINACT") != std::string::npos);
    CHECK(mixed.error.find("\"abc\"") != std::string::npos);
    // The reason says what 0 means, so that it is not taken for "unlimited".
    CHECK(mixed.error.find("from 0 to 9999 (seconds, 0 for no closing for inactivity)") != std::string::npos);

    // A value the message cannot show as it is, is described by its length.
    CHECK(Plan({{"PROGRAM", "[INSTALLDIR] "}}).error.find("(13 characters)") != std::string::npos);
    const std::string tooLong = Plan({{"PROGRAM", std::string(2000, 'Q')}}).error;
    CHECK(tooLong.find("(2000 characters)") != std::string::npos);
    CHECK(tooLong.size() < 300);
}

TEST_CASE("the hand-over to the writing step carries the folder, the kept Run value and every value") {
    const SettingsPlan plan = Plan({{"PROGRAM", "Name=With=Equals"}, {"RELEASESERVER", "off"}});
    REQUIRE(plan.error.empty());
    ActionData sent{"C:\\ProgramData\\Quorlan\\", "\"C:\\ProgramData\\Quorlan\\Quorlan.lnk\"", RunAtStartUp::Unregister,
                    plan.values, SettingsLock::Lock};
    ActionData received;
    REQUIRE(DecodeActionData(EncodeActionData(sent), received));
    CHECK(received.workingFolder == sent.workingFolder);
    CHECK(received.keptRunValue == sent.keptRunValue);
    CHECK(received.runAtStartUp == RunAtStartUp::Unregister);
    CHECK(received.lock == SettingsLock::Lock);
    REQUIRE(received.values.size() == 2);
    CHECK(received.values[0].property == FindSettingsProperty("PROGRAM"));
    CHECK(received.values[0].stored == "Name=With=Equals");
    CHECK(received.values[1].stored == "off");

    ActionData nothing{"C:\\Q\\", "", RunAtStartUp::Unchanged, {}};
    REQUIRE(DecodeActionData(EncodeActionData(nothing), received));
    CHECK(received.values.empty());
    CHECK(received.keptRunValue.empty());
    CHECK(received.runAtStartUp == RunAtStartUp::Unchanged);
    CHECK(received.lock == SettingsLock::Unchanged);

    CHECK_FALSE(DecodeActionData("", received));
    CHECK_FALSE(DecodeActionData("C:\\Q\\\n", received));
    CHECK_FALSE(DecodeActionData("C:\\Q\\\n\nyes\n", received));
    CHECK_FALSE(DecodeActionData("C:\\Q\\\n\n\nyes", received));
    CHECK_FALSE(DecodeActionData("C:\\Q\\\n\n\n\nUNKNOWN=1", received));
    CHECK_FALSE(DecodeActionData("C:\\Q\\\n\n\n\nPROGRAM", received));
}

TEST_CASE("RUNATSTARTUP and LOCKSETTINGS take 0 or 1; anything else refuses every value") {
    CHECK(Plan({{"RUNATSTARTUP", "1"}}).runAtStartUp == RunAtStartUp::Register);
    CHECK(Plan({{"RUNATSTARTUP", "0"}}).runAtStartUp == RunAtStartUp::Unregister);
    CHECK(Plan({{"LOCKSETTINGS", "1"}}).lock == SettingsLock::Lock);
    CHECK(Plan({{"LOCKSETTINGS", "0"}}).lock == SettingsLock::Unlock);
    CHECK(Plan({{"RUNATSTARTUP", "1"}}).lock == SettingsLock::Unchanged);
    for (const char* property : {"RUNATSTARTUP", "LOCKSETTINGS"}) {
        CAPTURE(property);
        const SettingsPlan refused = Plan({{property, "yes"}, {"PROGRAM", "Good"}, {"RUNATSTARTUP", "1"}});
        CHECK(refused.error.find(property) != std::string::npos);
        CHECK(refused.runAtStartUp == RunAtStartUp::Unchanged);
        CHECK(refused.lock == SettingsLock::Unchanged);
        CHECK(refused.values.empty());
    }
}

TEST_CASE("uninstalling removes a Run value only when it names this folder's shortcut") {
    // The installer's own value must be written as the setup dialog writes it.
    const std::string registered = RunValueFor("C:\\ProgramData\\Quorlan\\");
    CHECK(registered == "\"C:\\ProgramData\\Quorlan\\Quorlan.lnk\"");
    const struct {
        std::string runValue;
        bool removed;
    } cases[] = {
        {registered, true},
        {"C:\\ProgramData\\Quorlan\\Quorlan.lnk", true},
        {"  \"c:\\programdata\\QUORLAN\\quorlan.LNK\" ", true},
        {"\"D:\\Tools\\Quorlan\\Quorlan.lnk\"", false},
        {"\"C:\\ProgramData\\Quorlan\\Other.lnk\"", false},
        {"\"C:\\ProgramData\\Quorlan\\Quorlan.lnk\" /extra", false},
        {"", false},
    };
    for (const auto& c : cases) {
        CAPTURE(c.runValue);
        CHECK(RunValueNamesShortcut(c.runValue, "C:\\ProgramData\\Quorlan\\") == c.removed);
        CHECK(RunValueNamesShortcut(c.runValue, "C:\\ProgramData\\Quorlan") == c.removed);
    }
    CHECK_FALSE(RunValueNamesShortcut("\"\\Quorlan.lnk\"", ""));
}

}  // namespace ql::test
