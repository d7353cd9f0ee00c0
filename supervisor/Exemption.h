#pragma once
// Users whom the administrator exempts from closing: members of a group the
// ExemptGroups policy names. Their sessions are tracked and counted in the
// usage record, never closed.
#include <string>

#include "platform/GroupMembership.h"
#include "settings/Setup.h"
#include "shell/LogSink.h"

namespace ql {

// The first group of the policy's list (names or SIDs separated by ';',
// blanks around each ignored) that the user belongs to; empty when none,
// or when the value comes from the settings file rather than the policy
// (users may write that file). Each group the system does not know is
// logged once.
std::string ExemptingGroup(const TSetup& setup, GroupMembership& membership, LogSink& log);

// At start-up: an exempt user's settings stop every closing, and the log
// says so once. True when exempt.
bool ApplyExemption(TSetup& setup, GroupMembership& membership, LogSink& log);

}  // namespace ql
