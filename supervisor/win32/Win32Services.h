#pragma once
// The real operating-system services the supervisor runs on.
#include "platform/win32/Win32Clock.h"
#include "platform/win32/Win32CompanionHost.h"
#include "platform/win32/Win32Desktop.h"
#include "platform/win32/Win32EventLog.h"
#include "platform/win32/Win32FileSystem.h"
#include "platform/win32/Win32GroupMembership.h"
#include "platform/win32/Win32GuidSource.h"
#include "platform/win32/Win32HookLibrary.h"
#include "platform/win32/Win32HttpClient.h"
#include "platform/win32/Win32Keyboard.h"
#include "platform/win32/Win32Processes.h"
#include "platform/win32/Win32ProfileStore.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/Win32WindowEvents.h"
#include "shell/LogFile.h"
#include "usage/UsageRecord.h"

namespace ql::win32 {

struct Win32Services {
    Win32Desktop desktop;
    Win32HookLibrary hookLibrary;
    Win32CompanionHost companion;
    Win32HttpClient http;
    Win32ProcessList processList;
    Win32ProcessControl processes;
    Win32Keyboard keyboard;
    Win32FileSystem files;
    Win32Clock clock;
    Win32ProfileStore profile;
    Win32GuidSource guids;
    Win32Registry registry;
    Win32EventLog events;
    Win32GroupMembership groups;
    Win32WindowEvents windowEvents;
    LogFile log{files, clock};
    UsageRecord usageRecord{files, log};
};

}  // namespace ql::win32
