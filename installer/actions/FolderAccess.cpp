#include "installer/actions/FolderAccess.h"

#include <aclapi.h>

#include "platform/win32/Ownership.h"
#include "settings/Setup.h"

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

// Full access for the administrators and the system, with the given
// inheritance, and what the users get besides.
DWORD MakeAdministeredDacl(DWORD inheritance, std::vector<EXPLICIT_ACCESSA> (*forUsers)(PSID users),
                           LocalAcl& dacl) {
    WellKnownSid administrators(WinBuiltinAdministratorsSid);
    WellKnownSid system(WinLocalSystemSid);
    WellKnownSid users(WinBuiltinUsersSid);
    if (!administrators.Valid() || !system.Valid() || !users.Valid()) return GetLastError();
    std::vector<EXPLICIT_ACCESSA> entries{Grant(administrators.Get(), FILE_ALL_ACCESS, inheritance),
                                          Grant(system.Get(), FILE_ALL_ACCESS, inheritance)};
    for (const EXPLICIT_ACCESSA& entry : forUsers(users.Get())) entries.push_back(entry);
    return Merge(std::move(entries), nullptr, dacl);
}

}  // namespace

DWORD MakeWorkingFolderDacl(LocalAcl& dacl) {
    return MakeAdministeredDacl(SUB_CONTAINERS_AND_OBJECTS_INHERIT, [](PSID users) {
        return std::vector<EXPLICIT_ACCESSA>{
            Grant(users, kReadAndRun, SUB_CONTAINERS_AND_OBJECTS_INHERIT), Grant(users, kCreateFiles, NO_INHERITANCE),
            Grant(users, kModify, SUB_OBJECTS_ONLY_INHERIT | INHERIT_ONLY | INHERIT_NO_PROPAGATE)};
    }, dacl);
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

namespace {

constexpr DWORD kOpenWithoutFollowing = FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS;
// Others may read and write, but not delete or rename, while a handle is held.
constexpr DWORD kShareButDeletion = FILE_SHARE_READ | FILE_SHARE_WRITE;
constexpr DWORD kSecurityAccess = READ_CONTROL | WRITE_OWNER | WRITE_DAC | FILE_READ_ATTRIBUTES;
constexpr DWORD kLongestShortcut = 64 * 1024;

Found Describe(HANDLE object) {
    BY_HANDLE_FILE_INFORMATION information = {};
    Found found;
    if (!GetFileInformationByHandle(object, &information)) return found;
    if ((information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
        found.kind = FoundKind::Link;
    } else if ((information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        found.kind = FoundKind::Folder;
    } else {
        found.kind = FoundKind::File;
        found.links = information.nNumberOfLinks;
    }
    return found;
}

bool Same(const Found& a, const Found& b) { return a.kind == b.kind && a.links == b.links; }

// Kept, renamed, with all it holds; whatever now has the name is moved, so
// a swap since the plan was made moves the swapped object instead.
DWORD MoveAside(const Step& step) {
    return MoveFileExA(step.path.c_str(), step.movedTo.c_str(), 0) ? ERROR_SUCCESS : GetLastError();
}

// A new folder whose owner and rights are set as it is made: nobody else
// ever holds a handle to it. Fails when anything has the name meanwhile.
template <typename Make>
DWORD MakeFolderWith(const std::string& path, Make make) {
    WellKnownSid administrators(WinBuiltinAdministratorsSid);
    if (!administrators.Valid()) return GetLastError();
    LocalAcl dacl;
    DWORD error = make(dacl);
    if (error != ERROR_SUCCESS) return error;
    SECURITY_DESCRIPTOR descriptor;
    if (!InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION) ||
        !SetSecurityDescriptorOwner(&descriptor, administrators.Get(), FALSE) ||
        !SetSecurityDescriptorDacl(&descriptor, TRUE, dacl.Get(), FALSE) ||
        !SetSecurityDescriptorControl(&descriptor, SE_DACL_PROTECTED, SE_DACL_PROTECTED)) {
        return GetLastError();
    }
    SECURITY_ATTRIBUTES attributes{sizeof attributes, &descriptor, FALSE};
    return CreateDirectoryA(path.c_str(), &attributes) ? ERROR_SUCCESS : GetLastError();
}

win32::UniqueFileHandle OpenWithoutFollowing(const std::string& path, DWORD access, DWORD share) {
    return win32::UniqueFileHandle(
        CreateFileA(path.c_str(), access, share, nullptr, OPEN_EXISTING, kOpenWithoutFollowing, nullptr));
}

// Owner: the administrators; DACL: the one given, inheriting nothing.
DWORD SetOwnedByAdministrators(HANDLE object, PACL dacl) {
    WellKnownSid administrators(WinBuiltinAdministratorsSid);
    if (!administrators.Valid()) return GetLastError();
    return SetSecurityInfo(object, SE_FILE_OBJECT,
                           OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                           administrators.Get(), nullptr, dacl, nullptr);
}

template <typename Make>
DWORD TakeWith(HANDLE object, Make make) {
    LocalAcl dacl;
    const DWORD error = make(dacl);
    return error != ERROR_SUCCESS ? error : SetOwnedByAdministrators(object, dacl.Get());
}

DWORD MakeResourceFolderDacl(LocalAcl& dacl) {
    return MakeAdministeredDacl(SUB_CONTAINERS_AND_OBJECTS_INHERIT, [](PSID users) {
        return std::vector<EXPLICIT_ACCESSA>{Grant(users, kReadAndRun, SUB_CONTAINERS_AND_OBJECTS_INHERIT)};
    }, dacl);
}

DWORD MakeOwnUserFileDacl(LocalAcl& dacl) {
    return MakeAdministeredDacl(NO_INHERITANCE, [](PSID users) {
        return std::vector<EXPLICIT_ACCESSA>{Grant(users, kModify, NO_INHERITANCE)};
    }, dacl);
}

bool IsSettingsFile(const std::string& path) {
    const std::string name = std::string("\\") + kIniFileName;
    return path.size() >= name.size() && _stricmp(path.c_str() + path.size() - name.size(), name.c_str()) == 0;
}

// Removes the name: a link itself (not what it leads to), or one name of a
// file with others (the other names keep the file).
DWORD RemoveName(const std::string& path, const Found& found) {
    // A junction or a link to a folder goes as a folder does, a link to a file as a file.
    if (found.kind == FoundKind::Link && RemoveDirectoryA(path.c_str())) return ERROR_SUCCESS;
    return DeleteFileA(path.c_str()) ? ERROR_SUCCESS : GetLastError();
}

// The shortcut's bytes, read through a handle opened without following links.
DWORD ReadShortcut(const std::string& path, const Found& expected, std::string& content) {
    auto file = OpenWithoutFollowing(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (!file) return GetLastError();
    if (!Same(Describe(file.get()), expected)) return ERROR_INVALID_DATA;
    const DWORD size = GetFileSize(file.get(), nullptr);
    if (size == INVALID_FILE_SIZE || size > kLongestShortcut) return ERROR_INVALID_DATA;
    content.resize(size);
    DWORD read = 0;
    if (size > 0 && (!ReadFile(file.get(), content.data(), size, &read, nullptr) || read != size)) return ERROR_READ_FAULT;
    return ERROR_SUCCESS;
}

// A new shortcut file in place of the old one, which a user may hold open:
// the old name is moved aside and removed, the new file made with no sharing
// and protected before anyone else can open it.
DWORD RecreateShortcut(const Step& step) {
    std::string content;
    DWORD error = ReadShortcut(step.path, step.expected, content);
    if (error != ERROR_SUCCESS) return error;
    const std::string aside = step.path + ".replaced-" + std::to_string(GetTickCount());
    if (!MoveFileExA(step.path.c_str(), aside.c_str(), 0)) return GetLastError();
    DeleteFileA(aside.c_str());  // gone once its last handle closes
    win32::UniqueFileHandle made(CreateFileA(step.path.c_str(), GENERIC_WRITE | kSecurityAccess, 0, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!made) return GetLastError();
    error = TakeWith(made.get(), MakeShortcutDacl);
    if (error != ERROR_SUCCESS) return error;
    DWORD written = 0;
    if (!content.empty() && (!WriteFile(made.get(), content.data(), static_cast<DWORD>(content.size()), &written, nullptr) ||
                             written != content.size())) {
        return ERROR_WRITE_FAULT;
    }
    return ERROR_SUCCESS;
}

}  // namespace

Found Win32PackageFiles::Inspect(const std::string& path) {
    auto object = OpenWithoutFollowing(path, FILE_READ_ATTRIBUTES | READ_CONTROL,
                                       FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (!object) {
        // Anything that exists but cannot be looked at is no plain object.
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Found{} : Found{FoundKind::Link, 1};
    }
    Found found = Describe(object.get());
    // The installation runs as the system, or as the administrator who
    // started it: what that account made is theirs as well.
    found.administered =
        win32::OwnedByAdministrators(object.get(), SE_FILE_OBJECT, win32::TrustedOwners::AdministratorsOrUs);
    return found;
}

std::vector<std::string> Win32PackageFiles::Children(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry = {};
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

DWORD FolderSteps::CarryOut(const Step& step) {
    switch (step.action) {
    case Action::Refuse: return ERROR_INVALID_DATA;
    case Action::MoveAside: return MoveAside(step);
    case Action::MakeWorkingFolder: return MakeFolderWith(step.path, MakeWorkingFolderDacl);
    case Action::MakeFolder: return MakeFolderWith(step.path, MakeResourceFolderDacl);
    case Action::RecreateShortcut: return RecreateShortcut(step);
    case Action::CreateUserFile: return MakeUserFile(step.path);
    case Action::ReplaceUserFile: {
        const DWORD error = RemoveName(step.path, step.expected);
        return error != ERROR_SUCCESS ? error : MakeUserFile(step.path);
    }
    case Action::TakeWorkingFolder:
    case Action::TakeFolder:
    case Action::TakeFile:
    case Action::TakeUserFile: break;
    }
    auto object = OpenWithoutFollowing(step.path, kSecurityAccess, kShareButDeletion);
    if (!object) return GetLastError();
    // Swapped since the plan was made: nothing is changed.
    if (!Same(Describe(object.get()), step.expected)) return ERROR_INVALID_DATA;
    DWORD error = ERROR_SUCCESS;
    if (step.action == Action::TakeWorkingFolder) {
        error = TakeWith(object.get(), MakeWorkingFolderDacl);
    } else if (step.action == Action::TakeFolder) {
        error = TakeWith(object.get(), MakeResourceFolderDacl);
    } else if (step.action == Action::TakeFile) {
        error = TakeWith(object.get(), MakeShortcutDacl);
    } else {
        error = TakeWith(object.get(), MakeOwnUserFileDacl);
        if (error == ERROR_SUCCESS) Pin(step.path, std::move(object));
    }
    return error;
}

void FolderSteps::Pin(const std::string& path, win32::UniqueFileHandle handle) {
    if (IsSettingsFile(path)) m_settingsFile = handle.get();
    m_pinned.push_back(std::move(handle));
}

DWORD FolderSteps::LockSettingsFile(bool locked) {
    if (m_settingsFile == nullptr) return ERROR_NOT_FOUND;
    return locked ? TakeWith(m_settingsFile, MakeShortcutDacl) : TakeWith(m_settingsFile, MakeOwnUserFileDacl);
}

DWORD FolderSteps::MakeUserFile(const std::string& path) {
    win32::UniqueFileHandle made(CreateFileA(path.c_str(), GENERIC_WRITE | kSecurityAccess, kShareButDeletion, nullptr,
                                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!made) return GetLastError();
    const DWORD error = TakeWith(made.get(), MakeOwnUserFileDacl);
    if (error != ERROR_SUCCESS) return error;
    if (IsSettingsFile(path)) m_settingsFileMade = true;
    Pin(path, std::move(made));
    return ERROR_SUCCESS;
}

}  // namespace ql::installer
