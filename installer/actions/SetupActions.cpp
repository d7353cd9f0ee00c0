// Custom actions of the installer package (SetupActions.dll, carried in the
// package's Binary table):
//   CheckSettings   immediate, before anything changes: checks the settings
//                   given as public properties and hands them on, or refuses;
//   PrepareFolders  deferred, elevated, before the package makes its folders:
//                   moves aside a working folder (or Resource) that a user
//                   made, and makes the folders anew with their rights;
//   WriteSettings   deferred, elevated: makes the working folder and all the
//                   package writes in it the administrators', writes the
//                   settings into Quorlan.ini, lets standard users write it
//                   and the log,
//                   puts back a Run value that an upgrade removed, and sets
//                   or removes the Run value as RUNATSTARTUP asks;
//   ProtectShortcut deferred, elevated: replaces the start-up shortcut by a
//                   new file writable by administrators only;
//   RemoveRunValue  deferred, elevated, on uninstall: removes the Run value
//                   when it names the shortcut that uninstalling removes;
//   EndRunningCopies immediate, before any file is replaced or removed:
//                   raises the upgrade signal, on which every running copy
//                   removes its hooks and ends, and waits for them a while.
//                   No supervised program is asked to close (the package
//                   keeps Restart Manager from shutting programs down).
#include <windows.h>

#include <msi.h>
#include <msiquery.h>

#include <tlhelp32.h>

#include <string>
#include <vector>

#include "installer/SettingsProperties.h"
#include "installer/actions/FolderAccess.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/UpgradeSignal.h"
#include "platform/win32/Win32GuidSource.h"
#include "settings/SettingNames.h"
#include "settings/Setup.h"

namespace {

using namespace ql::installer;
using UniqueMsiHandle = ql::win32::UniqueAny<MSIHANDLE, decltype(&::MsiCloseHandle), ::MsiCloseHandle>;

std::string GetProperty(MSIHANDLE install, const char* name) {
    char probe[1] = "";
    DWORD length = 0;
    if (MsiGetPropertyA(install, name, probe, &length) != ERROR_MORE_DATA) return "";
    std::string value(length + 1, '\0');
    length = static_cast<DWORD>(value.size());
    if (MsiGetPropertyA(install, name, value.data(), &length) != ERROR_SUCCESS) return "";
    value.resize(length);
    return value;
}

// One message to the installer: an error is shown (or, silent, logged) and
// a line of information goes to the installation log.
void Report(MSIHANDLE install, INSTALLMESSAGE kind, const std::string& text) {
    UniqueMsiHandle record(MsiCreateRecord(1));
    if (!record) return;
    // The text goes in as a field, not as the template: the installer would
    // format anything in square brackets of a template, given values included.
    MsiRecordSetStringA(record.get(), 0, "[1]");
    MsiRecordSetStringA(record.get(), 1, text.c_str());
    const int buttons = kind == INSTALLMESSAGE_ERROR ? MB_OK | MB_ICONERROR : 0;
    MsiProcessMessage(install, static_cast<INSTALLMESSAGE>(kind | buttons), record.get());
}

// The data of the Run value "Quorlan", or empty when there is none.
std::string ReadRunValue() {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ql::kRunKeyPath, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return "";
    ql::win32::UniqueKey key(opened);
    char data[2048] = "";
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key.get(), ql::kRunValueName, nullptr, &type, reinterpret_cast<BYTE*>(data), &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return "";
    data[size < sizeof data ? size : sizeof data - 1] = '\0';
    return data;
}

bool WriteRunValue(const std::string& data) {
    HKEY opened = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, ql::kRunKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS)
        return false;
    ql::win32::UniqueKey key(opened);
    return RegSetValueExA(key.get(), ql::kRunValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()),
                          static_cast<DWORD>(data.size() + 1)) == ERROR_SUCCESS;
}

// The program's first run begins its settings file with an installation id;
// a file made here must carry one too, or the program, finding a file,
// would never make it.
bool StartSettingsFile(const std::string& iniPath) {
    ql::GuidValue guid;
    ql::win32::Win32GuidSource guids;
    if (!guids.Generate(guid)) return false;
    char text[39];
    ql::FormatRegistryGuid(guid, text);
    return WritePrivateProfileStringA(ql::ini::kFirstRunSection, ql::ini::kGuidKey, text, iniPath.c_str()) != FALSE;
}

