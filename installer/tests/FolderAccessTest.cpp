// The access rights the package sets in the working folder, made by the
// real security services, and the names it refuses to write through. Wine neither keeps nor enforces rights on files,
// so the DACLs are checked as they are made, entry by entry.
#include <doctest/doctest.h>

#include <windows.h>

#include <aclapi.h>

#include <vector>

#include "installer/actions/FolderAccess.h"

using namespace ql::installer;

namespace {

constexpr ACCESS_MASK kChanges = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_ATTRIBUTES | FILE_WRITE_EA | DELETE |
                                 WRITE_DAC | WRITE_OWNER | GENERIC_WRITE | GENERIC_ALL;

struct Sid {
    explicit Sid(WELL_KNOWN_SID_TYPE type) {
        DWORD size = sizeof buffer;
        REQUIRE(CreateWellKnownSid(type, nullptr, buffer, &size));
    }
    BYTE buffer[SECURITY_MAX_SID_SIZE] = {};
};

struct Entry {
    BYTE flags;
    ACCESS_MASK mask;
};

// The allowing entries of acl for one group.
std::vector<Entry> AllowedFor(PACL acl, WELL_KNOWN_SID_TYPE group) {
    Sid sid(group);
    std::vector<Entry> entries;
    for (DWORD i = 0; acl != nullptr && i < acl->AceCount; ++i) {
        void* ace = nullptr;
        REQUIRE(GetAce(acl, i, &ace));
        auto* allowed = static_cast<ACCESS_ALLOWED_ACE*>(ace);
        if (allowed->Header.AceType == ACCESS_ALLOWED_ACE_TYPE && EqualSid(&allowed->SidStart, sid.buffer))
            entries.push_back({allowed->Header.AceFlags, allowed->Mask});
    }
    return entries;
}

}  // namespace

TEST_CASE("in the working folder users create files and change only files made directly in it; nothing else holds") {
    LocalAcl folder;
    REQUIRE(MakeWorkingFolderDacl(folder) == ERROR_SUCCESS);
    // Made afresh: whoever made the folder first keeps no entry of theirs.
    for (auto group : {WinBuiltinAdministratorsSid, WinLocalSystemSid}) {
        const auto entries = AllowedFor(folder.Get(), group);
        REQUIRE(entries.size() == 1);
        CHECK(entries[0].flags == (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE));
        CHECK((entries[0].mask & FILE_ALL_ACCESS) == FILE_ALL_ACCESS);
    }

    const auto users = AllowedFor(folder.Get(), WinBuiltinUsersSid);
    REQUIRE(users.size() == 3);
    for (const auto& entry : users) {
        CHECK((entry.mask & (FILE_DELETE_CHILD | WRITE_DAC | WRITE_OWNER)) == 0);
        if ((entry.flags & INHERIT_ONLY_ACE) == 0) CHECK((entry.mask & FILE_ADD_SUBDIRECTORY) == 0);
        if (entry.flags == (OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE)) {
            // Everything in it, Resource\ and its icons too: read and run only.
            CHECK((entry.mask & (FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE)) == 0);
        } else if ((entry.flags & INHERIT_ONLY_ACE) == 0) {
            // On the folder itself: create files, list, read; no subfolders,
            // no deleting of others' files, no changing of its rights.
            CHECK(entry.flags == 0);
            CHECK((entry.mask & FILE_ADD_FILE) != 0);
            CHECK((entry.mask & DELETE) == 0);
        } else {
            // Files directly in the folder only: not Resource\ and its icons.
            CHECK(entry.flags == (OBJECT_INHERIT_ACE | INHERIT_ONLY_ACE | NO_PROPAGATE_INHERIT_ACE));
            CHECK((entry.mask & (FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE)) == (FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE));
        }
    }
    CHECK(folder.Get()->AceCount == 5);
}

