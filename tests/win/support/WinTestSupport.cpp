#include "WinTestSupport.h"

#include <shellapi.h>
#include <tlhelp32.h>

#include <fstream>
#include <sstream>

namespace ql::test {

std::string BinDir() {
    char path[MAX_PATH] = {};
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string full(path, length);
    return full.substr(0, full.find_last_of("\\/"));
}

std::string BinPath(const std::string& fileName) { return BinDir() + "\\" + fileName; }

void PumpFor(DWORD milliseconds) {
    WaitUntil([] { return false; }, milliseconds);
}

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
}

ChildProcess::ChildProcess(const std::string& commandLine, const std::string& workingDir,
                           const ChildEnvironment& environment) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string mutableLine = commandLine;
    // Wine reads its debug channels from the environment the child starts with.
    char oldChannels[256] = "";
    const bool hadChannels = GetEnvironmentVariableA("WINEDEBUG", oldChannels, sizeof oldChannels) > 0;
    std::string desktop = environment.desktop;
    if (!desktop.empty()) startup.lpDesktop = desktop.data();
    if (!environment.wineDebug.empty()) SetEnvironmentVariableA("WINEDEBUG", environment.wineDebug.c_str());
    const BOOL created = CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                        workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info);
    if (!environment.wineDebug.empty()) SetEnvironmentVariableA("WINEDEBUG", hadChannels ? oldChannels : nullptr);
    if (created) {
        CloseHandle(info.hThread);
        m_process.reset(info.hProcess);
        m_id = info.dwProcessId;
        WaitForInputIdle(info.hProcess, 5000);
    }
}

ChildProcess::~ChildProcess() { Terminate(); }

bool ChildProcess::WaitForExit(DWORD timeoutMs) {
    return m_process && WaitForSingleObject(m_process.get(), timeoutMs) == WAIT_OBJECT_0;
}

bool ChildProcess::Running() { return m_process && WaitForSingleObject(m_process.get(), 0) == WAIT_TIMEOUT; }

DWORD ChildProcess::ExitCode() {
    DWORD code = STILL_ACTIVE;
    if (m_process) GetExitCodeProcess(m_process.get(), &code);
    return code;
}

void ChildProcess::Terminate() {
    if (Running()) {
        TerminateProcess(m_process.get(), 1);
        WaitForSingleObject(m_process.get(), 5000);
    }
}

ScratchFolder::ScratchFolder() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    static unsigned counter = 0;
    for (;;) {
        std::ostringstream name;
        name << temp << "ql-test-" << GetCurrentProcessId() << "-" << ++counter;
        if (CreateDirectoryA(name.str().c_str(), nullptr)) {
            m_path = name.str();
            break;
        }
    }
}

namespace {

// Removes a folder and everything in it.
void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = path + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(full);
            } else {
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(path.c_str());
}

}  // namespace

ScratchFolder::~ScratchFolder() { RemoveTree(m_path); }

std::string ScratchFolder::Read(const std::string& name) const { return ReadWholeFile(File(name)); }

