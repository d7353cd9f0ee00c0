#pragma once
// Access rights in the working folder. Standard users run the program there
// and must write its settings file and log; the start-up shortcut, which
// the Run value starts at every user's log-on, must stay out of their reach.
#include <windows.h>

#include <string>
#include <vector>

namespace ql::installer {

// An ACL made by SetEntriesInAcl, freed with LocalFree.
class LocalAcl {
public:
    LocalAcl() = default;
    ~LocalAcl() { Reset(); }
    LocalAcl(const LocalAcl&) = delete;
    LocalAcl& operator=(const LocalAcl&) = delete;
    PACL Get() const { return m_acl; }
    PACL* Put() {
        Reset();
        return &m_acl;
    }

private:
    void Reset() {
        if (m_acl != nullptr) LocalFree(m_acl);
        m_acl = nullptr;
    }
    PACL m_acl = nullptr;
};

// The DACLs the package sets, each made from the object's present DACL
// (null for none). Return Win32 error codes.
//   working folder: users may create files in it, and change every file
//     made directly in it later (the log is restarted as a new file);
//   settings file and log: users may change them;
//   shortcut (a DACL of its own, inheriting nothing): administrators and the
//     system may change it, users only read and run it.
DWORD MakeWorkingFolderDacl(PACL present, LocalAcl& dacl);
DWORD MakeUserFileDacl(PACL present, LocalAcl& dacl);
DWORD MakeShortcutDacl(LocalAcl& dacl);

// Sets those DACLs on the files themselves.
DWORD LetUsersWriteFilesIn(const std::string& folder, const std::vector<std::string>& files);
DWORD LetOnlyAdministratorsWrite(const std::string& path);

}  // namespace ql::installer
