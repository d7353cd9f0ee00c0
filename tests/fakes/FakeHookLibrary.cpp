#include "FakeHookLibrary.h"

#include <functional>

namespace ql::test {

bool FakeHookLibrary::Load(const char* fileName) {
    loaded = loadable && std::string(fileName) == "QL_lib.dll";
    return loaded;
}

ProcAddress FakeHookLibrary::AddressOf(const std::string& exportName) {
    return 0x7000 + std::hash<std::string>{}(exportName) % 0x1000;
}

ProcAddress FakeHookLibrary::Resolve(const char* exportName) {
    resolved.push_back(exportName);
    return loaded && exports.count(exportName) != 0 ? AddressOf(exportName) : 0;
}

HookId FakeHookLibrary::Install(int hookKind, ProcAddress procedure, ThreadId thread) {
    if (failInstall || hookKind == failInstallKind || !loaded || procedure == 0 || thread == 0) return 0;
    installed.push_back({++m_nextHook, hookKind, procedure, thread});
    return m_nextHook;
}

bool FakeHookLibrary::Unhook(HookId hook) {
    unhooked.push_back(hook);
    return !failUnhook && hook != 0;
}

void FakeHookLibrary::Release() { released = loaded; loaded = false; }

}  // namespace ql::test
