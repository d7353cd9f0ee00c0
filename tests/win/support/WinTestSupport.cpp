#include "WinTestSupport.h"


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

ChildProcess::ChildProcess(const std::string& commandLine, const std::string& workingDir) {
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    std::string mutableLine = commandLine;
    if (CreateProcessA(nullptr, mutableLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                       workingDir.empty() ? nullptr : workingDir.c_str(), &startup, &info)) {
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

ScratchFolder::~ScratchFolder() {
    // Remove the folder and whatever a test left in it (one level deep is enough
    // for everything the tests create, folders included).
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((m_path + "\\*").c_str(), &found);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = found.cFileName;
            if (name == "." || name == "..") continue;
            std::string full = m_path + "\\" + name;
            SetFileAttributesA(full.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveDirectoryA(full.c_str());
            } else {
                DeleteFileA(full.c_str());
            }
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    RemoveDirectoryA(m_path.c_str());
}

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

void WriteWholeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

std::string ClassNameOf(HWND window) {
    char name[256] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

namespace {

struct WindowSearch {
    std::string prefix;
    DWORD processId;
    std::vector<HWND> found;
};

// A named CALLBACK function: on x86 a lambda cannot convert to the
// __stdcall pointer EnumWindows takes.
BOOL CALLBACK CollectWindowOfClass(HWND window, LPARAM context) {
    auto& s = *reinterpret_cast<WindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (s.processId != 0 && owner != s.processId) return TRUE;
    std::string name = ClassNameOf(window);
    if (name.size() >= s.prefix.size() && _strnicmp(name.c_str(), s.prefix.c_str(), s.prefix.size()) == 0) {
        s.found.push_back(window);
    }
    return TRUE;
}

}  // namespace

std::vector<HWND> TopLevelWindowsOfClass(const std::string& prefix, DWORD processId) {
    WindowSearch search{prefix, processId, {}};
    EnumWindows(CollectWindowOfClass, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace ql::test
