// The installer's decisions on what it finds in the working folder, as
// Windows would show it (Wine enforces no rights, so these cases are
// decided here): links, folders made by a user, extra hard links.
#include <doctest/doctest.h>

#include <string>
#include <vector>

#include "installer/FolderPlan.h"
#include "tests/fakes/FakePackageFiles.h"

namespace ql::test {
namespace {

using installer::Action;

constexpr const char* kWork = "C:\\ProgramData\\Quorlan";

// The working folder as the package leaves it before its custom actions.
struct Installed {
    Installed() {
        files.Folder(kWork);
        files.Folder(Path("Resource"));
        for (const char* icon : {"Blue 128 Icon.ico", "Red 128 Icon.ico"}) files.File(Path("Resource\\") + icon);
        files.File(Path("Quorlan.lnk"));
    }
    static std::string Path(const std::string& name) { return std::string(kWork) + "\\" + name; }
    std::vector<Action> Actions() {
        std::vector<Action> actions;
        for (const auto& step : installer::PlanWorkingFolder(files, kWork)) actions.push_back(step.action);
        return actions;
    }
    FakePackageFiles files;
};

TEST_CASE("both the working folder and Resource are checked as plain folders before anything changes") {
    const auto folders = installer::FoldersToCheck(std::string(kWork) + "\\");
    CHECK(folders == std::vector<std::string>{kWork, Installed::Path("Resource")});
}

TEST_CASE("a fresh installation takes the folders and icons and makes the settings file and log") {
    Installed installed;
    const auto steps = installer::PlanWorkingFolder(installed.files, kWork);
    std::vector<std::string> done;
    for (const auto& step : steps) done.push_back(std::to_string(int(step.action)) + " " + step.path);
    const auto line = [](Action action, const std::string& path) { return std::to_string(int(action)) + " " + path; };
    CHECK(done == std::vector<std::string>{
                      line(Action::TakeWorkingFolder, kWork),
                      line(Action::TakeFolder, Installed::Path("Resource")),
                      line(Action::TakeFile, Installed::Path("Resource\\Blue 128 Icon.ico")),
                      line(Action::TakeFile, Installed::Path("Resource\\Red 128 Icon.ico")),
                      line(Action::CreateUserFile, Installed::Path("Quorlan.ini")),
                      line(Action::CreateUserFile, Installed::Path("Quorlan.exe.Log")),
                  });
}

TEST_CASE("what a user prepared is taken, replaced or refused, never written through") {
    Installed installed;
    FakePackageFiles& files = installed.files;
    const std::string ini = Installed::Path("Quorlan.ini");
    const std::string log = Installed::Path("Quorlan.exe.Log");
    SUBCASE("a Resource folder a user made beforehand, with an icon of theirs: taken, children included") {
        files.File(Installed::Path("Resource\\Green 128 Icon.ico"));
        CHECK(installed.Actions() == std::vector<Action>{Action::TakeWorkingFolder, Action::TakeFolder, Action::TakeFile,
                                                         Action::TakeFile, Action::TakeFile, Action::CreateUserFile,
                                                         Action::CreateUserFile});
    }
    SUBCASE("settings file and log left by an earlier installation are taken") {
        files.File(ini);
        files.File(log);
        const auto actions = installed.Actions();
        CHECK(actions[4] == Action::TakeUserFile);
        CHECK(actions[5] == Action::TakeUserFile);
    }
    SUBCASE("a settings file with a second hard link, or a log that is a link, is replaced instead of failing") {
        files.File(ini, 2);
        files.Link(log);
        const auto actions = installed.Actions();
        REQUIRE(actions.size() == 6);
        CHECK(actions[4] == Action::ReplaceUserFile);
        CHECK(actions[5] == Action::ReplaceUserFile);
    }
    const auto refusedAt = [&files](const std::string& path) {
        const auto steps = installer::PlanWorkingFolder(files, kWork);
        REQUIRE(steps.size() == 1);
        CHECK(steps[0].action == Action::Refuse);
        CHECK(steps[0].path == path);
        return installer::RefusalText(steps[0]);
    };
    SUBCASE("a working folder that is a junction is refused") {
        files.Link(kWork);
        CHECK(refusedAt(kWork) == std::string(kWork) + " is a link or junction.");
    }
    SUBCASE("a Resource that is a junction is refused") {
        files.Link(Installed::Path("Resource"));
        CHECK(refusedAt(Installed::Path("Resource")) == Installed::Path("Resource") + " is a link or junction.");
    }
    SUBCASE("an icon with a second hard link, or a link among the icons, is refused") {
        files.File(Installed::Path("Resource\\Red 128 Icon.ico"), 2);
        CHECK(refusedAt(Installed::Path("Resource\\Red 128 Icon.ico")).find("second name") != std::string::npos);
        files.File(Installed::Path("Resource\\Red 128 Icon.ico"));
        files.Link(Installed::Path("Resource\\Blue 128 Icon.ico"));
        refusedAt(Installed::Path("Resource\\Blue 128 Icon.ico"));
    }
    SUBCASE("a folder in place of the settings file is refused") {
        files.Folder(ini);
        CHECK(refusedAt(ini) == ini + " is a folder where a file belongs.");
    }
    SUBCASE("a file in place of Resource is refused, naming Resource") {
        files.Remove(Installed::Path("Resource\\Blue 128 Icon.ico"));
        files.Remove(Installed::Path("Resource\\Red 128 Icon.ico"));
        files.File(Installed::Path("Resource"));
        CHECK(refusedAt(Installed::Path("Resource")) == Installed::Path("Resource") + " is a file where a folder belongs.");
    }
    SUBCASE("a file in place of the working folder is refused, naming it") {
        files.File(kWork);
        CHECK(refusedAt(kWork) == std::string(kWork) + " is a file where a folder belongs.");
    }
}

// Steps of PlanFreshFolders as "action path [-> moved to]".
std::vector<std::string> FreshSteps(FakePackageFiles& files) {
    std::vector<std::string> done;
    for (const auto& step : installer::PlanFreshFolders(files, kWork)) {
        done.push_back(std::to_string(int(step.action)) + " " + step.path + (step.movedTo.empty() ? "" : " -> " + step.movedTo));
    }
    return done;
}

std::string Line(Action action, const std::string& path, const std::string& movedTo = "") {
    return std::to_string(int(action)) + " " + path + (movedTo.empty() ? "" : " -> " + movedTo);
}

TEST_CASE("before the package makes its folders, a user's folder is moved aside and made anew, never adopted") {
    const std::string resource = Installed::Path("Resource");
    struct Case {
        const char* name;
        void (*prepare)(FakePackageFiles&);
        std::vector<std::string> steps;
    };
    const Case cases[] = {
        {"nothing there: both made with their rights", [](FakePackageFiles&) {},
         {Line(Action::MakeWorkingFolder, kWork), Line(Action::MakeFolder, resource)}},
        {"the administrators' folders of an earlier installation are kept",
         [](FakePackageFiles& f) {
             f.Folder(kWork);
             f.Folder(Installed::Path("Resource"));
         },
         {}},
        // Whoever made it may hold a handle with the right to change its
        // rights: only a new folder is safe from them.
        {"a working folder a user made first, with their own Resource in it",
         [](FakePackageFiles& f) {
             f.UsersFolder(kWork);
             f.UsersFolder(Installed::Path("Resource"));
         },
         {Line(Action::MoveAside, kWork, std::string(kWork) + ".moved-1"), Line(Action::MakeWorkingFolder, kWork),
          Line(Action::MakeFolder, resource)}},
        {"earlier names taken: the next free one",
         [](FakePackageFiles& f) {
             f.UsersFolder(kWork);
             f.Folder(std::string(kWork) + ".moved-1");
             f.File(std::string(kWork) + ".moved-2");
         },
         {Line(Action::MoveAside, kWork, std::string(kWork) + ".moved-3"), Line(Action::MakeWorkingFolder, kWork),
          Line(Action::MakeFolder, resource)}},
        {"the administrators' working folder with a user's Resource in it",
         [](FakePackageFiles& f) {
             f.Folder(kWork);
             f.UsersFolder(Installed::Path("Resource"));
         },
         {Line(Action::MoveAside, resource, resource + ".moved-1"), Line(Action::MakeFolder, resource)}},
        {"a missing Resource in the administrators' folder", [](FakePackageFiles& f) { f.Folder(kWork); },
         {Line(Action::MakeFolder, resource)}},
        {"a junction in place of the working folder is refused", [](FakePackageFiles& f) { f.Link(kWork); },
         {Line(Action::Refuse, kWork)}},
        {"a file in place of Resource is refused",
         [](FakePackageFiles& f) {
             f.Folder(kWork);
             f.File(Installed::Path("Resource"));
         },
         {Line(Action::Refuse, resource)}},
    };
    for (const Case& c : cases) {
        CAPTURE(c.name);
        FakePackageFiles files;
        c.prepare(files);
        CHECK(FreshSteps(files) == c.steps);
    }
    // Every name beside it taken: refused, and the refusal says why.
    FakePackageFiles full;
    full.UsersFolder(kWork);
    for (int n = 1; n <= 99; ++n) full.Folder(std::string(kWork) + ".moved-" + std::to_string(n));
    const auto steps = installer::PlanFreshFolders(full, kWork);
    REQUIRE(steps.size() == 1);
    CHECK(installer::RefusalText(steps[0]) == std::string(kWork) + " is a user's folder with no free name to move it to.");
}

TEST_CASE("the shortcut is always made anew; a folder or link in its place is refused") {
    Installed installed;
    const std::string shortcut = Installed::Path("Quorlan.lnk");
    CHECK(installer::PlanShortcut(installed.files, kWork).action == Action::RecreateShortcut);
    installed.files.File(shortcut, 3);  // a user's second name for it, kept open
    CHECK(installer::PlanShortcut(installed.files, kWork).action == Action::RecreateShortcut);
    for (bool link : {true, false}) {
        if (link) installed.files.Link(shortcut); else installed.files.Folder(shortcut);
        const auto step = installer::PlanShortcut(installed.files, kWork);
        CHECK(step.action == Action::Refuse);
        CHECK(step.path == shortcut);
    }
}

}  // namespace
}  // namespace ql::test
