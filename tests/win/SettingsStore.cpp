// The profile contract and the settings record against the real profile
// services, in a scratch folder.
#include <doctest/doctest.h>

#include <cctype>
#include <cstring>
#include <string>

#include "WinScratchFiles.h"
#include "core/Text.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32GuidSource.h"
#include "platform/win32/Win32ProfileStore.h"
#include "settings/Setup.h"
#include "tests/contract/ProfileStoreContract.h"

namespace ql::test {
namespace {

class Win32ProfileFixture final : public WinScratchFiles<ProfileFixture> {
public:
    ProfileStore& Store() override { return m_store; }
    void HoldOpenExclusively(const std::string& path) override {
        m_held.reset(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
        REQUIRE(static_cast<bool>(m_held));
    }

private:
    win32::Win32ProfileStore m_store;
    win32::UniqueFileHandle m_held;
};

TEST_CASE("real profile store keeps the profile contract") {
    Win32ProfileFixture fixture;
    CheckProfileContract(fixture);
}

bool IsRegistryGuid(const std::string& text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
    for (std::size_t i = 1; i < 37; ++i) {
        const bool hyphen = (i == 9 || i == 14 || i == 19 || i == 24);
        const char c = text[i];
        if (hyphen ? c != '-' : !(std::isdigit(static_cast<unsigned char>(c)) || (c >= 'A' && c <= 'F'))) return false;
    }
    return true;
}

TEST_CASE("settings record writes a fresh ini file through the real services") {
    WinScratchFiles<ScratchFiles> scratch;
    win32::Win32ProfileStore profile;
    win32::Win32FileSystem files;
    win32::Win32GuidSource guids;

    std::string guid;
    {
        TSetup setup(profile, files, guids);
        CHECK(std::string(setup.IniPath) == scratch.PathOf("Quorlan.ini"));
        guid = setup.Guid;
        CHECK(IsRegistryGuid(guid));
        CHECK(setup.MaxInact == 45);
        CHECK(setup.KeyGroup == 2);
    }
    const std::string raw = scratch.ReadRaw(scratch.PathOf("Quorlan.ini"));
    CHECK(InOrder(raw, {"[InternalSetUp]", "Guid=", "ActRelease=", "Conect=0", "[BasicSetUp]", "Max.Inact.=45",
                        "Max.Session=0", "Program=", "[AdvancedSetUp]", "CloseKill=0", "SendKeys=0", "KeyGroup=2",
                        "Warning=0"}));
    CHECK(raw.find(guid) != std::string::npos);

    // A second start keeps the identifier and reads what the first one wrote.
    TSetup again(profile, files, guids);
    CHECK(std::string(again.Guid) == guid);
    again.MaxInact = 754;
    CopyText(again.Program, "Notepad");
    again.SendKeys = true;
    again.Save();
    TSetup third(profile, files, guids);
    CHECK(third.MaxInact == 754);
    CHECK(std::string(third.Program) == "Notepad");
    CHECK(third.SendKeys);
}

}  // namespace
}  // namespace ql::test

TEST_CASE("the real id source makes random ids of version 4, a new one each time") {
    ql::win32::Win32GuidSource guids;
    ql::GuidValue first, second;
    REQUIRE(guids.Generate(first));
    REQUIRE(guids.Generate(second));
    for (const ql::GuidValue& guid : {first, second}) {
        CHECK((guid.data3 >> 12) == 4);
        CHECK((guid.data4[0] & 0xC0) == 0x80);
    }
    CHECK(std::memcmp(&first, &second, sizeof first) != 0);
}