// Only a value that starts this folder's shortcut is ever put back, whatever
// the hand-over from the checking step holds.
void KeepRunValue(MSIHANDLE install, const std::string& kept, const std::string& folder) {
    if (!RunValueNamesShortcut(kept, folder) || !ReadRunValue().empty()) return;
    if (WriteRunValue(kept)) Report(install, INSTALLMESSAGE_INFO, "Quorlan: Run value kept across the upgrade");
}

void DeleteRunValue() {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, ql::kRunKeyPath, 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS) return;
    ql::win32::UniqueKey key(opened);
    RegDeleteValueA(key.get(), ql::kRunValueName);
}

UINT ApplyRunAtStartUp(MSIHANDLE install, RunAtStartUp choice, const std::string& folder) {
    if (choice == RunAtStartUp::Register) {
        const std::string data = RunValueFor(folder);
        if (data.empty() || !WriteRunValue(data)) {
            Report(install, INSTALLMESSAGE_ERROR, "Quorlan could not register its start at log-on.");
            return ERROR_INSTALL_FAILURE;
        }
        Report(install, INSTALLMESSAGE_INFO, "Quorlan: Run value set");
    } else if (choice == RunAtStartUp::Unregister && RunValueNamesShortcut(ReadRunValue(), folder)) {
        DeleteRunValue();
        Report(install, INSTALLMESSAGE_INFO, "Quorlan: Run value removed");
    }
    return ERROR_SUCCESS;
}

UINT Refuse(MSIHANDLE install, const std::string& text) {
    Report(install, INSTALLMESSAGE_ERROR, text);
    return ERROR_INSTALL_FAILURE;
}

// The last installation's LOCKSETTINGS, kept beside the working folder's value.
constexpr const char* kQuorlanKeyPath = "Software\\Quorlan";
constexpr const char* kLockSettingsValue = "LockSettings";

bool StoredLock() {
    HKEY opened = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kQuorlanKeyPath, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) return false;
    ql::win32::UniqueKey key(opened);
    DWORD value = 0;
    DWORD size = sizeof value;
    DWORD type = 0;
    return RegQueryValueExA(key.get(), kLockSettingsValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
               ERROR_SUCCESS &&
           type == REG_DWORD && value == 1;
}

bool StoreLock(bool locked) {
    HKEY opened = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kQuorlanKeyPath, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr) !=
        ERROR_SUCCESS)
        return false;
    ql::win32::UniqueKey key(opened);
    const DWORD value = locked ? 1 : 0;
    return RegSetValueExA(key.get(), kLockSettingsValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value) == ERROR_SUCCESS;
}

// Every folder and file the package writes into is made the administrators'
// first, each checked and changed through one handle; the settings file and
// the log stay pinned (their names cannot be swapped) while they are written.
// The settings file is then locked or not, as LOCKSETTINGS says now or said
// at the last installation.
UINT WriteSettingsInto(MSIHANDLE install, const std::string& folder, const std::vector<SettingsValue>& values,
                       SettingsLock lock) {
    const std::string iniPath = PathInFolder(folder, ql::kIniFileName);
    Win32PackageFiles files;
    const std::vector<Step> steps = PlanWorkingFolder(files, folder);
    FolderSteps carried;
    for (const Step& step : steps) {
        if (step.action == Action::Refuse) return Refuse(install, "Quorlan was not installed: " + RefusalText(step));
        if (const DWORD error = carried.CarryOut(step); error != ERROR_SUCCESS) {
            return Refuse(install, "Quorlan could not take " + step.path + " for the administrators (error " +
                                       std::to_string(error) + ").");
        }
        if (step.action == Action::ReplaceUserFile) {
            Report(install, INSTALLMESSAGE_INFO, "Quorlan: " + step.path + " replaced (it was a link or had a second name)");
        }
    }
    if (carried.SettingsFileMade() && !StartSettingsFile(iniPath)) {
        return Refuse(install, "Quorlan could not create its settings file " + iniPath + ".");
    }
    for (const auto& value : values) {
        const auto& property = *value.property;
        if (!WritePrivateProfileStringA(property.section, property.key, value.stored.c_str(), iniPath.c_str())) {
            return Refuse(install, std::string("Quorlan could not write ") + property.key + " into " + iniPath + ".");
        }
        Report(install, INSTALLMESSAGE_INFO, std::string("Quorlan: ") + property.section + " " + property.key + " set from " + property.property);
    }
    const bool locked = lock == SettingsLock::Unchanged ? StoredLock() : lock == SettingsLock::Lock;
    if (const DWORD error = carried.LockSettingsFile(locked); error != ERROR_SUCCESS) {
        return Refuse(install, "Quorlan could not set who may change " + iniPath + " (error " + std::to_string(error) + ").");
    }
    if (lock != SettingsLock::Unchanged && !StoreLock(locked)) {
        return Refuse(install, "Quorlan could not record LOCKSETTINGS.");
    }
    Report(install, INSTALLMESSAGE_INFO,
           locked ? "Quorlan: the settings file is locked (administrators only)" : "Quorlan: users may change the settings file");
    return ERROR_SUCCESS;
}

