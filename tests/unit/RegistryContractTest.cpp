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

}  // namespace
}  // namespace ql::test
