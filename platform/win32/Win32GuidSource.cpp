#include "platform/win32/Win32GuidSource.h"

#include <windows.h>

#include <ntsecapi.h>

#include <cstdint>
#include <cstring>

namespace ql::win32 {

// A random id of version 4, as CoCreateGuid makes it, from the system's
// random numbers: the COM library, with the two it brings along, would hold
// about 2 MiB of the process's memory for all its life (they keep each other
// loaded), for an id made once in the program's life at most.
bool Win32GuidSource::Generate(GuidValue& guid) {
    unsigned char random[16] = {};
    if (!RtlGenRandom(random, sizeof random)) return false;
    std::memcpy(&guid.data1, random, sizeof guid.data1);
    std::memcpy(&guid.data2, random + 4, sizeof guid.data2);
    std::memcpy(&guid.data3, random + 6, sizeof guid.data3);
    std::memcpy(guid.data4, random + 8, sizeof guid.data4);
    guid.data3 = static_cast<std::uint16_t>((guid.data3 & 0x0FFF) | 0x4000);  // version 4
    guid.data4[0] = static_cast<std::uint8_t>((guid.data4[0] & 0x3F) | 0x80);  // the standard variant
    return true;
}

}  // namespace ql::win32
