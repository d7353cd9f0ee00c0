#pragma once
// The folder of the running program, where the files that ship beside it are.
#include <windows.h>

#include <string>

namespace ql::win32 {

// With its final backslash; empty when the path does not fit.
inline std::string ProgramFolder() {
    char path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return {};
    const std::string full(path, length);
    return full.substr(0, full.find_last_of("\\/") + 1);
}

}  // namespace ql::win32
