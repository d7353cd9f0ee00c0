// The access rights the package sets in the working folder, made by the
// real security services. Wine neither keeps nor enforces rights on files,
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

TEST_CASE("in the working folder users create files and change only files made directly in it") {
    // The folder's present rights are kept: here administrators' full control.
    LocalAcl present;
    {
        Sid administrators(WinBuiltinAdministratorsSid);
        EXPLICIT_ACCESSA full = {};
        full.grfAccessPermissions = GENERIC_ALL;
        full.grfAccessMode = GRANT_ACCESS;
        full.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
        full.Trustee.TrusteeForm = TRUSTEE_IS_SID;
        full.Trustee.ptstrName = reinterpret_cast<LPSTR>(administrators.buffer);
        REQUIRE(SetEntriesInAclA(1, &full, nullptr, present.Put()) == ERROR_SUCCESS);
    }
    LocalAcl folder;
    REQUIRE(MakeWorkingFolderDacl(present.Get(), folder) == ERROR_SUCCESS);
    CHECK(AllowedFor(folder.Get(), WinBuiltinAdministratorsSid).size() == 1);

    const auto users = AllowedFor(folder.Get(), WinBuiltinUsersSid);
    REQUIRE(users.size() == 2);
    for (const auto& entry : users) {
        if ((entry.flags & INHERIT_ONLY_ACE) == 0) {
            // On the folder itself: create files, list, read; no subfolders,
            // no deleting of others' files, no changing of its rights.
            CHECK(entry.flags == 0);
            CHECK((entry.mask & FILE_ADD_FILE) != 0);
            CHECK((entry.mask & (FILE_ADD_SUBDIRECTORY | FILE_DELETE_CHILD | DELETE | WRITE_DAC | WRITE_OWNER)) == 0);
        } else {
            // Files directly in the folder only: not Resource\ and its icons.
            CHECK(entry.flags == (OBJECT_INHERIT_ACE | INHERIT_ONLY_ACE | NO_PROPAGATE_INHERIT_ACE));
            CHECK((entry.mask & (FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE)) == (FILE_WRITE_DATA | FILE_APPEND_DATA | DELETE));
            CHECK((entry.mask & (WRITE_DAC | WRITE_OWNER)) == 0);
        }
    }
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
