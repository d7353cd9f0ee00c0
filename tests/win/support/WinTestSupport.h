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

// What a started program gets beyond its command line; empty: what the test
// process has. Wine's debug channels (for example "+eventlog"; the traces go
// where WineTraces below reads them) and the desktop it runs on (a Wine
// virtual desktop made by "explorer /desktop=NAME,WxH").
struct ChildEnvironment {
    std::string wineDebug;
    std::string desktop;
};

// Wine's traces of the programs this test starts, when the Wine runner was
// told to keep them (QL_WINE_STDERR): what was written since the object was made.
class WineTraces {
public:
    WineTraces();
    bool Kept() const { return !m_path.empty(); }
    std::string Read() const;
    // The lines holding a mark (":eventlog:ReportEventW L" of any class), each
    // from just after that mark.
    std::vector<std::string> Lines(const std::string& mark) const;

private:
    std::string m_path;
    std::size_t m_start = 0;
};

// A started program; ended when destroyed if it is still running.
class ChildProcess {
public:
    ChildProcess(const std::string& commandLine, const std::string& workingDir = "",
                 const ChildEnvironment& environment = {});
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
// The first of those that is visible, or null.
HWND VisibleWindowOfClass(const std::string& prefix, DWORD processId = 0);

std::string ClassNameOf(HWND window);

// A running process of that file name (any letter case) started by parent;
// 0 when there is none.
DWORD ChildProcessNamed(DWORD parent, const std::string& exeName);
// The windows, top-level and message-only, that a process owns.
std::vector<HWND> WindowsOfProcess(DWORD processId);

// Brings target to the front and presses and releases one key there.
// Brings the window to the foreground and waits (bounded) until it is there.
bool BringForward(HWND target);
// A key pressed and released in the window, once it is in the foreground.
void PressKey(HWND target, BYTE key);
// Real input, as a user's mouse gives it: the pointer moved to a point of
// the screen, then the button pressed and released, times over.
void ClickAt(POINT at, DWORD downFlag = MOUSEEVENTF_LEFTDOWN, DWORD upFlag = MOUSEEVENTF_LEFTUP, int times = 1);
// Real key presses, each pressed and released in turn, to whatever has the
// keyboard focus.
void TypeKeys(const std::vector<WORD>& keys);

}  // namespace ql::test

namespace ql::test {

// Waits until the file exists and holds text.
bool WaitForFileText(const std::string& path, const std::string& text, DWORD timeoutMs);
// How often part occurs in text.
int CountOf(const std::string& text, const std::string& part);
// Lines of a file, without their line ends.
std::vector<std::string> ReadLines(const std::string& path);

// Settings of a supervisor under test, as its ini file holds them.
struct SupervisorSettings {
    std::string program;
    int maxInact = 45;
    int maxSession = 0;
    bool closeKill = false;
    bool sendKeys = false;
    int keyGroup = 2;
    int warning = 0;  // written only when set
};
std::string IniText(const SupervisorSettings& settings);

// Copies the tray icons that ship beside the program into folder\Resource,
// where a program started in folder looks for them; returns folder's path.
const std::string& WithTrayIcons(const ScratchFolder& folder);

// Whether the shell holds a notification-area icon of this owner window and
// id: a modify with no flags succeeds only while it does.
bool TrayIconExists(HWND owner, DWORD id);
// The screen point of the first icon in the shell's tray window (without a
// virtual desktop, Wine shows the notification area as a window of its own).
bool FirstTrayIconPoint(POINT& at);
// The text of the tip the shell shows while the cursor rests on the icon at.
std::string TipShownAt(POINT at);

// The Quorlan.exe under test, started with folder as its working directory
// (given the tray icons unless told otherwise), and arguments when given.
class QuorlanProcess : public ChildProcess {
public:
    enum class Icons { Copied, Missing };
    explicit QuorlanProcess(const ScratchFolder& folder, const std::string& exe = BinPath("Quorlan.exe"),
                            Icons icons = Icons::Copied, const ChildEnvironment& environment = {},
                            const std::string& arguments = "")
        : ChildProcess("\"" + exe + "\"" + (arguments.empty() ? "" : " " + arguments),
                       icons == Icons::Copied ? WithTrayIcons(folder) : folder.Path(), environment) {}
    // Its hidden status window, once created.
    HWND StatusWindow(DWORD timeoutMs = 10000);
};

// A test program started with the given arguments, its events recorded in
// a file of the scratch folder.
class TestAppProcess : public ChildProcess {
public:
    TestAppProcess(const ScratchFolder& folder, const std::string& className, const std::string& arguments = "",
                   const ChildEnvironment& environment = {}, const std::string& exe = BinPath("TestApp.exe"));
    const std::string& RecordPath() const { return m_recordPath; }
    std::vector<std::string> Events() const;  // the recorded events, in order
    // The tick counts at which events beginning with prefix were recorded.
    std::vector<DWORD> EventTimes(const std::string& prefix) const;
    bool WaitForEvent(const std::string& prefix, DWORD timeoutMs) const;
    int CountEvents(const std::string& prefix) const;
    std::vector<HWND> Windows() const;
    const std::string& ClassName() const { return m_className; }

private:
    std::string m_className;
    std::string m_recordPath;
};

}  // namespace ql::test
