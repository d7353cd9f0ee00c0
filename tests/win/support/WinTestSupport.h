#pragma once
// Helpers of the Windows-side tests: child processes, scratch folders,
// waiting with a pumped message queue, and finding windows.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/win32/UniqueHandle.h"

namespace ql::test {

// Folder of the running test executable; the programs under test sit beside it.
std::string BinDir();
std::string BinPath(const std::string& fileName);

// Pumps this thread's messages until done() is true or the time is up.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs);
// Pumps this thread's messages for the given time.
void PumpFor(DWORD milliseconds);

// A started program; ended when destroyed if it is still running.
class ChildProcess {
public:
    ChildProcess(const std::string& commandLine, const std::string& workingDir = "");
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    bool Started() const { return static_cast<bool>(m_process); }
    DWORD Id() const { return m_id; }
    HANDLE Handle() const { return m_process.get(); }
    bool WaitForExit(DWORD timeoutMs);
    bool Running();
    DWORD ExitCode();
    void Terminate();

private:
    win32::UniqueHandle m_process;
    DWORD m_id = 0;
};

// A fresh, empty folder under the temporary folder; removed when destroyed.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& name) const { return m_path + "\\" + name; }
    std::string Read(const std::string& name) const;
    bool Exists(const std::string& name) const;
    void Write(const std::string& name, const std::string& content) const;

private:
    std::string m_path;
};

std::string ReadWholeFile(const std::string& path);
void WriteWholeFile(const std::string& path, const std::string& content);

// Top-level windows whose class name begins with prefix (any letter case),
// optionally only those of one process.
std::vector<HWND> TopLevelWindowsOfClass(const std::string& prefix, DWORD processId = 0);

std::string ClassNameOf(HWND window);

}  // namespace ql::test
