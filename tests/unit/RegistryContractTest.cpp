// The registry contract against the in-memory fake.
#include <doctest/doctest.h>

#include "tests/contract/RegistryContract.h"
#include "tests/fakes/FakeRegistry.h"

namespace ql::test {
namespace {

class FakeRegistryFixture final : public RegistryFixture {
public:
    Registry& Store() override { return m_registry; }
    std::string ScratchKey() override { return "Software\\QuorlanContract"; }
    bool DenyFullAccess(const std::string& path) override {
        m_registry.DenyOpening(RegistryRoot::CurrentUser, path);
        return true;
    }

private:
    FakeRegistry m_registry;
};

TEST_CASE("fake registry keeps the registry contract") {
    FakeRegistryFixture fixture;
    CheckRegistryContract(fixture);
}

TEST_CASE("fake registry keeps the two roots apart and counts open keys") {
    FakeRegistry registry;
    {
        auto machine = registry.OpenOrCreate(RegistryRoot::LocalMachine, "Software\\Run");
        REQUIRE(machine);
        CHECK(registry.OpenKeys() == 1);
        CHECK(machine->SetString("Quorlan", "m"));
    }
    CHECK(registry.OpenKeys() == 0);
    CHECK(registry.Value(RegistryRoot::CurrentUser, "Software\\Run", "Quorlan") == "<missing>");
    CHECK(registry.Value(RegistryRoot::LocalMachine, "software\\run", "quorlan") == "m");

    registry.RefuseChanges(RegistryRoot::LocalMachine, "Software\\Run");
    auto key = registry.OpenOrCreate(RegistryRoot::LocalMachine, "Software\\Run");
    REQUIRE(key);
    CHECK(key->ValueExists("Quorlan"));
    CHECK_FALSE(key->SetString("Quorlan", "other"));
    CHECK_FALSE(key->DeleteValue("Quorlan"));
    CHECK(registry.Value(RegistryRoot::LocalMachine, "Software\\Run", "Quorlan") == "m");
}

}  // namespace
}  // namespace ql::test
