#pragma once
// The release check. For now it checks nothing and records nothing, so the
// settings file keeps its release keys as they are.

namespace ql {

class TSetup;

inline void UpdateRelease(TSetup& /*setup*/) {}

}  // namespace ql
