#pragma once
// This computer's name, as the usage record names the machine.
#include <string>

namespace ql::win32 {

// The NetBIOS name; empty when it cannot be read.
std::string MachineName();

}  // namespace ql::win32
