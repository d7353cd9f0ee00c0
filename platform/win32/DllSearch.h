#pragma once
// Libraries loaded by name come from the system folder only, never from the
// current directory (the working folder, where every user may create files)
// nor from the search path. Looked up at run time: systems without the
// function start all the same.
#include <windows.h>

namespace ql::win32 {

inline void RestrictDllSearchToSystem() {
    using SetDirectories = BOOL(WINAPI*)(DWORD);
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    const auto set = kernel != nullptr ? reinterpret_cast<SetDirectories>(reinterpret_cast<void*>(
                                             ::GetProcAddress(kernel, "SetDefaultDllDirectories")))
                                       : nullptr;
    constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
    if (set != nullptr) set(kSearchSystem32);
}

}  // namespace ql::win32
