#pragma once
// Who owns an object: an object the administrators or the system own was
// made or taken by them, never by a standard user.
#include <windows.h>

#include <aclapi.h>

namespace ql::win32 {

// Whether sid is the account this process runs under.
inline bool IsOwnAccount(PSID sid) {
    HANDLE token = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
    union {
        TOKEN_USER user;
        BYTE bytes[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
    } buffer{};
    DWORD size = 0;
    const bool own = ::GetTokenInformation(token, TokenUser, &buffer, sizeof buffer, &size) &&
                     ::EqualSid(buffer.user.User.Sid, sid);
    ::CloseHandle(token);
    return own;
}

enum class TrustedOwners {
    Administrators,     // the administrators or the system
    AdministratorsOrUs, // those, or the account this process runs under
};

// The handle needs READ_CONTROL.
inline bool OwnedByAdministrators(HANDLE object, SE_OBJECT_TYPE type,
                                  TrustedOwners trusted = TrustedOwners::Administrators) {
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(object, type, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr, &descriptor) !=
        ERROR_SUCCESS) {
        return false;
    }
    const bool administered =
        owner != nullptr &&
        (::IsWellKnownSid(owner, WinBuiltinAdministratorsSid) || ::IsWellKnownSid(owner, WinLocalSystemSid) ||
         (trusted == TrustedOwners::AdministratorsOrUs && IsOwnAccount(owner)));
    ::LocalFree(descriptor);
    return administered;
}

}  // namespace ql::win32
