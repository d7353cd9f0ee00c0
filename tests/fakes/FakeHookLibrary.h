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

    bool loaded = false;
    bool released = false;
    std::vector<std::string> resolved;  // names asked for, in order
    std::vector<InstalledHook> installed;
    std::vector<HookId> unhooked;       // removal attempts, in order

    bool Load(const char* fileName) override;
    ProcAddress Resolve(const char* exportName) override;
    HookId Install(int hookKind, ProcAddress procedure, ThreadId thread) override;
    bool Unhook(HookId hook) override;
    void Release() override;

    // Address the fake gives an export, so tests can tell procedures apart.
    static ProcAddress AddressOf(const std::string& exportName);

private:
    HookId m_nextHook = 0x500;
};

}  // namespace ql::test
