#pragma once
// What the package does with each object it writes into in the working
// folder, decided from what is found there. A standard user may have put
// anything there before the installation: a folder of their own, a link or
// junction, a second hard link to a file, a shortcut kept open. Every
// folder and file the package writes into becomes the administrators'; an
// object that is not what it should be is replaced or refused, never
// written through. The system side acts on one handle per object, opened
// without following links and checked again before anything is changed.
#include <string>
#include <vector>

namespace ql::installer {

enum class FoundKind {
    Missing,
    Folder,  // a plain folder
    File,    // a plain file
    Link,    // a reparse point: junction, symbolic link, mount point
};

struct Found {
    FoundKind kind = FoundKind::Missing;
    unsigned links = 1;  // hard links of a file
    // Owned by the administrators or the system. A folder someone else owns
    // (a standard user who made it first) may still be held open by them
    // with the right to change its rights, whatever the package sets later.
    bool administered = true;
};

// The working folder as the installer finds it; paths are full paths.
class PackageFiles {
public:
    virtual ~PackageFiles() = default;
    // What the path names, links not followed.
    virtual Found Inspect(const std::string& path) = 0;
    // The names of what a folder holds (not ".", ".."), in any order.
    virtual std::vector<std::string> Children(const std::string& folder) = 0;
};

enum class Action {
    MoveAside,          // renamed to Step::movedTo, kept with all it holds, never adopted
    MakeWorkingFolder,  // made anew, its owner and rights set as it is made
    MakeFolder,         // a folder in it, made so too
    TakeWorkingFolder,  // the administrators own it; users may create files in it
    TakeFolder,       // a folder in it: the administrators own it, users read and run
    TakeFile,         // the administrators own it; its rights follow its folder
    TakeUserFile,     // the administrators own it; users may change it (settings, log)
    CreateUserFile,   // made anew, as TakeUserFile
    ReplaceUserFile,  // its name removed (the other links or the link's target untouched), then made anew
    RecreateShortcut, // its content copied into a new file the administrators own, the old one removed
    Refuse,           // the installation stops before anything is changed
};

struct Step {
    Action action;
    std::string path;
    Found expected;  // what the system side must find again on its handle
    std::string movedTo = {};  // MoveAside: the free name it gets beside it
};

// The folders that must be plain folders, checked before anything changes:
// the working folder and every folder the package installs into it.
std::vector<std::string> FoldersToCheck(const std::string& workingFolder);

// The steps before the package makes its folders: a folder that is not the
// administrators' is moved aside (the working folder first; its Resource
// goes with it) and made anew with its rights, as is a missing one. A
// Refuse step, if any, comes first and alone.
std::vector<Step> PlanFreshFolders(PackageFiles& files, const std::string& workingFolder);

// The steps for the working folder once the package's files are in it:
// the folders and the icons taken, the settings file and the log taken,
// made or replaced. A Refuse step, if any, comes first and alone.
std::vector<Step> PlanWorkingFolder(PackageFiles& files, const std::string& workingFolder);

// The step for the start-up shortcut the package made.
Step PlanShortcut(PackageFiles& files, const std::string& workingFolder);

// Why a refused step was refused, for the installation log.
std::string RefusalText(const Step& step);

}  // namespace ql::installer
