#pragma once
// New GUIDs from the COM library.
#include "platform/GuidSource.h"

namespace ql::win32 {

class Win32GuidSource final : public GuidSource {
public:
    bool Generate(GuidValue& guid) override;
};

}  // namespace ql::win32
