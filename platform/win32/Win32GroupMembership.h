#pragma once
// Group membership of this process's user, as its token says.
#include "platform/GroupMembership.h"

namespace ql::win32 {

class Win32GroupMembership final : public GroupMembership {
public:
    Membership Of(const char* group) override;
};

}  // namespace ql::win32
