#pragma once
// The registry rules every Registry keeps, run against the fake and, under
// Wine, against the real registry in a scratch key of the current user.
#include <doctest/doctest.h>

#include <string>

#include "platform/Registry.h"

namespace ql::test {

class RegistryFixture {
public:
    virtual ~RegistryFixture() = default;
    virtual Registry& Store() = 0;
    // A key path under RegistryRoot::CurrentUser that nothing else uses and
    // that does not exist yet; the fixture removes it when it goes.
    virtual std::string ScratchKey() = 0;
    // Makes the existing key refuse to open for full access. False where that
    // cannot be arranged; the case then says so and checks nothing.
    virtual bool DenyFullAccess(const std::string& path) = 0;
};

inline std::string ReadValue(RegistryKey& key, const char* name, std::size_t capacity = 64) {
    std::string out(capacity, 'X');
    if (!key.ReadString(name, out.data(), capacity)) {
        CHECK(out[0] == '\0');
        return "<missing>";
    }
    out.resize(std::char_traits<char>::length(out.c_str()));
    return out;
}

inline void CheckRegistryContract(RegistryFixture& fixture) {
    Registry& registry = fixture.Store();
    const std::string path = fixture.ScratchKey();
    const RegistryRoot root = RegistryRoot::CurrentUser;

    SUBCASE("a missing key is created; its values live on after it is closed") {
        {
            auto key = registry.OpenOrCreate(root, path.c_str());
            REQUIRE(key);
            CHECK_FALSE(key->ValueExists("Quorlan"));
            CHECK(ReadValue(*key, "Quorlan") == "<missing>");
            CHECK(key->SetString("Quorlan", "\"C:\\Work\\Quorlan.lnk\""));
        }
        auto again = registry.OpenOrCreate(root, path.c_str());
        REQUIRE(again);
        CHECK(again->ValueExists("quorlan"));
        CHECK(ReadValue(*again, "QUORLAN") == "\"C:\\Work\\Quorlan.lnk\"");
        CHECK(registry.OpenOrCreate(root, (path + "\\Sub").c_str()));
        CHECK(again->ValueExists("Quorlan"));
    }
    SUBCASE("a value is replaced, deleted once, and read only into a buffer it fits") {
        auto key = registry.OpenOrCreate(root, path.c_str());
        REQUIRE(key);
        CHECK(key->SetString("v", "first"));
        CHECK(key->SetString("V", "second"));
        CHECK(ReadValue(*key, "v") == "second");
        CHECK(ReadValue(*key, "v", 7) == "second");
        CHECK(ReadValue(*key, "v", 6) == "<missing>");
        CHECK(key->SetString("empty", ""));
        CHECK(key->ValueExists("empty"));
        CHECK(ReadValue(*key, "empty") == "");
        CHECK(key->DeleteValue("v"));
        CHECK_FALSE(key->ValueExists("v"));
        CHECK_FALSE(key->DeleteValue("v"));
        CHECK(key->ValueExists("empty"));
    }
    SUBCASE("an empty key is deleted once") {
        REQUIRE(registry.OpenOrCreate(root, path.c_str()));
        CHECK(registry.DeleteKey(root, path.c_str()));
        CHECK_FALSE(registry.DeleteKey(root, path.c_str()));
    }
    SUBCASE("a key denied to this user does not open") {
        {
            auto key = registry.OpenOrCreate(root, path.c_str());
            REQUIRE(key);
            CHECK(key->SetString("Quorlan", "x"));
        }
        if (!fixture.DenyFullAccess(path)) {
            MESSAGE("this registry cannot deny a key to its own user: not checked here");
            return;
        }
        CHECK_FALSE(registry.OpenOrCreate(root, path.c_str()));
    }
}

}  // namespace ql::test
