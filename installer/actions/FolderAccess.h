#pragma once
// Access rights in the working folder. Standard users run the program there
// and must write its settings file and log; the start-up shortcut, which
// the Run value starts at every user's log-on, must stay out of their reach.
#include <windows.h>

#include <string>
#include <vector>

namespace ql::installer {

// Lets the built-in Users group create files in folder and change every
// file made directly in it later (the log is restarted as a new file), and
// change the given files that exist already. Returns a Win32 error code.
DWORD LetUsersWriteFilesIn(const std::string& folder, const std::vector<std::string>& files);

// Gives path a DACL of its own, inheriting nothing: administrators and the
// system may change it, users only read and run it.
DWORD LetOnlyAdministratorsWrite(const std::string& path);

}  // namespace ql::installer
