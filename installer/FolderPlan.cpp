#include "installer/FolderPlan.h"

#include <utility>

#include "installer/SettingsProperties.h"
#include "settings/Setup.h"

namespace ql::installer {

namespace {

constexpr const char* kResourceFolder = "Resource";
constexpr const char* kLogFileName = "Quorlan.exe.Log";

Step Refusal(const std::string& path, const Found& found) { return {Action::Refuse, path, found}; }

bool IsPlainFile(const Found& found) { return found.kind == FoundKind::File && found.links == 1; }

// The settings file and the log: users write them, so a second name or a
// link there is replaced by a file of the package's own.
Step PlanUserFile(PackageFiles& files, const std::string& path) {
    const Found found = files.Inspect(path);
    switch (found.kind) {
    case FoundKind::Missing: return {Action::CreateUserFile, path, found};
    case FoundKind::File: return {IsPlainFile(found) ? Action::TakeUserFile : Action::ReplaceUserFile, path, found};
    case FoundKind::Link: return {Action::ReplaceUserFile, path, found};
    case FoundKind::Folder: break;
    }
    return Refusal(path, found);
}

// "<folder>.moved-<n>", the first n free; empty when none of them is.
std::string FreeNameBeside(PackageFiles& files, const std::string& folder) {
    constexpr int kMostMoved = 99;
    for (int n = 1; n <= kMostMoved; ++n) {
        std::string name = folder + ".moved-" + std::to_string(n);
        if (files.Inspect(name).kind == FoundKind::Missing) return name;
    }
    return {};
}

}  // namespace

std::vector<Step> PlanFreshFolders(PackageFiles& files, const std::string& workingFolder) {
    std::vector<Step> steps;
    bool parentMadeAnew = false;
    bool first = true;
    for (const std::string& folder : FoldersToCheck(workingFolder)) {
        const Action make = std::exchange(first, false) ? Action::MakeWorkingFolder : Action::MakeFolder;
        // In a folder made anew nothing is there yet.
        const Found found = parentMadeAnew ? Found{} : files.Inspect(folder);
        if (found.kind == FoundKind::Folder && found.administered) continue;
        if (found.kind == FoundKind::Folder) {
            std::string aside = FreeNameBeside(files, folder);
            if (aside.empty()) return {Refusal(folder, found)};
            steps.push_back({Action::MoveAside, folder, found, std::move(aside)});
        } else if (found.kind != FoundKind::Missing) {
            return {Refusal(folder, found)};
        }
        steps.push_back({make, folder, Found{}});
        parentMadeAnew = true;
    }
    return steps;
}

std::vector<std::string> FoldersToCheck(const std::string& workingFolder) {
    std::string top = PathInFolder(workingFolder, "");
    top.pop_back();  // the separator PathInFolder puts before the empty name
    return {top, PathInFolder(workingFolder, kResourceFolder)};
}

std::vector<Step> PlanWorkingFolder(PackageFiles& files, const std::string& workingFolder) {
    std::vector<Step> steps;
    const auto refuse = [&steps](const Step& refusal) { return std::vector<Step>{refusal}; };
    for (const std::string& folder : FoldersToCheck(workingFolder)) {
        const Found found = files.Inspect(folder);
        if (found.kind != FoundKind::Folder) return refuse(Refusal(folder, found));
        steps.push_back({steps.empty() ? Action::TakeWorkingFolder : Action::TakeFolder, folder, found});
    }
    // The icons every user's Quorlan loads.
    const std::string resources = PathInFolder(workingFolder, kResourceFolder);
    for (const std::string& name : files.Children(resources)) {
        const std::string path = PathInFolder(resources, name.c_str());
        const Found found = files.Inspect(path);
        if (!IsPlainFile(found)) return refuse(Refusal(path, found));
        steps.push_back({Action::TakeFile, path, found});
    }
    for (const char* name : {kIniFileName, kLogFileName}) {
        const Step step = PlanUserFile(files, PathInFolder(workingFolder, name));
        if (step.action == Action::Refuse) return refuse(step);
        steps.push_back(step);
    }
    return steps;
}

Step PlanShortcut(PackageFiles& files, const std::string& workingFolder) {
    const std::string path = PathInFolder(workingFolder, kShortcutName);
    const Found found = files.Inspect(path);
    // Made by the package a moment ago, or by a user beforehand and perhaps
    // held open: either way a new file takes its place.
    if (found.kind == FoundKind::File) return {Action::RecreateShortcut, path, found};
    return Refusal(path, found);
}

std::string RefusalText(const Step& step) {
    switch (step.expected.kind) {
    case FoundKind::Missing: return step.path + " is missing.";
    case FoundKind::Folder:
        return step.expected.administered ? step.path + " is a folder where a file belongs."
                                          : step.path + " is a user's folder with no free name to move it to.";
    case FoundKind::Link: return step.path + " is a link or junction.";
    case FoundKind::File:
        return step.expected.links > 1 ? step.path + " is a second name of another file." : step.path + " is a file where a folder belongs.";
    }
    return step.path + " cannot be used.";
}

}  // namespace ql::installer
