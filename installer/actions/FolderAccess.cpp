#include "installer/actions/FolderAccess.h"

#include <aclapi.h>

namespace ql::installer {

namespace {

constexpr DWORD kModify = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
constexpr DWORD kCreateFiles = FILE_ADD_FILE | FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;

// A well-known group's SID in a buffer of its own.
class WellKnownSid {
public:
    explicit WellKnownSid(WELL_KNOWN_SID_TYPE type) {
        DWORD size = sizeof m_buffer;
        m_valid = CreateWellKnownSid(type, nullptr, m_buffer, &size) != FALSE;
    }
    bool Valid() const { return m_valid; }
    PSID Get() { return m_buffer; }

private:
    BYTE m_buffer[SECURITY_MAX_SID_SIZE] = {};
    bool m_valid = false;
};

EXPLICIT_ACCESSA Grant(PSID sid, DWORD rights, DWORD inheritance) {
    EXPLICIT_ACCESSA entry = {};
    entry.grfAccessPermissions = rights;
    entry.grfAccessMode = GRANT_ACCESS;
    entry.grfInheritance = inheritance;
    entry.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    entry.Trustee.TrusteeType = TRUSTEE_IS_GROUP;
    entry.Trustee.ptstrName = static_cast<LPSTR>(sid);
    return entry;
}

DWORD Merge(std::vector<EXPLICIT_ACCESSA> entries, PACL present, LocalAcl& dacl) {
    return SetEntriesInAclA(static_cast<ULONG>(entries.size()), entries.data(), present, dacl.Put());
}

// Makes a DACL from path's present one and sets it.
template <typename Make>
DWORD Extend(const std::string& path, Make make) {
    PACL present = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    DWORD error = GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                        &present, nullptr, &descriptor);
    if (error != ERROR_SUCCESS) return error;
    LocalAcl dacl;
    error = make(present, dacl);
    LocalFree(descriptor);
    if (error != ERROR_SUCCESS) return error;
    return SetNamedSecurityInfoA(const_cast<LPSTR>(path.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                 nullptr, dacl.Get(), nullptr);
}

}  // namespace

DWORD MakeWorkingFolderDacl(PACL present, LocalAcl& dacl) {
    WellKnownSid users(WinBuiltinUsersSid);
    if (!users.Valid()) return GetLastError();
    return Merge({Grant(users.Get(), kCreateFiles, NO_INHERITANCE),
                  Grant(users.Get(), kModify, SUB_OBJECTS_ONLY_INHERIT | INHERIT_ONLY | INHERIT_NO_PROPAGATE)},
                 present, dacl);
}

DWORD MakeUserFileDacl(PACL present, LocalAcl& dacl) {
    WellKnownSid users(WinBuiltinUsersSid);
    if (!users.Valid()) return GetLastError();
    return Merge({Grant(users.Get(), kModify, NO_INHERITANCE)}, present, dacl);
}

DWORD MakeShortcutDacl(LocalAcl& dacl) {
    WellKnownSid administrators(WinBuiltinAdministratorsSid);
    WellKnownSid system(WinLocalSystemSid);
    WellKnownSid users(WinBuiltinUsersSid);
    if (!administrators.Valid() || !system.Valid() || !users.Valid()) return GetLastError();
    return Merge({Grant(administrators.Get(), GENERIC_ALL, NO_INHERITANCE), Grant(system.Get(), GENERIC_ALL, NO_INHERITANCE),
                  Grant(users.Get(), FILE_GENERIC_READ | FILE_GENERIC_EXECUTE, NO_INHERITANCE)},
                 nullptr, dacl);
}

DWORD LetUsersWriteFilesIn(const std::string& folder, const std::vector<std::string>& files) {
    DWORD error = Extend(folder, MakeWorkingFolderDacl);
    for (const auto& file : files) {
        if (error != ERROR_SUCCESS) break;
        error = Extend(file, MakeUserFileDacl);
    }
    return error;
}

DWORD LetOnlyAdministratorsWrite(const std::string& path) {
    LocalAcl dacl;
    const DWORD error = MakeShortcutDacl(dacl);
    if (error != ERROR_SUCCESS) return error;
    return SetNamedSecurityInfoA(const_cast<LPSTR>(path.c_str()), SE_FILE_OBJECT,
                                 DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr,
                                 dacl.Get(), nullptr);
}

}  // namespace ql::installer
