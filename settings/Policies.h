#pragma once
// The administrator's policies: values under HKLM\Software\Policies\Quorlan
// that override the settings file's while they are present.
#include <cstdint>

#include "settings/SettingKeys.h"

namespace ql {

class LogSink;
class Registry;

// Puts each policy value present into settings and returns one bit per key
// so set, in table order. A number or flag out of range or of the wrong type
// enforces the key's safest value instead; a text that cannot be used is
// ignored. Either is logged once, naming the value.
std::uint32_t ReadPolicies(Registry& registry, UserSettings& settings, LogSink* log);

}  // namespace ql
