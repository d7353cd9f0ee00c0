#include <doctest/doctest.h>

#include <memory>
#include <string>

#include "settings/SettingKeys.h"
#include "supervisor/Exemption.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeGroupMembership.h"
#include "tests/fakes/FakeGuidSource.h"
#include "tests/fakes/FakeProfileStore.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/Recorders.h"

namespace ql::test {
namespace {

constexpr const char* kIni = "C:\\Work\\Quorlan.ini";

// Settings read from a file and the policies, as at start-up.
struct ExemptWorld {
    explicit ExemptWorld(const char* policy, const char* file = "") {
        profile.SetText(kIni, std::string("[BasicSetUp]\r\nMax.Inact.=600\r\nMax.Session=2\r\n[AdvancedSetUp]\r\n") +
                                  (file[0] != '\0' ? std::string("ExemptGroups=") + file + "\r\n" : ""));
        if (policy != nullptr) registry.SetValue(RegistryRoot::LocalMachine, kPolicyKeyPath, "ExemptGroups", policy);
        setup = std::make_unique<TSetup>(profile, files, guids, &log, &registry);
    }
    FakeProfileStore profile;
    FakeFileSystem files{"C:\\Work"};
    FakeGuidSource guids;
    FakeRegistry registry;
    RecordingLog log;
    FakeGroupMembership token;
    std::unique_ptr<TSetup> setup;
};

TEST_CASE("a user in one of the policy's groups is exempt: the first group held is named") {
    struct Case {
        const char* policy;
        const char* exempting;
    };
    const Case cases[] = {
        {"CORP\\Nurses", ""},
        {"CORP\\Doctors", "CORP\\Doctors"},
        {"CORP\\Nurses;CORP\\Doctors", "CORP\\Doctors"},
        {" CORP\\Nurses ; S-1-5-21-7-1105 ;", "S-1-5-21-7-1105"},
        {";;", ""},
        {"corp\\doctors", "corp\\doctors"},
    };
    for (const Case& c : cases) {
        CAPTURE(c.policy);
        ExemptWorld world(c.policy);
        world.token.memberOf = {"CORP\\Doctors", "S-1-5-21-7-1105"};
        CHECK(ExemptingGroup(*world.setup, world.token, world.log) == c.exempting);
    }
}

TEST_CASE("a value in the settings file exempts nobody: users may write that file") {
    ExemptWorld world(nullptr, "BUILTIN\\Users");
    world.token.memberOf = {"BUILTIN\\Users"};
    CHECK(ExemptingGroup(*world.setup, world.token, world.log).empty());
    CHECK(world.token.asked == 0);
    CHECK_FALSE(ApplyExemption(*world.setup, world.token, world.log));
    CHECK(world.setup->MaxInact == 600);
}

TEST_CASE("a group the system does not know is logged and passed over") {
    ExemptWorld world("CORP\\Gone;CORP\\Doctors");
    world.token.unknown = {"CORP\\Gone"};
    world.token.memberOf = {"CORP\\Doctors"};
    CHECK(ExemptingGroup(*world.setup, world.token, world.log) == "CORP\\Doctors");
    CHECK(world.log.lines.back() == "Policy ExemptGroups: \"CORP\\Gone\" names no group this computer knows");
}

TEST_CASE("an exempt user's settings close nothing, are held as the administrator's, and are not written back") {
    ExemptWorld world("CORP\\Doctors");
    world.token.memberOf = {"CORP\\Doctors"};
    REQUIRE(ApplyExemption(*world.setup, world.token, world.log));
    CHECK(world.log.lines.back() == "Exempt: this user belongs to \"CORP\\Doctors\": sessions are counted, never closed");
    CHECK(world.setup->MaxInact == 0);
    CHECK(world.setup->MaxSession == 0);
    CHECK(world.setup->SetByPolicy(*FindSettingKey("Max.Inact.")));
    CHECK(world.setup->SetByPolicy(*FindSettingKey("Max.Session")));
    world.setup->Save();
    const std::string ini = world.profile.Text(kIni);
    CHECK(ini.find("Max.Inact.=600") != std::string::npos);
    CHECK(ini.find("Max.Session=2") != std::string::npos);
    CHECK(ini.find("ExemptGroups") == std::string::npos);
}

}  // namespace
}  // namespace ql::test
