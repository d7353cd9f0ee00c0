#include "platform/win32/MachineName.h"

#include <windows.h>

namespace ql::win32 {

std::string MachineName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD length = sizeof name;
    if (!::GetComputerNameA(name, &length) || length >= sizeof name) return {};
    return std::string(name, length);
}

}  // namespace ql::win32
