#pragma once
// A user's token in memory: the groups it holds, by name or SID, and the
// names the system would not know.
#include <set>
#include <string>

#include "platform/GroupMembership.h"
#include "tests/fakes/NoCaseLess.h"

namespace ql::test {

class FakeGroupMembership final : public GroupMembership {
public:
    std::set<std::string, NoCaseLess> memberOf;
    std::set<std::string, NoCaseLess> unknown;
    int asked = 0;

    Membership Of(const char* group) override {
        ++asked;
        if (unknown.count(group) != 0) return Membership::UnknownGroup;
        return memberOf.count(group) != 0 ? Membership::Member : Membership::NotMember;
    }
};

}  // namespace ql::test
