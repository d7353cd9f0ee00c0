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

// Sets path's DACL made of entries, merged into its present DACL unless
// protect asks for a DACL of its own.
DWORD SetDacl(const std::string& path, std::vector<EXPLICIT_ACCESSA> entries, bool protect) {
    PACL present = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!protect) {
        const DWORD error = GetNamedSecurityInfoA(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                                  nullptr, &present, nullptr, &descriptor);
        if (error != ERROR_SUCCESS) return error;
    }
    PACL merged = nullptr;
    DWORD error = SetEntriesInAclA(static_cast<ULONG>(entries.size()), entries.data(), present, &merged);
    if (error == ERROR_SUCCESS) {
        const SECURITY_INFORMATION what =
            DACL_SECURITY_INFORMATION | (protect ? PROTECTED_DACL_SECURITY_INFORMATION : 0);
        error = SetNamedSecurityInfoA(const_cast<LPSTR>(path.c_str()), SE_FILE_OBJECT, what, nullptr, nullptr, merged,
                                      nullptr);
    }
    if (merged != nullptr) LocalFree(merged);
    if (descriptor != nullptr) LocalFree(descriptor);
    return error;
}

}  // namespace

DWORD LetUsersWriteFilesIn(const std::string& folder, const std::vector<std::string>& files) {
    WellKnownSid users(WinBuiltinUsersSid);
    if (!users.Valid()) return GetLastError();
    DWORD error = SetDacl(folder,
                          {Grant(users.Get(), kCreateFiles, NO_INHERITANCE),
                           Grant(users.Get(), kModify, SUB_OBJECTS_ONLY_INHERIT | INHERIT_ONLY | INHERIT_NO_PROPAGATE)},
                          false);
    for (const auto& file : files) {
        if (error != ERROR_SUCCESS) break;
        error = SetDacl(file, {Grant(users.Get(), kModify, NO_INHERITANCE)}, false);
    }
    return error;
}

DWORD LetOnlyAdministratorsWrite(const std::string& path) {
    WellKnownSid administrators(WinBuiltinAdministratorsSid);
    WellKnownSid system(WinLocalSystemSid);
    WellKnownSid users(WinBuiltinUsersSid);
    if (!administrators.Valid() || !system.Valid() || !users.Valid()) return GetLastError();
    return SetDacl(path,
                   {Grant(administrators.Get(), GENERIC_ALL, NO_INHERITANCE), Grant(system.Get(), GENERIC_ALL, NO_INHERITANCE),
                    Grant(users.Get(), GENERIC_READ | GENERIC_EXECUTE, NO_INHERITANCE)},
                   true);
}

}  // namespace ql::installer
