#pragma once
// A hook library that exports what a test tells it to, and remembers every
// hook installed and removed.
#include <set>
#include <string>
#include <vector>

#include "platform/HookLibrary.h"

namespace ql::test {

struct InstalledHook {
    HookId id;
    int kind;
    ProcAddress procedure;
    ThreadId thread;
};

class FakeHookLibrary final : public HookLibrary {
public:
    bool loadable = true;
    std::set<std::string> exports{"_InterceptaR", "_InterceptaT", "_InterceptaM"};
    bool failInstall = false;
    int failInstallKind = -1;  // installing hooks of this kind fails
    bool failUnhook = false;
    // The system's codes for a module or a procedure not found.
    static constexpr std::uint32_t kModuleNotFound = 126;
    static constexpr std::uint32_t kProcedureNotFound = 127;
    HookRefusal refusal = HookRefusal::AccessDenied;  // the reason a failed Install gives

    bool loaded = false;
    bool released = false;
    std::vector<std::string> resolved;  // names asked for, in order
    std::vector<InstalledHook> installed;
    std::vector<HookId> unhooked;       // removal attempts, in order

    bool Load(const char* fileName) override;
    ProcAddress Resolve(const char* exportName) override;
    HookId Install(int hookKind, ProcAddress procedure, ThreadId thread) override;
    bool Unhook(HookId hook) override;
    HookRefusal InstallRefusal() const override { return refusal; }
    std::uint32_t LoadError() const override { return m_loadError; }
    void Release() override;

    // Address the fake gives an export, so tests can tell procedures apart.
    static ProcAddress AddressOf(const std::string& exportName);

private:
    HookId m_nextHook = 0x500;
    std::uint32_t m_loadError = 0;
};

// A 64-bit companion host that starts, answers, refuses or ends as a test
// tells it to, and remembers every hook it placed and removed.
class FakeCompanionHost final : public CompanionHost {
public:
    bool startable = true;      // false: its files are missing
    bool answers = true;        // false: it starts but never answers
    bool running = false;
    int starts = 0;
    // Calls of EnsureRunning after a start that still find the host starting.
    int startingCalls = 0;
    std::vector<InstalledHook> installed;
    std::vector<HookId> unhooked;

    // The host process dies: its hooks go with it.
    void Die();

    HookRefusal EnsureRunning() override;
    bool Ended() override;
    HookId Install(int hookKind, ThreadId thread) override;
    bool Unhook(HookId hook) override;
    HookRefusal InstallRefusal() const override { return m_refusal; }

private:
    bool m_ended = false;
    int m_startingLeft = 0;
    HookRefusal m_refusal = HookRefusal::None;
    HookId m_nextHook = 0x900;
};

}  // namespace ql::test
