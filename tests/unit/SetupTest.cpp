#include <doctest/doctest.h>

#include <cstring>
#include <string>

#include "core/Text.h"
#include "settings/Setup.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeGuidSource.h"
#include "tests/fakes/FakeProfileStore.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/Recorders.h"

namespace ql::test {
namespace {

constexpr const char* kFolder = "C:\\Work";
constexpr const char* kIni = "C:\\Work\\Quorlan.ini";
constexpr const char* kNewGuid = "{DEADBEEF-0A1B-C2D3-E4F5-0123456789AB}";

struct SetupWorld {
    SetupWorld() { guids.Queue(GuidValue{0xdeadbeef, 0x0a1b, 0xc2d3, {0xe4, 0xf5, 0x01, 0x23, 0x45, 0x67, 0x89, 0xab}}); }
    FakeProfileStore profile;
    FakeFileSystem files{kFolder};
    FakeGuidSource guids;
};

TEST_CASE("first run writes the whole file with a new installation identifier") {
    SetupWorld world;
    TSetup setup(world.profile, world.files, world.guids);

    CHECK(std::string(setup.IniPath) == kIni);
    CHECK(std::string(setup.Guid) == kNewGuid);
    CHECK(world.profile.Text(kIni) ==
          "[InternalSetUp]\r\nGuid={DEADBEEF-0A1B-C2D3-E4F5-0123456789AB}\r\nActRelease=\r\nConect=0\r\n"
          "[BasicSetUp]\r\nMax.Inact.=45\r\nMax.Session=0\r\nProgram=\r\n"
          "[AdvancedSetUp]\r\nCloseKill=0\r\nSendKeys=0\r\nKeyGroup=2\r\nWarning=0\r\n");
    CHECK(setup.MaxInact == 45);
    CHECK(setup.Warning == 0);
    CHECK(setup.MaxSession == 0);
    CHECK(setup.ScanInterval == 5);
    CHECK(setup.KeyGroup == 2);
    CHECK(setup.SinchT == 0);
    CHECK_FALSE(setup.CloseKill);
    CHECK_FALSE(setup.SendKeys);
    CHECK_FALSE(setup.Conect);
    CHECK_FALSE(setup.Upgrade);
    CHECK(setup.Program[0] == '\0');
    CHECK(setup.ActRelease[0] == '\0');
}

TEST_CASE("stored values are read whole by the number and flag rules and written back unless out of range") {
    SetupWorld world;
    world.profile.SetText(kIni,
                          "[InternalSetup]\r\nGuid={11111111-2222-3333-4444-555555555555}\r\nActRelease=00.56.00\r\n"
                          "Conect=1\r\nSinchT=4102444800\r\nUpgrade=1\r\n"
                          "[BasicSetUp]\r\nMax.Inact.=123456\r\nMax.Session=100\r\nProgram=  Notepad  \r\n"
                          "[AdvancedSetUp]\r\nCloseKill=yes\r\nSendKeys=01\r\nKeyGroup=7\r\nWarning=0600\r\n");
    TSetup setup(world.profile, world.files, world.guids);

    CHECK(world.guids.Calls() == 0);
    CHECK(std::string(setup.Guid) == "{11111111-2222-3333-4444-555555555555}");
    CHECK(std::string(setup.ActRelease) == "00.56.00");
    CHECK(setup.Conect);
    CHECK(setup.Upgrade);
    CHECK(setup.SinchT == 4102444800LL);
    CHECK(setup.MaxInact == 9999);  // beyond the range: the largest allowed
    CHECK(setup.MaxSession == 99);
    CHECK(std::string(setup.Program) == "Notepad");
    CHECK_FALSE(setup.CloseKill);
    CHECK(setup.SendKeys);
    CHECK(setup.KeyGroup == 2);  // 7 is out of range
    CHECK(setup.Warning == 600);
    // SinchT and Upgrade belong to the release check: Save leaves them alone.
    CHECK(world.profile.Text(kIni) ==
          "[InternalSetup]\r\nGuid={11111111-2222-3333-4444-555555555555}\r\nActRelease=00.56.00\r\n"
          "Conect=1\r\nSinchT=4102444800\r\nUpgrade=1\r\n"
          "[BasicSetUp]\r\nMax.Inact.=123456\r\nMax.Session=100\r\nProgram=Notepad\r\n"
          "[AdvancedSetUp]\r\nCloseKill=0\r\nSendKeys=1\r\nKeyGroup=7\r\nWarning=600\r\n");
}

// Starts with a file holding one key and gives what field makes of it.
template <typename Field>
auto ReadStored(const char* section, const char* key, const char* stored, Field field) {
    SetupWorld world;
    world.profile.SetText(kIni, std::string("[") + section + "]\r\n" + key + "=" + stored + "\r\n");
    const TSetup setup(world.profile, world.files, world.guids);
    return field(setup);
}

TEST_CASE("a flag is true only when its value reads as the number 1") {
    const struct {
        const char* stored;
        bool expected;
    } cases[] = {{"1", true},   {"01", true},  {"1x", true},    {" +1 ", true}, {"2", false},
                 {"yes", false}, {"true", false}, {"-1", false}, {"", false},    {"11", false}};
    for (const auto& c : cases) {
        CAPTURE(c.stored);
        CHECK(ReadStored("AdvancedSetUp", "CloseKill", c.stored, [](const TSetup& s) { return s.CloseKill; }) ==
              c.expected);
    }
}

TEST_CASE("numbers are read leniently") {
    const struct {
        const char* stored;
        std::int32_t expected;
    } cases[] = {{"30", 30}, {"+5", 5}, {"7x", 7}, {"x7", 0}, {"", 0}, {"  12", 12}};
    for (const auto& c : cases) {
        CAPTURE(c.stored);
        CHECK(ReadStored("BasicSetUp", "Max.Inact.", c.stored, [](const TSetup& s) { return s.MaxInact; }) ==
              c.expected);
    }
}

TEST_CASE("a warning time out of range means no warning") {
    const struct {
        const char* stored;
        std::int32_t expected;
    } cases[] = {{"999", 999}, {"-5", 0}, {"-99", 0}, {"x", 0}, {"", 0}};
    for (const auto& c : cases) {
        CAPTURE(c.stored);
        CHECK(ReadStored("AdvancedSetUp", "Warning", c.stored, [](const TSetup& s) { return s.Warning; }) == c.expected);
    }
}

TEST_CASE("a number below its key's range reads as the default with one log line naming the key") {
    const struct {
        const char* line;
        std::int32_t maxInact, maxSession, keyGroup;
        const char* logged;
    } cases[] = {
        {"[BasicSetUp]\r\nMax.Inact.=-1\r\n", 45, 0, 2, "Settings: Max.Inact.=-1 is out of range (0 to 9999): 45 is used"},
        {"[BasicSetUp]\r\nMax.Session=-3\r\n", 45, 0, 2, "Settings: Max.Session=-3 is out of range (0 to 99): 0 is used"},
        {"[AdvancedSetUp]\r\nKeyGroup=3\r\n", 45, 0, 2, "Settings: KeyGroup=3 is out of range (0 to 2): 2 is used"},
        {"[AdvancedSetUp]\r\nKeyGroup=-2147483648\r\n", 45, 0, 2,
         "Settings: KeyGroup=-2147483648 is out of range (0 to 2): 2 is used"},
        {"[BasicSetUp]\r\nMax.Inact.=0\r\nMax.Session=99\r\n[AdvancedSetUp]\r\nKeyGroup=0\r\n", 0, 99, 0, nullptr},
    };
    for (const auto& c : cases) {
        CAPTURE(std::string(c.line));
        SetupWorld world;
        world.profile.SetText(kIni, c.line);
        RecordingLog log;
        TSetup setup(world.profile, world.files, world.guids, &log);
        CHECK(setup.MaxInact == c.maxInact);
        CHECK(setup.MaxSession == c.maxSession);
        CHECK(setup.KeyGroup == c.keyGroup);
        if (c.logged == nullptr) {
            CHECK(log.lines.empty());
        } else {
            CHECK(log.lines == std::vector<std::string>{c.logged});
            CHECK(world.profile.Text(kIni).find(c.line) != std::string::npos);  // the file keeps it
        }
    }
}

TEST_CASE("a number too long for its key reads as the largest allowed, logged, and the file keeps it") {
    const struct {
        const char* section;
        const char* key;
        const char* stored;
        std::int32_t UserSettings::*field;
        std::int32_t expected;
    } cases[] = {
        {"BasicSetUp", "Max.Inact.", "36000", &UserSettings::MaxInact, 9999},
        {"BasicSetUp", "Max.Inact.", "99999999999", &UserSettings::MaxInact, 9999},
        {"BasicSetUp", "Max.Session", "100", &UserSettings::MaxSession, 99},
        {"AdvancedSetUp", "Warning", "1000", &UserSettings::Warning, 999},
        {"AdvancedSetUp", "KeyGroup", "20", &UserSettings::KeyGroup, 2},
    };
    for (const auto& c : cases) {
        const std::string line = std::string(c.key) + "=" + c.stored + "\r\n";
        CAPTURE(line);
        SetupWorld world;
        world.profile.SetText(kIni, std::string("[") + c.section + "]\r\n" + line);
        RecordingLog log;
        TSetup setup(world.profile, world.files, world.guids, &log);
        CHECK(setup.*c.field == c.expected);
        REQUIRE(log.lines.size() == 1);
        CHECK(log.lines[0].rfind(std::string("Settings: ") + c.key + "=", 0) == 0);
        CHECK(log.lines[0].find(": " + std::to_string(c.expected) + " is used") != std::string::npos);
        setup.Save();
        CHECK(world.profile.Text(kIni).find(line) != std::string::npos);
        // A value the user chooses replaces it.
        setup.*c.field = 1;
        setup.Save();
        CHECK(world.profile.Text(kIni).find(std::string(c.key) + "=1\r\n") != std::string::npos);
    }
}

TEST_CASE("Save writes only what changed in this run; a change made to the file meanwhile survives") {
    SetupWorld world;
    world.profile.SetText(kIni, "[InternalSetup]\r\nGuid={A}\r\n[BasicSetUp]\r\nMax.Inact.=60\r\nProgram=Notepad\r\n");
    TSetup setup(world.profile, world.files, world.guids);
    // The installer, run again by an administrator while the program runs.
    world.profile.WriteString(kIni, "BasicSetUp", "Max.Inact.", "600");
    world.profile.WriteString(kIni, "BasicSetUp", "Program", "Calc");
    world.profile.WriteString(kIni, "AdvancedSetUp", "CloseKill", "1");
    world.profile.WriteString(kIni, "InternalSetup", "Conect", "1");
    // This run changes one value (the dialog), and sets another back to what it was.
    setup.MaxSession = 4;
    setup.SendKeys = true;
    setup.SendKeys = false;
    const int writesBefore = world.profile.WriteCount();
    setup.Save();
    CHECK(world.profile.WriteCount() == writesBefore + 1);
    const std::string text = world.profile.Text(kIni);
    CHECK(text.find("Max.Inact.=600\r\n") != std::string::npos);
    CHECK(text.find("Program=Calc\r\n") != std::string::npos);
    CHECK(text.find("CloseKill=1\r\n") != std::string::npos);
    CHECK(text.find("Conect=1\r\n") != std::string::npos);
    CHECK(text.find("Max.Session=4\r\n") != std::string::npos);
    // Saving again writes nothing more; a later change in this run is written.
    setup.Save();
    CHECK(world.profile.WriteCount() == writesBefore + 1);
    setup.MaxInact = 90;
    setup.Save();
    CHECK(world.profile.Text(kIni).find("Max.Inact.=90\r\n") != std::string::npos);
}

constexpr const char* kPolicies = "Software\\Policies\\Quorlan";

TEST_CASE("policy values override the file's while present; the file keeps its own values") {
    SetupWorld world;
    world.profile.SetText(kIni, "[InternalSetup]\r\nGuid={A}\r\n[BasicSetUp]\r\nMax.Inact.=60\r\nMax.Session=2\r\n"
                                "Program=Notepad\r\n[AdvancedSetUp]\r\nCloseKill=0\r\nKeyGroup=1\r\nReleaseServer=off\r\n");
    FakeRegistry registry;
    const auto machine = RegistryRoot::LocalMachine;
    registry.SetNumber(machine, kPolicies, "MaxInact", 600);
    registry.SetNumber(machine, kPolicies, "CloseKill", 1);
    registry.SetValue(machine, kPolicies, "Program", "Calc");
    registry.SetValue(machine, kPolicies, "ReleaseServer", "updates.example:8080");
    registry.SetNumber(machine, kPolicies, "MaxSession", 100);  // out of range
    registry.SetValue(machine, kPolicies, "SendKeys", "1");      // a string, not a number
    registry.SetNumber(machine, kPolicies, "KeyGroup", 0);
    RecordingLog log;
    {
        TSetup setup(world.profile, world.files, world.guids, &log, &registry);
        CHECK(setup.MaxInact == 600);
        CHECK(setup.CloseKill);
        CHECK(std::string(setup.Program) == "Calc");
        CHECK(std::string(setup.ReleaseServer) == "updates.example:8080");
        CHECK(setup.KeyGroup == 0);
        CHECK(setup.MaxSession == 0);  // unusable: the safest value
        CHECK_FALSE(setup.SendKeys);
        CHECK(setup.SetByPolicy(*FindSettingKey("Max.Inact.")));
        CHECK(setup.SetByPolicy(*FindSettingKey("Max.Session")));
        CHECK(log.lines == std::vector<std::string>{
                               "Policy MaxSession not usable: 100 is out of range (0 to 99): 0 is used",
                               "Policy SendKeys not usable: not a REG_DWORD value: 0 is used",
                               "Set by policy: MaxInact MaxSession Program CloseKill SendKeys KeyGroup ReleaseServer",
                           });
        // Changes in this run to a value the policy sets never reach the file.
        setup.MaxInact = 30;
        setup.MaxSession = 3;
        setup.Save();
        const std::string text = world.profile.Text(kIni);
        CHECK(text.find("Max.Inact.=60\r\n") != std::string::npos);
        CHECK(text.find("Program=Notepad\r\n") != std::string::npos);
        CHECK(text.find("CloseKill=0\r\n") != std::string::npos);
        CHECK(text.find("KeyGroup=1\r\n") != std::string::npos);
        CHECK(text.find("ReleaseServer=off\r\n") != std::string::npos);
        CHECK(text.find("Max.Session=2\r\n") != std::string::npos);
    }
    SUBCASE("without the policies the file's values are back") {
        FakeRegistry none;
        TSetup again(world.profile, world.files, world.guids, &log, &none);
        CHECK(again.MaxInact == 60);
        CHECK_FALSE(again.CloseKill);
        CHECK(std::string(again.Program) == "Notepad");
        CHECK_FALSE(again.AnySetByPolicy());
    }
}

TEST_CASE("a policy present but unusable enforces the safest value; a text one is trimmed or ignored") {
    enum class Type { Number, Text };
    const struct {
        const char* policy;
        Type type;
        const char* text;        // for Type::Text
        std::uint32_t number;    // for Type::Number
        const char* fileKey;     // the setting as the record reads it afterwards
        const char* expected;
        const char* logged;      // null: nothing but the "Set by policy" line
        bool locked;
    } cases[] = {
        {"CloseKill", Type::Text, "0", 0, "CloseKill", "0", "Policy CloseKill not usable: not a REG_DWORD value: 0 is used", true},
        {"CloseKill", Type::Number, nullptr, 2, "CloseKill", "0",
         "Policy CloseKill not usable: 2 is out of range (0 to 1): 0 is used", true},
        {"SendKeys", Type::Text, "1", 0, "SendKeys", "0", "Policy SendKeys not usable: not a REG_DWORD value: 0 is used", true},
        {"MaxInact", Type::Number, nullptr, 10000, "Max.Inact.", "9999",
         "Policy MaxInact not usable: 10000 is out of range (0 to 9999): 9999 is used", true},
        {"MaxInact", Type::Text, "600", 0, "Max.Inact.", "9999",
         "Policy MaxInact not usable: not a REG_DWORD value: 9999 is used", true},
        {"MaxSession", Type::Number, nullptr, 4294967295u, "Max.Session", "0",
         "Policy MaxSession not usable: 4294967295 is out of range (0 to 99): 0 is used", true},
        {"KeyGroup", Type::Number, nullptr, 3, "KeyGroup", "0",
         "Policy KeyGroup not usable: 3 is out of range (0 to 2): 0 is used", true},
        {"Warning", Type::Number, nullptr, 1000, "Warning", "0",
         "Policy Warning not usable: 1000 is out of range (0 to 999): 0 is used", true},
        {"Program", Type::Text, "  Calc\t", 0, "Program", "Calc", nullptr, true},
        {"Program", Type::Text, "\"Calc \"", 0, "Program", "Calc ", nullptr, true},
        {"Program", Type::Text, "", 0, "Program", "Notepad", "Policy Program ignored: empty", false},
        {"Program", Type::Text, " '' ", 0, "Program", "Notepad", "Policy Program ignored: empty", false},
        {"Program", Type::Number, nullptr, 1, "Program", "Notepad",
         "Policy Program ignored: not a REG_SZ value of at most 1023 characters", false},
    };
    for (const auto& c : cases) {
        CAPTURE(c.policy);
        CAPTURE(c.type == Type::Text ? c.text : std::to_string(c.number).c_str());
        SetupWorld world;
        world.profile.SetText(kIni, "[BasicSetUp]\r\nMax.Inact.=60\r\nMax.Session=2\r\nProgram=Notepad\r\n"
                                    "[AdvancedSetUp]\r\nCloseKill=1\r\nSendKeys=1\r\nKeyGroup=1\r\nWarning=30\r\n");
        FakeRegistry registry;
        if (c.type == Type::Text) {
            registry.SetValue(RegistryRoot::LocalMachine, kPolicies, c.policy, c.text);
        } else {
            registry.SetNumber(RegistryRoot::LocalMachine, kPolicies, c.policy, c.number);
        }
        RecordingLog log;
        TSetup setup(world.profile, world.files, world.guids, &log, &registry);
        const SettingKey& key = *FindSettingKey(c.fileKey);
        char value[1024];
        FormatValue(key, setup, value, sizeof value);
        CHECK(std::string(value) == c.expected);
        CHECK(setup.SetByPolicy(key) == c.locked);
        std::vector<std::string> expectedLog;
        if (c.logged != nullptr) expectedLog.push_back(c.logged);
        if (c.locked) expectedLog.push_back(std::string("Set by policy: ") + c.policy);
        CHECK(log.lines == expectedLog);
    }
}

TEST_CASE("a section header written in capitals keeps its spelling") {
    SetupWorld world;
    world.profile.SetText(kIni, "[INTERNALSETUP]\r\nGuid={A}\r\nConect=1\r\n");
    TSetup setup(world.profile, world.files, world.guids);

    CHECK(std::string(setup.Guid) == "{A}");
    CHECK(setup.Conect);
    const std::string text = world.profile.Text(kIni);
    CHECK(text.rfind("[INTERNALSETUP]\r\nGuid={A}\r\nConect=1\r\nActRelease=\r\n[BasicSetUp]", 0) == 0);
    CHECK(text.find("[InternalSet") == std::string::npos);
}

TEST_CASE("an existing file without a Guid keeps it empty and makes no new one") {
    SetupWorld world;
    world.profile.SetText(kIni, "");
    TSetup setup(world.profile, world.files, world.guids);

    CHECK(setup.Guid[0] == '\0');
    CHECK(world.guids.Calls() == 0);
    CHECK(world.profile.Text(kIni).rfind("[InternalSetup]\r\nGuid=\r\nActRelease=\r\n", 0) == 0);
}

TEST_CASE("a file that cannot be opened counts as a first run and the settings stay in memory") {
    SetupWorld world;
    world.profile.SetText(kIni, "[BasicSetUp]\r\nMax.Inact.=60\r\n");
    world.profile.SetUnreadable(kIni);
    TSetup setup(world.profile, world.files, world.guids);

    CHECK(std::string(setup.Guid) == kNewGuid);
    CHECK(setup.MaxInact == 45);
    CHECK(world.profile.Text(kIni) == "[BasicSetUp]\r\nMax.Inact.=60\r\n");
}

TEST_CASE("a read-only file is read and left as it was") {
    SetupWorld world;
    world.profile.SetText(kIni, "[BasicSetUp]\r\nMax.Inact.=60\r\n");
    world.profile.SetReadOnly(kIni);
    TSetup setup(world.profile, world.files, world.guids);

    CHECK(setup.MaxInact == 60);
    CHECK(setup.Guid[0] == '\0');
    CHECK(world.profile.Text(kIni) == "[BasicSetUp]\r\nMax.Inact.=60\r\n");
}

TEST_CASE("changed settings survive Save and the next start") {
    SetupWorld world;
    {
        TSetup setup(world.profile, world.files, world.guids);
        setup.MaxInact = 0;
        setup.MaxSession = 3;
        CopyText(setup.Program, "Edit");
        setup.CloseKill = true;
        setup.KeyGroup = 0;
        setup.Save();
        CHECK(world.profile.Text(kIni).find("Max.Inact.=0\r\n") != std::string::npos);
    }
    TSetup again(world.profile, world.files, world.guids);
    CHECK(std::string(again.Guid) == kNewGuid);
    CHECK(again.MaxInact == 0);
    CHECK(again.MaxSession == 3);
    CHECK(std::string(again.Program) == "Edit");
    CHECK(again.CloseKill);
    CHECK(again.KeyGroup == 0);
    CHECK(world.guids.Calls() == 1);
}

TEST_CASE("the release outcome is stored key by key in the internal section") {
    SetupWorld world;
    TSetup setup(world.profile, world.files, world.guids);
    setup.SinchT = 4102444800LL;
    CopyText(setup.ActRelease, "00.56.00");
    setup.Upgrade = true;
    setup.StoreSinchT();
    setup.StoreActRelease();
    setup.StoreUpgrade();

    CHECK(world.profile.Text(kIni).rfind(std::string("[InternalSetUp]\r\nGuid=") + kNewGuid +
                                             "\r\nActRelease=00.56.00\r\nConect=0\r\nSinchT=4102444800\r\nUpgrade=1\r\n"
                                             "[BasicSetUp]",
                                         0) == 0);
    TSetup again(world.profile, world.files, world.guids);
    CHECK(again.SinchT == 4102444800LL);
    CHECK(again.Upgrade);
}

TEST_CASE("a working directory too long for the system to open the settings path is never a first run") {
    SetupWorld world;
    const std::string suffix = "\\Quorlan.ini";
    const std::size_t longestFolder = kLongestIniPath - suffix.size();  // 247 characters

    SUBCASE("the longest folder the system can open is used") {
        const std::string folder = "C:\\" + std::string(longestFolder - 3, 'd');
        world.files.SetCurrentDirectory(folder);
        TSetup setup(world.profile, world.files, world.guids);
        CHECK(std::strlen(setup.IniPath) == kLongestIniPath);
        CHECK(world.profile.Exists(folder + suffix));
        CHECK(std::string(setup.Guid) == kNewGuid);
    }
    SUBCASE("longer: settings in memory with defaults, no file, no new installation id, start after start") {
        for (std::size_t extra : {std::size_t{1}, std::size_t{8}, std::size_t{800}, std::size_t{4000}}) {
            CAPTURE(extra);
            const std::string folder = "C:\\" + std::string(longestFolder - 3 + extra, 'd');
            world.files.SetCurrentDirectory(folder);
            for (int start = 0; start < 2; ++start) {
                TSetup setup(world.profile, world.files, world.guids);
                CHECK_FALSE(setup.HasIniPath());
                CHECK(setup.Guid[0] == '\0');
                CHECK(setup.MaxInact == 45);
                CHECK(setup.KeyGroup == 2);
                CHECK(setup.ScanInterval == 5);
                setup.Save();
            }
            CHECK(world.profile.WriteCount() == 0);
            CHECK(world.guids.Calls() == 0);
        }
    }
}

}  // namespace
}  // namespace ql::test
