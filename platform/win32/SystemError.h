#pragma once
// A failure told to a person, with the system's code of what went wrong.
#include <windows.h>

#include <stdexcept>
#include <string>

namespace ql::win32 {

// Call right after the failing call, before anything else sets the last error.
inline std::runtime_error SystemError(const std::string& text) {
    return std::runtime_error(text + " (Windows error " + std::to_string(::GetLastError()) + ")");
}

}  // namespace ql::win32
