#pragma once
// The splash and about window. For now a placeholder that shows nothing;
// the window itself takes this class's place later.
#include "supervisor/StartUp.h"

namespace ql::win32 {

class TFMInicio {
public:
    TFMInicio(const char* /*versionText*/, SplashMode /*mode*/) {}
    void Show() {}
    void ShowModal() {}
};

}  // namespace ql::win32