bool ScratchFolder::Exists(const std::string& name) const {
    return GetFileAttributesA(File(name).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void ScratchFolder::Write(const std::string& name, const std::string& content) const {
    WriteWholeFile(File(name), content);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// The runner names a path of the Linux host; Wine sees it on drive Z:.
WineTraces::WineTraces() {
    char path[MAX_PATH] = "";
    const DWORD length = GetEnvironmentVariableA("QL_WINE_STDERR", path, sizeof path);
    if (length == 0 || length >= sizeof path) return;
    m_path = std::string("Z:") + path;
    for (char& c : m_path) c = c == '/' ? '\\' : c;
    m_start = ReadWholeFile(m_path).size();
}

std::string WineTraces::Read() const { return Kept() ? ReadWholeFile(m_path).substr(m_start) : std::string(); }

std::vector<std::string> WineTraces::Lines(const std::string& mark) const {
    std::vector<std::string> lines;
    std::istringstream in(Read());
    for (std::string line; std::getline(in, line);) {
        const auto at = line.find(mark);
        if (at != std::string::npos) lines.push_back(line.substr(at + mark.size()));
    }
    return lines;
}

void WriteWholeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

bool BringForward(HWND target) {
    SetForegroundWindow(target);
    // The window system hands over the foreground a moment later (under Wine
    // after the target's thread has answered): keys sent before would land
    // in the window that was in front.
    return WaitUntil([&] { return GetForegroundWindow() == target; }, 2000);
}

void PressKey(HWND target, BYTE key) {
    BringForward(target);
    keybd_event(key, 0, 0, 0);
    keybd_event(key, 0, KEYEVENTF_KEYUP, 0);
}

void ClickAt(POINT at, DWORD downFlag, DWORD upFlag, int times) {
    SetCursorPos(at.x, at.y);
    PumpFor(100);
    for (int i = 0; i < times; ++i) {
        INPUT click[2] = {};
        click[0].type = click[1].type = INPUT_MOUSE;
        click[0].mi.dwFlags = downFlag;
        click[1].mi.dwFlags = upFlag;
        SendInput(2, click, sizeof click[0]);
    }
}

void TypeKeys(const std::vector<WORD>& keys) {
    for (WORD key : keys) {
        INPUT press[2] = {};
        press[0].type = press[1].type = INPUT_KEYBOARD;
        press[0].ki.wVk = press[1].ki.wVk = key;
        press[1].ki.dwFlags = KEYEVENTF_KEYUP;
        SendInput(2, press, sizeof press[0]);
        PumpFor(150);
    }
}

std::string ClassNameOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

namespace {

struct ClassSearch {
    std::string prefix;
    DWORD processId;
    std::vector<HWND> found;
};

// A named CALLBACK function: on x86 a lambda does not convert to the
// __stdcall pointer EnumWindows takes.
BOOL CALLBACK CollectWindowOfClass(HWND window, LPARAM context) {
    auto& search = *reinterpret_cast<ClassSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (search.processId != 0 && owner != search.processId) return TRUE;
    const std::string name = ClassNameOf(window);
    if (name.size() >= search.prefix.size() &&
        _strnicmp(name.c_str(), search.prefix.c_str(), search.prefix.size()) == 0) {
        search.found.push_back(window);
    }
    return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindowsOfClass(const std::string& prefix, DWORD processId) {
    ClassSearch search{prefix, processId, {}};
    EnumWindows(CollectWindowOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND VisibleWindowOfClass(const std::string& prefix, DWORD processId) {
    for (HWND window : TopLevelWindowsOfClass(prefix, processId)) {
        if (IsWindowVisible(window)) return window;
    }
    return nullptr;
}

}  // namespace ql::test

namespace ql::test {

bool WaitForFileText(const std::string& path, const std::string& text, DWORD timeoutMs) {
    return WaitUntil([&] { return ReadWholeFile(path).find(text) != std::string::npos; }, timeoutMs);
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    std::istringstream in(ReadWholeFile(path));
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string IniText(const SupervisorSettings& s) {
    std::ostringstream ini;
    ini << "[InternalSetUp]\r\nGuid={00000000-0000-0000-0000-000000000001}\r\nActRelease=\r\nConect=0\r\n"
        << "SinchT=4000000000\r\nUpgrade=0\r\n"
        << "[BasicSetUp]\r\nMax.Inact.=" << s.maxInact << "\r\nMax.Session=" << s.maxSession
        << "\r\nProgram=" << s.program << "\r\n"
        << "[AdvancedSetUp]\r\nCloseKill=" << (s.closeKill ? 1 : 0) << "\r\nSendKeys=" << (s.sendKeys ? 1 : 0)
        << "\r\nKeyGroup=" << s.keyGroup << "\r\n";
    if (s.warning != 0) ini << "Warning=" << s.warning << "\r\n";
    return ini.str();
}

bool TrayIconExists(HWND owner, DWORD id) {
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = owner;
    data.uID = id;
    return Shell_NotifyIconA(NIM_MODIFY, &data) != FALSE;
}

const std::string& WithTrayIcons(const ScratchFolder& folder) {
    CreateDirectoryA(folder.File("Resource").c_str(), nullptr);
    for (const char* name : {"Blue 128 Icon.ico", "Blue Br 128 Icon.ico", "Red 128 Icon.ico", "Green 128 Icon.ico"}) {
        CopyFileA(BinPath(std::string("Resource\\") + name).c_str(),
                  folder.File(std::string("Resource\\") + name).c_str(), FALSE);
    }
    return folder.Path();
}

HWND QuorlanProcess::StatusWindow(DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            auto windows = TopLevelWindowsOfClass("TQL_Main", Id());
            found = windows.empty() ? nullptr : windows.front();
            return found != nullptr;
        },
        timeoutMs);
    return found;
}

TestAppProcess::TestAppProcess(const ScratchFolder& folder, const std::string& className, const std::string& arguments,
                               const ChildEnvironment& environment, const std::string& exe)
    : ChildProcess("\"" + exe + "\" --class " + className + " --record \"" + folder.File(className + ".events") +
                       "\" " + arguments,
                   "", environment),
      m_className(className),
      m_recordPath(folder.File(className + ".events")) {
    WaitForEvent("ready", 10000);
}

std::vector<std::string> TestAppProcess::Events() const {
    std::vector<std::string> events;
    for (const std::string& line : ReadLines(m_recordPath)) {
        std::istringstream fields(line);
        std::string process, tick, event;
        fields >> process >> tick;
        std::getline(fields >> std::ws, event);
        events.push_back(event);
    }
    return events;
}

std::vector<DWORD> TestAppProcess::EventTimes(const std::string& prefix) const {
    std::vector<DWORD> times;
    for (const std::string& line : ReadLines(m_recordPath)) {
        std::istringstream fields(line);
        std::string process, event;
        DWORD tick = 0;
        fields >> process >> tick;
        std::getline(fields >> std::ws, event);
        if (event.compare(0, prefix.size(), prefix) == 0) times.push_back(tick);
    }
    return times;
}

int TestAppProcess::CountEvents(const std::string& prefix) const {
    int count = 0;
    for (const std::string& event : Events()) count += event.compare(0, prefix.size(), prefix) == 0 ? 1 : 0;
    return count;
}

bool TestAppProcess::WaitForEvent(const std::string& prefix, DWORD timeoutMs) const {
    return WaitUntil([&] { return CountEvents(prefix) > 0; }, timeoutMs);
}

std::vector<HWND> TestAppProcess::Windows() const {
    std::vector<HWND> roots;
    for (HWND window : TopLevelWindowsOfClass(m_className, Id())) {
        if (ClassNameOf(window) == m_className) roots.push_back(window);
    }
    return roots;
}

// The screen point of the first icon in the shell's tray window (without a
// virtual desktop, Wine shows the notification area as a window of its own).
bool FirstTrayIconPoint(POINT& at) {
    HWND tray = FindWindowA(nullptr, "Wine System Tray");
    if (tray == nullptr) return false;
    const int icon = GetSystemMetrics(SM_CXSMICON);
    at = POINT{icon / 2 + 4, icon / 2 + 4};
    return ClientToScreen(tray, &at) != FALSE;
}

// The text of the tip the shell shows while the cursor rests on the icon.
std::string TipShownAt(POINT at) {
    SetCursorPos(at.x - 3, at.y);
    PumpFor(100);
    SetCursorPos(at.x, at.y);
    std::string shown;
    WaitUntil(
        [&] {
            for (HWND tip : TopLevelWindowsOfClass("tooltips_class32")) {
                char text[128] = {};
                // GetWindowTextA would read only the caption kept by the system;
                // the control answers WM_GETTEXT with the tip it shows.
                DWORD_PTR length = 0;
                if (IsWindowVisible(tip) &&
                    SendMessageTimeoutA(tip, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG,
                                        1000, &length) &&
                    length > 0) {
                    shown = text;
                }
            }
            return !shown.empty();
        },
        4000);
    return shown;
}

DWORD ChildProcessNamed(DWORD parent, const std::string& exeName) {
    win32::UniqueFileHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    if (!snapshot) return 0;
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot.get(), &entry); more; more = Process32Next(snapshot.get(), &entry)) {
        if (entry.th32ParentProcessID == parent && lstrcmpiA(entry.szExeFile, exeName.c_str()) == 0) {
            return entry.th32ProcessID;
        }
    }
    return 0;
}

std::vector<HWND> WindowsOfProcess(DWORD processId) {
    std::vector<HWND> owned;
    for (HWND parent : {HWND(nullptr), HWND_MESSAGE}) {
        for (HWND window = FindWindowExA(parent, nullptr, nullptr, nullptr); window != nullptr;
             window = FindWindowExA(parent, window, nullptr, nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == processId) owned.push_back(window);
        }
    }
    return owned;
}

}  // namespace ql::test