// Every running Quorlan.exe, in any log-on session, that may be waited on.
std::vector<ql::win32::UniqueHandle> RunningCopies() {
    std::vector<ql::win32::UniqueHandle> copies;
    ql::win32::UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return copies;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
        if (lstrcmpiA(entry.szExeFile, "Quorlan.exe") != 0 || entry.th32ProcessID == GetCurrentProcessId()) continue;
        ql::win32::UniqueHandle process(OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID));
        if (process) copies.push_back(std::move(process));
    }
    return copies;
}

// How long the copies get: they look for the signal once a second.
constexpr DWORD kCopiesEndWithinMs = 15000;

std::size_t StillRunning(const std::vector<ql::win32::UniqueHandle>& copies, DWORD deadline) {
    std::size_t running = 0;
    for (const auto& copy : copies) {
        const DWORD now = GetTickCount();
        const DWORD left = static_cast<LONG>(deadline - now) > 0 ? deadline - now : 0;
        if (WaitForSingleObject(copy.get(), left) != WAIT_OBJECT_0) ++running;
    }
    return running;
}

}  // namespace

extern "C" {

__declspec(dllexport) UINT __stdcall CheckSettings(MSIHANDLE install) {
    try {
        const SettingsPlan plan = PlanSettings([install](const char* name) { return GetProperty(install, name); });
        if (!plan.error.empty()) {
            Report(install, INSTALLMESSAGE_ERROR, plan.error);
            return ERROR_INSTALL_FAILURE;
        }
        ActionData data;
        data.workingFolder = GetProperty(install, "WORKDIR");
        // A working folder, or a folder the package installs into it, that a
        // user made a junction or link before the installation would lead
        // the files and the rights elsewhere.
        Win32PackageFiles files;
        for (const auto& folder : FoldersToCheck(data.workingFolder)) {
            const Found found = files.Inspect(folder);
            if (found.kind != FoundKind::Missing && found.kind != FoundKind::Folder) {
                return Refuse(install, "Quorlan was not installed: " + RefusalText(Step{Action::Refuse, folder, found}));
            }
        }
        const std::string runValue = ReadRunValue();
        if (RunValueNamesShortcut(runValue, data.workingFolder)) data.keptRunValue = runValue;
        data.values = plan.values;
        data.runAtStartUp = plan.runAtStartUp;
        data.lock = plan.lock;
        if (MsiSetPropertyA(install, "WriteSettings", EncodeActionData(data).c_str()) != ERROR_SUCCESS)
            return ERROR_INSTALL_FAILURE;
        if (MsiSetPropertyA(install, "ProtectShortcut", data.workingFolder.c_str()) != ERROR_SUCCESS ||
            MsiSetPropertyA(install, "PrepareFolders", data.workingFolder.c_str()) != ERROR_SUCCESS)
            return ERROR_INSTALL_FAILURE;
        return ERROR_SUCCESS;
    } catch (...) {
        return ERROR_INSTALL_FAILURE;
    }
}

__declspec(dllexport) UINT __stdcall WriteSettings(MSIHANDLE install) {
    try {
        ActionData data;
        if (!DecodeActionData(GetProperty(install, "CustomActionData"), data)) return ERROR_INSTALL_FAILURE;
        KeepRunValue(install, data.keptRunValue, data.workingFolder);
        const UINT written = WriteSettingsInto(install, data.workingFolder, data.values, data.lock);
        if (written != ERROR_SUCCESS) return written;
        return ApplyRunAtStartUp(install, data.runAtStartUp, data.workingFolder);
    } catch (...) {
        return ERROR_INSTALL_FAILURE;
    }
}

__declspec(dllexport) UINT __stdcall PrepareFolders(MSIHANDLE install) {
    try {
        Win32PackageFiles files;
        FolderSteps carried;
        for (const Step& step : PlanFreshFolders(files, GetProperty(install, "CustomActionData"))) {
            if (step.action == Action::Refuse) return Refuse(install, "Quorlan was not installed: " + RefusalText(step));
            if (const DWORD error = carried.CarryOut(step); error != ERROR_SUCCESS) {
                return Refuse(install, "Quorlan could not prepare " + step.path + " (error " + std::to_string(error) + ").");
            }
            if (step.action == Action::MoveAside) {
                Report(install, INSTALLMESSAGE_INFO,
                       "Quorlan: " + step.path + " was not the administrators' (a user made it): kept as " + step.movedTo +
                           ", and made anew");
            }
        }
        return ERROR_SUCCESS;
    } catch (...) {
        return ERROR_INSTALL_FAILURE;
    }
}

__declspec(dllexport) UINT __stdcall ProtectShortcut(MSIHANDLE install) {
    try {
        // A shortcut found in place may be a user's, held open: a new file
        // the administrators own takes its place.
        Win32PackageFiles files;
        const Step step = PlanShortcut(files, GetProperty(install, "CustomActionData"));
        if (step.action == Action::Refuse) return Refuse(install, "Quorlan was not installed: " + RefusalText(step));
        FolderSteps carried;
        const DWORD error = carried.CarryOut(step);
        if (error != ERROR_SUCCESS) {
            Report(install, INSTALLMESSAGE_ERROR, "Quorlan could not protect " + step.path + " (error " + std::to_string(error) + ").");
            return ERROR_INSTALL_FAILURE;
        }
        return ERROR_SUCCESS;
    } catch (...) {
        return ERROR_INSTALL_FAILURE;
    }
}

__declspec(dllexport) UINT __stdcall EndRunningCopies(MSIHANDLE install) {
    try {
        const std::vector<ql::win32::UniqueHandle> copies = RunningCopies();
        const ql::win32::UniqueHandle signal = ql::win32::RaiseUpgradeSignal();
        if (!signal) {
            Report(install, INSTALLMESSAGE_INFO,
                   "Quorlan: the upgrade signal could not be raised (its name is taken): running copies keep their files "
                   "until the next restart");
            return ERROR_SUCCESS;
        }
        if (copies.empty()) return ERROR_SUCCESS;
        const std::size_t running = StillRunning(copies, GetTickCount() + kCopiesEndWithinMs);
        Report(install, INSTALLMESSAGE_INFO,
               "Quorlan: " + std::to_string(copies.size() - running) + " running copies removed their hooks and ended, " +
                   std::to_string(running) + " still running (their files are replaced at the next restart)");
        return ERROR_SUCCESS;
    } catch (...) {
        return ERROR_SUCCESS;
    }
}

__declspec(dllexport) UINT __stdcall RemoveRunValue(MSIHANDLE install) {
    try {
        const std::string folder = GetProperty(install, "CustomActionData");
        const std::string data = ReadRunValue();
        if (data.empty()) return ERROR_SUCCESS;
        if (!RunValueNamesShortcut(data, folder)) {
            Report(install, INSTALLMESSAGE_INFO, "Quorlan: the Run value names another shortcut and stays");
            return ERROR_SUCCESS;
        }
        DeleteRunValue();
        Report(install, INSTALLMESSAGE_INFO, "Quorlan: Run value removed");
        return ERROR_SUCCESS;
    } catch (...) {
        return ERROR_SUCCESS;
    }
}

}  // extern "C"
