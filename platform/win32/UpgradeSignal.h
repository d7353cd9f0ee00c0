#pragma once
// The upgrade signal: a machine-wide event that the installer raises before
// it replaces or removes the program's files, so that every running copy,
// in every log-on session, removes its hooks and ends as "Close" does. The
// installer keeps the supervised programs running (it asks none of them to
// close); files still mapped by them are replaced at the next restart.
//
// Only an event owned by the administrators or the system counts: a user
// who makes an event of that name first cannot end other users' copies.
#include <windows.h>

#include "platform/win32/UniqueHandle.h"

namespace ql::win32 {

constexpr char kUpgradeSignalName[] = "Global\\Quorlan.Upgrade";

// The installer's side: makes the event, owned by the administrators, and
// raises it. Null when that name is taken by an event someone else owns.
UniqueHandle RaiseUpgradeSignal();

// Whether an event is owned by the administrators or the system.
bool OwnedByAdministrators(HANDLE object);

// A running copy's side: whether an installer has raised the signal. The
// event exists only while an installer runs, so it is looked for, not
// waited on: the caller looks every few seconds (the installer waits up to
// 15 s for the copies to end), on a timer it runs anyway, so that no thread
// of its own sits in memory all the program's life for it.
bool UpgradeSignalRaised();

}  // namespace ql::win32
