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

// The DACLs the package sets. Return Win32 error codes.
//   working folder (a DACL of its own, inheriting nothing, whatever it held
//     before: a standard user may have made the folder before the package
//     did, and would otherwise keep full control of it): administrators and
//     the system control it and all in it; users read and run all in it,
//     create files in it, and change every file made directly in it (the
//     log is restarted as a new file);
//   settings file and log (made from their present DACL): users may change them;
//   shortcut (a DACL of its own, inheriting nothing): administrators and the
//     system may change it, users only read and run it.
DWORD MakeWorkingFolderDacl(LocalAcl& dacl);
DWORD MakeUserFileDacl(PACL present, LocalAcl& dacl);
DWORD MakeShortcutDacl(LocalAcl& dacl);

// What the package finds in the working folder before it writes there (a
// standard user may have put it there first): a folder that is not a
// junction or link, and a file that is missing, or no link and no second
// name of another file. The package neither writes through such a name nor
// hands out rights on what it leads to.
bool IsPlainFolder(const std::string& path);
bool IsPlainFileOrMissing(const std::string& path);

// Sets those DACLs on the objects themselves. The working folder and the
// shortcut become the administrators' (an owner may always change the
// rights); so the folder is taken before anything is written in it.
DWORD TakeWorkingFolder(const std::string& folder);
DWORD LetUsersWrite(const std::vector<std::string>& files);
DWORD LetOnlyAdministratorsWrite(const std::string& path);

}  // namespace ql::installer
