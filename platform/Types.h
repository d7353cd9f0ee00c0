#pragma once
// Opaque integer handles that the portable logic uses in place of the OS's own.
#include <cstdint>

namespace ql {

using WindowId = std::uintptr_t;   // a window; 0 = none
using HookId = std::uintptr_t;     // an installed windows hook; 0 = none
using ProcAddress = std::uintptr_t;  // an exported procedure; 0 = none
using ProcessId = std::uint32_t;
using ThreadId = std::uint32_t;
using MessageWord = std::uintptr_t;  // a message's wParam
using MessageLong = std::intptr_t;   // a message's lParam / result

}  // namespace ql
