#pragma once
// The hook library through LoadLibraryA, GetProcAddress and SetWindowsHookExA.
#include "platform/HookLibrary.h"
#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

class Win32HookLibrary final : public HookLibrary {
public:
    bool Load(const char* fileName) override;
    ProcAddress Resolve(const char* exportName) override;
    HookId Install(int hookKind, ProcAddress procedure, ThreadId thread) override;
    bool Unhook(HookId hook) override;
    HookRefusal InstallRefusal() const override { return m_refusal; }
    std::uint32_t LoadError() const override { return m_loadError; }
    void Release() override { m_module.reset(); }

    // What a system error code from SetWindowsHookExA says about the hook.
    static HookRefusal RefusalOf(unsigned long error);

private:
    UniqueModule m_module;
    HookRefusal m_refusal = HookRefusal::None;
    std::uint32_t m_loadError = 0;
};

}  // namespace ql::win32
