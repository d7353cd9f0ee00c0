#pragma once
// The administrator's policies: values under HKLM\Software\Policies\Quorlan
// that override the settings file's while they are present.
#include <cstdint>

#include "settings/SettingKeys.h"

namespace ql {

class LogSink;
class Registry;

// Puts each policy value present and within its key's range into settings
// and returns one bit per key so set, in table order. A value out of range
// or of the wrong type is ignored with one log line naming it.
std::uint32_t ReadPolicies(Registry& registry, UserSettings& settings, LogSink* log);

}  // namespace ql
