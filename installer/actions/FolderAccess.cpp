#include "installer/actions/FolderAccess.h"

#include <aclapi.h>

namespace ql::installer {

namespace {

constexpr DWORD kModify = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
constexpr DWORD kCreateFiles = FILE_ADD_FILE | FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;
constexpr DWORD kReadAndRun = FILE_GENERIC_READ | FILE_GENERIC_EXECUTE;

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

// Sets path's owner to the administrators and its DACL, inheriting nothing.
DWORD SetOwnedByAdministrators(const std::string& path, PACL dacl) {
    WellKnownSid administrators(WinBuiltinAdministratorsSid);
    if (!administrators.Valid()) return GetLastError();
    return SetNamedSecurityInfoA(const_cast<LPSTR>(path.c_str()), SE_FILE_OBJECT,
                                 OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION |
                                     PROTECTED_DACL_SECURITY_INFORMATION,
                                 administrators.Get(), nullptr, dacl, nullptr);
}

}  // namespace

DWORD MakeWorkingFolderDacl(LocalAcl& dacl) {
    WellKnownSid administrators(WinBuiltinAdministratorsSid);
    WellKnownSid system(WinLocalSystemSid);
    WellKnownSid users(WinBuiltinUsersSid);
    if (!administrators.Valid() || !system.Valid() || !users.Valid()) return GetLastError();
    return Merge({Grant(administrators.Get(), FILE_ALL_ACCESS, SUB_CONTAINERS_AND_OBJECTS_INHERIT),
                  Grant(system.Get(), FILE_ALL_ACCESS, SUB_CONTAINERS_AND_OBJECTS_INHERIT),
                  Grant(users.Get(), kReadAndRun, SUB_CONTAINERS_AND_OBJECTS_INHERIT),
                  Grant(users.Get(), kCreateFiles, NO_INHERITANCE),
                  Grant(users.Get(), kModify, SUB_OBJECTS_ONLY_INHERIT | INHERIT_ONLY | INHERIT_NO_PROPAGATE)},
                 nullptr, dacl);
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

bool IsPlainFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

bool IsPlainFileOrMissing(const std::string& path) {
    HANDLE opened = CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND;
    }
    BY_HANDLE_FILE_INFORMATION information = {};
    const bool known = GetFileInformationByHandle(opened, &information) != FALSE;
    CloseHandle(opened);
    return known && (information.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0 &&
           information.nNumberOfLinks == 1;
}

DWORD TakeWorkingFolder(const std::string& folder) {
    LocalAcl dacl;
    const DWORD error = MakeWorkingFolderDacl(dacl);
    if (error != ERROR_SUCCESS) return error;
    return SetOwnedByAdministrators(folder, dacl.Get());
}

DWORD LetUsersWrite(const std::vector<std::string>& files) {
    for (const auto& file : files) {
        const DWORD error = Extend(file, MakeUserFileDacl);
        if (error != ERROR_SUCCESS) return error;
    }
    return ERROR_SUCCESS;
}

DWORD LetOnlyAdministratorsWrite(const std::string& path) {
    LocalAcl dacl;
    const DWORD error = MakeShortcutDacl(dacl);
    if (error != ERROR_SUCCESS) return error;
    return SetOwnedByAdministrators(path, dacl.Get());
}

}  // namespace ql::installer
