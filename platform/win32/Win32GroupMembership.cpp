#include "platform/win32/Win32GroupMembership.h"

#include <windows.h>
#include <sddl.h>

namespace ql::win32 {

namespace {

// A SID in its text form is converted; any other text is looked up as an
// account name. Empty when neither names a group.
bool SidOf(const char* group, BYTE (&sid)[SECURITY_MAX_SID_SIZE]) {
    if ((group[0] == 'S' || group[0] == 's') && group[1] == '-') {
        PSID converted = nullptr;
        if (!::ConvertStringSidToSidA(group, &converted)) return false;
        const BOOL copied = ::CopySid(sizeof sid, sid, converted);
        ::LocalFree(converted);
        return copied != FALSE;
    }
    DWORD sidSize = sizeof sid;
    char domain[256];
    DWORD domainSize = sizeof domain;
    SID_NAME_USE use = SidTypeUnknown;
    return ::LookupAccountNameA(nullptr, group, sid, &sidSize, domain, &domainSize, &use) != FALSE;
}

}  // namespace

Membership Win32GroupMembership::Of(const char* group) {
    alignas(SID) BYTE sid[SECURITY_MAX_SID_SIZE] = {};
    if (group == nullptr || group[0] == '\0' || !SidOf(group, sid)) return Membership::UnknownGroup;
    BOOL member = FALSE;
    // A null token: this thread's (impersonation) or this process's.
    if (!::CheckTokenMembership(nullptr, sid, &member)) return Membership::UnknownGroup;
    return member ? Membership::Member : Membership::NotMember;
}

}  // namespace ql::win32
