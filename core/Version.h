#pragma once
// The running release, as the release check sends it and the windows show it.

namespace ql {

constexpr const char* kVersionText = "00.55.00";
constexpr const char* kVersionDisplayText = "00.55.00 Beta";

}  // namespace ql
