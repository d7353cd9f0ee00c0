#include "platform/win32/Win32HookLibrary.h"

#include <string>

#include "platform/win32/ProgramFolder.h"

namespace ql::win32 {

// By the full path of the program's own folder: the working directory is
// the working folder, where every user may create files.
bool Win32HookLibrary::Load(const char* fileName) {
    const std::string folder = ProgramFolder();
    if (folder.empty()) {
        m_module.reset();
        m_loadError = ERROR_FILENAME_EXCED_RANGE;
        return false;
    }
    m_module.reset(::LoadLibraryA((folder + fileName).c_str()));
    if (!m_module) m_loadError = ::GetLastError();
    return static_cast<bool>(m_module);
}

ProcAddress Win32HookLibrary::Resolve(const char* exportName) {
    if (!m_module) return 0;
    const auto procedure = reinterpret_cast<ProcAddress>(::GetProcAddress(m_module.get(), exportName));
    if (procedure == 0) m_loadError = ::GetLastError();
    return procedure;
}

HookId Win32HookLibrary::Install(int hookKind, ProcAddress procedure, ThreadId thread) {
    // Thread 0 would make a global hook, mapping the library into every
    // program on the desktop.
    m_refusal = HookRefusal::Refused;
    if (!m_module || procedure == 0 || thread == 0) return 0;
    HHOOK hook = ::SetWindowsHookExA(hookKind, reinterpret_cast<HOOKPROC>(procedure), m_module.get(), thread);
    m_refusal = hook != nullptr ? HookRefusal::None : RefusalOf(::GetLastError());
    return reinterpret_cast<HookId>(hook);
}

HookRefusal Win32HookLibrary::RefusalOf(unsigned long error) {
    return error == ERROR_ACCESS_DENIED ? HookRefusal::AccessDenied : HookRefusal::Refused;
}

bool Win32HookLibrary::Unhook(HookId hook) {
    return hook != 0 && ::UnhookWindowsHookEx(reinterpret_cast<HHOOK>(hook)) != FALSE;
}

}  // namespace ql::win32
