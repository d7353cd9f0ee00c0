#include "FakeHookLibrary.h"

#include <functional>
#include <utility>

namespace ql::test {

bool FakeHookLibrary::Load(const char* fileName) {
    loaded = loadable && std::string(fileName) == "QL_lib.dll";
    if (!loaded) m_loadError = kModuleNotFound;
    return loaded;
}

ProcAddress FakeHookLibrary::AddressOf(const std::string& exportName) {
    return 0x7000 + std::hash<std::string>{}(exportName) % 0x1000;
}

ProcAddress FakeHookLibrary::Resolve(const char* exportName) {
    resolved.push_back(exportName);
    if (loaded && exports.count(exportName) != 0) return AddressOf(exportName);
    m_loadError = kProcedureNotFound;
    return 0;
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

void FakeCompanionHost::Die() {
    if (!running) return;
    running = false;
    m_ended = true;
    installed.clear();
}

HookRefusal FakeCompanionHost::EnsureRunning() {
    if (!running) {
        if (!startable) return HookRefusal::NoCompanion;
        running = true;
        ++starts;
        m_startingLeft = startingCalls;
    }
    if (m_startingLeft > 0) {
        --m_startingLeft;
        return HookRefusal::CompanionStarting;
    }
    return HookRefusal::None;
}

bool FakeCompanionHost::Ended() { return std::exchange(m_ended, false); }

HookId FakeCompanionHost::Install(int hookKind, ThreadId thread) {
    m_refusal = !running ? HookRefusal::NoCompanion : !answers ? HookRefusal::CompanionSilent : HookRefusal::None;
    if (m_refusal != HookRefusal::None) return 0;
    installed.push_back({++m_nextHook, hookKind, 0, thread});
    return m_nextHook;
}

bool FakeCompanionHost::Unhook(HookId hook) {
    unhooked.push_back(hook);
    return running;
}

}  // namespace ql::test
