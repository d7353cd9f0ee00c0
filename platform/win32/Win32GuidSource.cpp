#include "platform/win32/Win32GuidSource.h"

#include <objbase.h>
#include <windows.h>

#include <cstring>

namespace ql::win32 {

bool Win32GuidSource::Generate(GuidValue& guid) {
    GUID made = {};
    if (CoCreateGuid(&made) != S_OK) return false;
    guid.data1 = made.Data1;
    guid.data2 = made.Data2;
    guid.data3 = made.Data3;
    std::memcpy(guid.data4, made.Data4, sizeof guid.data4);
    return true;
}

}  // namespace ql::win32
