#pragma once
// How the splash window shows itself: briefly at start-up, longer while the
// release check runs, or as the about box that stays until it is closed.

namespace ql {

enum class SplashMode { Plain = 0, ReleaseCheck = 1, About = 3 };

}  // namespace ql
