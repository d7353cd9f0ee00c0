#pragma once
// Where the release check asks and where users are sent to upgrade: the
// one place these addresses live. Both are names under the reserved
// ".example" domain, so nothing leaves for a host nobody here controls
// unless an administrator names their own server in the settings file.
#include <cstdint>

namespace ql {

constexpr const char* kDefaultReleaseHost = "releases.quorlan.example";
constexpr std::uint16_t kDefaultReleasePort = 80;
constexpr const char* kVendorAddress = "www.quorlan.example";

// The value of the settings key ReleaseServer that switches the check off.
constexpr const char* kReleaseCheckOff = "off";

// What the link of the splash and about window opens.
constexpr const char* kVendorUrl = "http://www.quorlan.example/";

}  // namespace ql
