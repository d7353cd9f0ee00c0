#pragma once
// The single-instance rule: how many processes run from "Quorlan.exe".
#include "platform/Processes.h"

namespace ql {

// Counts running processes of the caller's own log-on session whose
// executable name begins with "Quorlan.exe" (letter case aside); the caller
// counts itself. False when the process list could not be read, in which
// case count is left alone.
bool CountInstances(ProcessList& processes, int& count);

}  // namespace ql
