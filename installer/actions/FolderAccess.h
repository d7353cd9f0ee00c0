#pragma once
// Access rights in the working folder. Standard users run the program there
// and must write its settings file and log; the start-up shortcut, which
// the Run value starts at every user's log-on, must stay out of their reach.
#include <windows.h>

#include <string>
#include <vector>

#include "installer/FolderPlan.h"
#include "platform/win32/UniqueHandle.h"

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
//   settings file and log (a DACL of their own): administrators and the
//     system control them, users may change them (MakeUserFileDacl adds
//     the users' entry to a given DACL);
//   Resource (a DACL of its own, passed on to the icons in it), the icons
//     and the shortcut (a DACL of its own, inheriting nothing):
//     administrators and the system may change them, users only read and run.
// Every object the package writes into is made the administrators' (an
// owner may always change the rights).
DWORD MakeWorkingFolderDacl(LocalAcl& dacl);
DWORD MakeUserFileDacl(PACL present, LocalAcl& dacl);
DWORD MakeShortcutDacl(LocalAcl& dacl);

// The working folder as the system shows it: each object opened without
// following links (FILE_FLAG_OPEN_REPARSE_POINT) and asked through that handle.
class Win32PackageFiles final : public PackageFiles {
public:
    Found Inspect(const std::string& path) override;
    std::vector<std::string> Children(const std::string& folder) override;
};

// Carries out planned steps. Each object is opened once without following
// links, checked on that handle to be what the plan found, and its owner and
// rights are set on that same handle (SetSecurityInfo). The handles of the
// settings file and the log stay open, without sharing deletion, for as
// long as this object lives: their names cannot be given to another object
// while the package writes them by name.
class FolderSteps {
public:
    // A Win32 error code; ERROR_SUCCESS when done.
    DWORD CarryOut(const Step& step);
    // Whether the settings file was made anew (it then needs an installation id).
    bool SettingsFileMade() const { return m_settingsFileMade; }
    // Locked, the settings file is changed by the administrators only and
    // read by users; unlocked, users may change it. Set on the handle the
    // steps pinned; ERROR_NOT_FOUND when none was.
    DWORD LockSettingsFile(bool locked);

private:
    DWORD MakeUserFile(const std::string& path);
    void Pin(const std::string& path, win32::UniqueFileHandle handle);
    std::vector<win32::UniqueFileHandle> m_pinned;
    HANDLE m_settingsFile = nullptr;  // one of m_pinned
    bool m_settingsFileMade = false;
};

}  // namespace ql::installer