TEST_CASE("objects are seen as they are, links not followed: folder, file, second name, link") {
    Win32PackageFiles files;
    const auto kindOf = [&files](const std::string& path) { return files.Inspect(path).kind; };
    char temp[MAX_PATH] = "";
    REQUIRE(GetTempPathA(sizeof temp, temp) > 0);
    const std::string folder = std::string(temp) + "QuorlanFolderAccess" + std::to_string(GetCurrentProcessId());
    REQUIRE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string file = folder + "\\Quorlan.ini";
    const std::string secondName = folder + "\\Quorlan.exe.Log";

    CHECK(kindOf(folder) == FoundKind::Folder);
    CHECK(kindOf(folder + "\\missing") == FoundKind::Missing);
    CHECK(kindOf(file) == FoundKind::Missing);
    HANDLE made = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE(made != INVALID_HANDLE_VALUE);
    CloseHandle(made);
    CHECK(kindOf(file) == FoundKind::File);
    CHECK(files.Inspect(file).links == 1);
    CHECK(files.Children(folder) == std::vector<std::string>{"Quorlan.ini"});
    if (CreateHardLinkA(secondName.c_str(), file.c_str(), nullptr)) {
        CHECK(files.Inspect(secondName).links == 2);
        CHECK(files.Inspect(file).links == 2);
        DeleteFileA(secondName.c_str());
    } else {
        MESSAGE("no hard links here: that case is not checked");
    }
    const std::string link = folder + "Link";
    // (Wine's CreateSymbolicLink reports success and makes nothing.)
    if (CreateSymbolicLinkA(link.c_str(), folder.c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) &&
        GetFileAttributesA(link.c_str()) != INVALID_FILE_ATTRIBUTES) {
        CHECK(kindOf(link) == FoundKind::Link);
        RemoveDirectoryA(link.c_str());
    } else {
        MESSAGE("no symbolic links here: that case is not checked");
    }
    DeleteFileA(file.c_str());
    RemoveDirectoryA(folder.c_str());
}

TEST_CASE("users may change the settings file and the log but not their rights") {
    LocalAcl file;
    REQUIRE(MakeUserFileDacl(nullptr, file) == ERROR_SUCCESS);
    const auto users = AllowedFor(file.Get(), WinBuiltinUsersSid);
    REQUIRE(users.size() == 1);
    CHECK(users[0].flags == 0);
    CHECK((users[0].mask & (FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE)) == (FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE));
    CHECK((users[0].mask & (WRITE_DAC | WRITE_OWNER)) == 0);
}

TEST_CASE("the start-up shortcut is read and run by users and changed only by administrators and the system") {
    LocalAcl shortcut;
    REQUIRE(MakeShortcutDacl(shortcut) == ERROR_SUCCESS);
    const auto users = AllowedFor(shortcut.Get(), WinBuiltinUsersSid);
    REQUIRE(users.size() == 1);
    CHECK((users[0].mask & (FILE_READ_DATA | FILE_EXECUTE)) == (FILE_READ_DATA | FILE_EXECUTE));
    CHECK((users[0].mask & kChanges) == 0);
    for (auto group : {WinBuiltinAdministratorsSid, WinLocalSystemSid}) {
        const auto entries = AllowedFor(shortcut.Get(), group);
        REQUIRE(entries.size() == 1);
        CHECK((entries[0].mask & GENERIC_ALL) != 0);
    }
    // Nothing else: no entry for everyone or authenticated users.
    CHECK(shortcut.Get()->AceCount == 3);
}

TEST_CASE("a folder moved aside keeps all it holds; the new one is made in its place, and only where nothing is") {
    char temp[MAX_PATH] = "";
    REQUIRE(GetTempPathA(sizeof temp, temp) > 0);
    const std::string folder = std::string(temp) + "QuorlanFreshFolder" + std::to_string(GetCurrentProcessId());
    const std::string aside = folder + ".moved-1";
    REQUIRE(CreateDirectoryA(folder.c_str(), nullptr));
    const std::string usersFile = folder + "\\Quorlan.lnk";
    HANDLE made = CreateFileA(usersFile.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    REQUIRE(made != INVALID_HANDLE_VALUE);
    CloseHandle(made);

    Win32PackageFiles files;
    FolderSteps steps;
    CHECK(steps.CarryOut({Action::MoveAside, folder, files.Inspect(folder), aside}) == ERROR_SUCCESS);
    CHECK(files.Inspect(aside + "\\Quorlan.lnk").kind == FoundKind::File);
    CHECK(files.Inspect(folder).kind == FoundKind::Missing);
    CHECK(steps.CarryOut({Action::MakeWorkingFolder, folder, Found{}}) == ERROR_SUCCESS);
    CHECK(files.Inspect(folder).kind == FoundKind::Folder);
    CHECK(files.Children(folder).empty());
    // Something made under that name meanwhile is never taken for the new folder.
    CHECK(steps.CarryOut({Action::MakeFolder, folder, Found{}}) == ERROR_ALREADY_EXISTS);

    DeleteFileA((aside + "\\Quorlan.lnk").c_str());
    RemoveDirectoryA(aside.c_str());
    RemoveDirectoryA(folder.c_str());
}
