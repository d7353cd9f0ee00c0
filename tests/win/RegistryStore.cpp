// The registry contract against the real registry, in a scratch key of the
// current user.
#include <doctest/doctest.h>

#include <memory>
#include <string>

#include "RegistryAccess.h"
#include "platform/win32/Win32Registry.h"
#include "tests/contract/RegistryContract.h"

namespace ql::test {
namespace {

constexpr const char* kScratchParent = "Software\\QuorlanContract";

class Win32RegistryFixture final : public RegistryFixture {
public:
    Win32RegistryFixture() : m_path(std::string(kScratchParent) + "\\" + std::to_string(GetCurrentProcessId())) {
        RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str());
    }
    ~Win32RegistryFixture() override {
        m_denial.reset();
        RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, m_path.c_str());
        RegDeleteKeyA(HKEY_CURRENT_USER, kScratchParent);
    }
    Registry& Store() override { return m_registry; }
    std::string ScratchKey() override { return m_path; }
    bool DenyFullAccess(const std::string& path) override {
        m_denial = std::make_unique<ScopedKeyDenial>(HKEY_CURRENT_USER, path);
        return m_denial->Enforced();
    }

private:
    win32::Win32Registry m_registry;
    std::string m_path;
    std::unique_ptr<ScopedKeyDenial> m_denial;
};

TEST_CASE("real registry keeps the registry contract") {
    Win32RegistryFixture fixture;
    CheckRegistryContract(fixture);
}

TEST_CASE("an emptied access-control list is enforced on the machine-wide Run key") {
    // The end-to-end greyed-box scenario relies on this.
    const char* run = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
    win32::Win32Registry registry;
    REQUIRE(registry.OpenOrCreate(RegistryRoot::LocalMachine, run));
    {
        ScopedKeyDenial denial(HKEY_LOCAL_MACHINE, run);
        CHECK(denial.Enforced());
        CHECK_FALSE(registry.OpenOrCreate(RegistryRoot::LocalMachine, run));
    }
    CHECK(registry.OpenOrCreate(RegistryRoot::LocalMachine, run));
}

}  // namespace
}  // namespace ql::test
