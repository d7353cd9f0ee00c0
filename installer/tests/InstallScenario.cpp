// The installer package under Wine's msiexec, as an administrator uses it:
// a silent installation with settings, Quorlan started through the shortcut
// that the Run value names, an upgrade, an uninstallation; and settings that
// the package refuses.
#include <doctest/doctest.h>

#include <windows.h>

#include <msi.h>
#include <shellapi.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <regex>
#include <string>
#include <vector>

#include "WinTestSupport.h"

using namespace ql::test;

namespace {

constexpr const char* kUpgradeCode = "{6B1C3E0A-52D4-4F7E-9A31-0C4D2E8B7F15}";
constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr DWORD kInstallTimeout = 60000;
// First scan after 5 s, then the idle limit and the closing ticks.
constexpr DWORD kSupervisionTimeout = 30000;

std::string Environment(const char* name) {
    char value[MAX_PATH] = "";
    const DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
    return length > 0 && length < sizeof value ? value : "";
}

// The one package in folder named Quorlan-<version>.msi.
std::string PackageIn(const std::string& folder) {
    WIN32_FIND_DATAA found = {};
    HANDLE search = FindFirstFileA((folder + "\\Quorlan-*.msi").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return "";
    FindClose(search);
    return folder + "\\" + found.cFileName;
}

std::string KnownFolder(int csidl) {
    char path[MAX_PATH] = "";
    return SUCCEEDED(SHGetFolderPathA(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)) ? path : "";
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string Lower(std::string text) {
    CharLowerBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::string WithoutClosingBackslash(std::string path) {
    while (!path.empty() && path.back() == '\\') path.pop_back();
    return path;
}

// Runs msiexec with the given arguments, silently, and returns its exit code.
DWORD Msiexec(const std::string& arguments) {
    ChildProcess msiexec("msiexec.exe " + arguments + " /qn");
    REQUIRE(msiexec.Started());
    REQUIRE(msiexec.WaitForExit(kInstallTimeout));
    return msiexec.ExitCode();
}

// Product codes of the installed releases of Quorlan.
std::vector<std::string> InstalledProducts() {
    std::vector<std::string> products;
    char product[39] = "";
    for (DWORD i = 0; MsiEnumRelatedProductsA(kUpgradeCode, 0, i, product) == ERROR_SUCCESS; ++i) products.emplace_back(product);
    return products;
}

std::vector<std::string> InstalledVersions() {
    std::vector<std::string> versions;
    for (const auto& product : InstalledProducts()) {
        char version[64] = "";
        DWORD size = sizeof version;
        MsiGetProductInfoA(product.c_str(), INSTALLPROPERTY_VERSIONSTRING, version, &size);
        versions.emplace_back(version);
    }
    return versions;
}

std::string IniValue(const std::string& iniPath, const char* section, const char* key) {
    char value[2048] = "";
    GetPrivateProfileStringA(section, key, "<missing>", value, sizeof value, iniPath.c_str());
    return value;
}

std::string MachineValue(const char* key, const char* name) {
    char data[1024] = "";
    DWORD size = sizeof data;
    if (RegGetValueA(HKEY_LOCAL_MACHINE, key, name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
        return "<missing>";
    return data;
}

std::string RunValue() { return MachineValue(kRunKey, "Quorlan"); }

// The message file of the event log source "Quorlan".
std::string EventMessageFile() {
    return MachineValue("SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\Quorlan", "EventMessageFile");
}

void DeleteRunValue() { RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, kRunKey, "Quorlan"); }

DWORD LinkCount(const std::string& path) {
    ql::win32::UniqueFileHandle file(CreateFileA(path.c_str(), FILE_READ_ATTRIBUTES,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING, 0, nullptr));
    BY_HANDLE_FILE_INFORMATION information = {};
    return file && GetFileInformationByHandle(file.get(), &information) ? information.nNumberOfLinks : 0;
}

struct Shortcut {
    std::string target, workingDirectory;
};

// The shortcut read back through the shell's link interface by ShortcutReader.
Shortcut ReadShortcut(const std::string& linkPath, const ScratchFolder& scratch) {
    const std::string report = scratch.File("shortcut.txt");
    DeleteFileA(report.c_str());
    ChildProcess reader("\"" + BinPath("ShortcutReader.exe") + "\" \"" + linkPath + "\" \"" + report + "\"");
    REQUIRE(reader.WaitForExit(10000));
    REQUIRE(reader.ExitCode() == 0);
    Shortcut shortcut;
    for (const auto& line : ReadLines(report)) {
        if (line.rfind("Target=", 0) == 0) shortcut.target = line.substr(7);
        if (line.rfind("WorkingDirectory=", 0) == 0) shortcut.workingDirectory = line.substr(17);
    }
    return shortcut;
}

std::vector<DWORD> QuorlanProcessIds() {
    std::vector<DWORD> ids;
    ql::win32::UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry))
        if (lstrcmpiA(entry.szExeFile, "Quorlan.exe") == 0) ids.push_back(entry.th32ProcessID);
    return ids;
}

// HKLM\Software\Quorlan LockSettings as the package's 32-bit or 64-bit part sees it; -1 when missing.
long LockSettingsValue() {
    DWORD value = 0;
    DWORD size = sizeof value;
    return RegGetValueA(HKEY_LOCAL_MACHINE, "Software\\Quorlan", "LockSettings", RRF_RT_REG_DWORD, nullptr, &value,
                        &size) == ERROR_SUCCESS
               ? static_cast<long>(value)
               : -1;
}

void EndQuorlan() {
    for (DWORD id : QuorlanProcessIds()) {
        ql::win32::UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
        if (!process) continue;
        TerminateProcess(process.get(), 0);
        WaitForSingleObject(process.get(), 5000);
    }
}

// Where the package puts things on this machine.
struct Layout {
    std::string programFolder = KnownFolder(CSIDL_PROGRAM_FILES) + "\\Quorlan";
    std::string workingFolder = KnownFolder(CSIDL_COMMON_APPDATA) + "\\Quorlan";
    std::string ini = workingFolder + "\\Quorlan.ini";
    std::string log = workingFolder + "\\Quorlan.exe.Log";
    std::string shortcut = workingFolder + "\\Quorlan.lnk";
    // The Start-menu shortcut, or empty. Wine's installer puts per-machine
    // Start-menu entries into the user's menu.
    std::string StartMenuShortcut() const {
        for (int folder : {CSIDL_COMMON_PROGRAMS, CSIDL_PROGRAMS}) {
            const std::string path = KnownFolder(folder) + "\\Quorlan.lnk";
            if (Exists(path)) return path;
        }
        return "";
    }
    std::vector<std::string> ProgramFiles() const {
        std::vector<std::string> files = {programFolder + "\\Quorlan.exe", programFolder + "\\QL_lib.dll"};
        for (const char* icon : {"Blue 128 Icon.ico", "Blue Br 128 Icon.ico", "Green 128 Icon.ico", "Red 128 Icon.ico"})
            files.push_back(workingFolder + "\\Resource\\" + icon);
        return files;
    }
};

struct Packages {
    std::string current = PackageIn(Environment("QL_PACKAGE_DIR"));
    std::string older = PackageIn(Environment("QL_PACKAGE_DIR") + "\\older");
};

// Ends every Quorlan.exe when the scenario ends, passed or not: a copy left
// running would make the next test's copy end at once.
struct QuorlanEnder {
    ~QuorlanEnder() { EndQuorlan(); }
};

// Starts from a machine without Quorlan: no product, no settings, no Run
// value, and an empty working folder. A run cut short in the middle of an
// installation can leave a release registered whose cached package is gone;
// the package it came from removes it.
void CleanMachine(const Layout& layout, const Packages& packages) {
    EndQuorlan();
    for (const auto& product : InstalledProducts()) {
        if (Msiexec("/x " + product) == ERROR_SUCCESS) continue;
        for (const std::string& package : {packages.current, packages.older}) {
            if (!package.empty()) Msiexec("/x \"" + package + "\"");
        }
    }
    DeleteFileA(layout.ini.c_str());
    DeleteFileA(layout.log.c_str());
    CreateDirectoryA(layout.workingFolder.c_str(), nullptr);
    DeleteRunValue();
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, "Software\\Quorlan", "LockSettings");
    REQUIRE(InstalledProducts().empty());
}

}  // namespace

TEST_CASE("an administrator installs with settings, users start Quorlan at log-on, and it upgrades and uninstalls") {
    const Packages packages;
    const Layout layout;
    REQUIRE(!packages.current.empty());
    REQUIRE(!packages.older.empty());
    QuorlanEnder ender;
    CleanMachine(layout, packages);
    ScratchFolder scratch;
    // A user's own file, and a second name for it where the package keeps its
    // log: the package replaces that name instead of failing or writing there.
    const std::string usersFile = scratch.File("users-own.txt");
    WriteWholeFile(usersFile, "mine");
    const bool hardLinked = CreateHardLinkA(layout.log.c_str(), usersFile.c_str(), nullptr) != FALSE;
    if (!hardLinked) MESSAGE("no hard links here: the replaced log is not checked");

    // A silent installation of an older release with settings.
    REQUIRE(Msiexec("/i \"" + packages.older +
                    "\" PROGRAM=QLDeployed MAXINACT=0006 MAXSESSION=3 KEYGROUP=0 WARNING=002 RELEASESERVER=OFF RUNATSTARTUP=1 "
                    "LOCKSETTINGS=1") == 0);
    // (Wine keeps no rights on files: that the file is locked is shown by
    // the program's own tests; here the choice is kept for later installations.)
    CHECK(LockSettingsValue() == 1);
    CHECK(InstalledVersions() == std::vector<std::string>{"0.1.0"});
    for (const auto& file : layout.ProgramFiles()) CHECK_MESSAGE(Exists(file), file);
    CHECK(IniValue(layout.ini, "BasicSetUp", "Program") == "QLDeployed");
    CHECK(IniValue(layout.ini, "BasicSetUp", "Max.Inact.") == "6");
    CHECK(IniValue(layout.ini, "BasicSetUp", "Max.Session") == "3");
    CHECK(IniValue(layout.ini, "AdvancedSetUp", "KeyGroup") == "0");
    CHECK(IniValue(layout.ini, "AdvancedSetUp", "Warning") == "2");
    CHECK(IniValue(layout.ini, "AdvancedSetUp", "ReleaseServer") == "off");
    CHECK(IniValue(layout.ini, "AdvancedSetUp", "CloseKill") == "<missing>");
    const std::string guid = IniValue(layout.ini, "InternalSetUp", "Guid");
    CHECK(std::regex_match(guid, std::regex("\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}")));
    if (hardLinked) {
        CHECK(Exists(layout.log));
        CHECK(ReadWholeFile(usersFile) == "mine");
        CHECK(LinkCount(usersFile) == 1);
    }

    REQUIRE(!layout.StartMenuShortcut().empty());
    for (const auto& link : {layout.shortcut, layout.StartMenuShortcut()}) {
        CAPTURE(link);
        const Shortcut shortcut = ReadShortcut(link, scratch);
        CHECK(Lower(shortcut.target) == Lower(layout.programFolder + "\\Quorlan.exe"));
        CHECK(Lower(WithoutClosingBackslash(shortcut.workingDirectory)) == Lower(layout.workingFolder));
    }

    // The Run value is the one the setup dialog writes: the quoted shortcut
    // path. Log-on runs it, and Quorlan supervises the test program.
    const std::string runValue = "\"" + layout.shortcut + "\"";
    CHECK(RunValue() == runValue);
    TestAppProcess app(scratch, "QLDeployedSession");
    REQUIRE(app.Windows().size() == 1);
    REQUIRE(reinterpret_cast<INT_PTR>(ShellExecuteA(nullptr, "open", runValue.c_str(), nullptr, nullptr, SW_SHOWNORMAL)) > 32);
    CHECK(WaitForFileText(layout.log, "Tracking: QLDeployed - Max.Inactivity: 00006 - Max Sessions alloved: 03 ", 30000));
    CHECK(app.WaitForExit(kSupervisionTimeout));
    CHECK(app.CountEvents("close ") == 1);
    const std::string logBeforeUpgrade = ReadWholeFile(layout.log);

    // The current release over the older one, without settings: the
    // settings, the log and the Run value stay as they were. The copy still
    // running ends on the upgrade signal, as "Close" does.
    REQUIRE(Msiexec("/i \"" + packages.current + "\"") == 0);
    CHECK(QuorlanProcessIds().empty());
    CHECK(InstalledVersions() == std::vector<std::string>{"0.55.0"});
    for (const auto& file : layout.ProgramFiles()) CHECK_MESSAGE(Exists(file), file);
    CHECK(IniValue(layout.ini, "BasicSetUp", "Program") == "QLDeployed");
    CHECK(IniValue(layout.ini, "BasicSetUp", "Max.Inact.") == "6");
    CHECK(IniValue(layout.ini, "InternalSetUp", "Guid") == guid);
    const std::string logAfterUpgrade = ReadWholeFile(layout.log);
    CHECK(logAfterUpgrade.rfind(logBeforeUpgrade, 0) == 0);
    CHECK(logAfterUpgrade.find("\tExit", logBeforeUpgrade.size()) != std::string::npos);
    CHECK(RunValue() == runValue);
    CHECK(LockSettingsValue() == 1);  // not given: the last choice holds
    CHECK(Lower(ReadShortcut(layout.shortcut, scratch).target) == Lower(layout.programFolder + "\\Quorlan.exe"));
    CHECK(Lower(EventMessageFile()) == Lower(layout.programFolder + "\\Quorlan.exe"));

    // Uninstalling removes the program, the icons, the shortcuts and the
    // Run value that named the shortcut; the settings and the log stay.
    REQUIRE(Msiexec("/x \"" + packages.current + "\"") == 0);
    CHECK(InstalledVersions().empty());
    for (const auto& file : layout.ProgramFiles()) CHECK_MESSAGE(!Exists(file), file);
    CHECK_FALSE(Exists(layout.shortcut));
    CHECK(layout.StartMenuShortcut().empty());
    CHECK(RunValue() == "<missing>");
    CHECK(EventMessageFile() == "<missing>");
    CHECK(IniValue(layout.ini, "BasicSetUp", "Program") == "QLDeployed");
    CHECK(ReadWholeFile(layout.log) == logAfterUpgrade);

    // A Run value that names another folder's shortcut is someone else's:
    // uninstalling leaves it.
    REQUIRE(Msiexec("/i \"" + packages.current + "\"") == 0);
    const std::string othersRunValue = "\"C:\\Elsewhere\\Quorlan.lnk\"";
    REQUIRE(RegSetKeyValueA(HKEY_LOCAL_MACHINE, kRunKey, "Quorlan", REG_SZ, othersRunValue.c_str(),
                            static_cast<DWORD>(othersRunValue.size() + 1)) == ERROR_SUCCESS);
    REQUIRE(Msiexec("/x \"" + packages.current + "\"") == 0);
    CHECK(InstalledVersions().empty());
    CHECK(RunValue() == othersRunValue);
    DeleteRunValue();
}

TEST_CASE("settings the program would misread are refused and change nothing") {
    const Packages packages;
    const Layout layout;
    REQUIRE(!packages.current.empty());
    CleanMachine(layout, packages);
    const std::string settingsBefore = "[BasicSetUp]\r\nProgram=QLKept\r\nMax.Inact.=45\r\n";
    WriteWholeFile(layout.ini, settingsBefore);

    const std::vector<std::string> refused = {
        "MAXINACT=abc",                                   // read as 0: every session idle at once
        "MAXINACT=12345",                                 // read as its first four digits
        "MAXSESSION=100",                                 // read as 10
        "PROGRAM=" + std::string(2000, 'Q'),              // read as its first 1023 characters
        "PROGRAM=\" QLPadded \"",                         // the profile rules drop the blanks
        "RELEASESERVER=releases.example:http",
    };
    for (const auto& setting : refused) {
        CAPTURE(setting.substr(0, 40));
        CHECK(Msiexec("/i \"" + packages.current + "\" " + setting) == ERROR_INSTALL_FAILURE);
        CHECK(InstalledVersions().empty());
        CHECK_FALSE(Exists(layout.programFolder + "\\Quorlan.exe"));
        CHECK(ReadWholeFile(layout.ini) == settingsBefore);
    }
    DeleteFileA(layout.ini.c_str());

    // A Resource folder that a user made a link elsewhere before the
    // installation: nothing is installed, and nothing lands where it leads.
    ScratchFolder elsewhere;
    const std::string resource = layout.workingFolder + "\\Resource";
    RemoveDirectoryA(resource.c_str());
    REQUIRE_FALSE(Exists(resource));
    // (Wine's CreateSymbolicLink reports success and makes nothing.)
    if (!CreateSymbolicLinkA(resource.c_str(), elsewhere.Path().c_str(), SYMBOLIC_LINK_FLAG_DIRECTORY) ||
        !Exists(resource)) {
        MESSAGE("no symbolic links here: the linked folder is not checked");
        return;
    }
    CHECK(Msiexec("/i \"" + packages.current + "\"") == ERROR_INSTALL_FAILURE);
    CHECK(InstalledVersions().empty());
    CHECK_FALSE(elsewhere.Exists("Blue 128 Icon.ico"));
    RemoveDirectoryA(resource.c_str());
}
