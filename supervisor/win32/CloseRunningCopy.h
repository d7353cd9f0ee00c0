#pragma once
// "Quorlan.exe /close": asks the copy running in this log-on session to end
// as the menu's "Close" does, and waits for it to be gone.
namespace ql::win32 {

// One of the kCloseExit codes of supervisor/CommandLine.h.
int CloseRunningCopy();

}  // namespace ql::win32
