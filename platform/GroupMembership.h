#pragma once
// Whether the user this program runs as belongs to a group.

namespace ql {

enum class Membership { Member, NotMember, UnknownGroup };

class GroupMembership {
public:
    virtual ~GroupMembership() = default;
    // group: a name ("DOMAIN\\group", "Users") or a SID ("S-1-5-32-545").
    virtual Membership Of(const char* group) = 0;
};

}  // namespace ql
