#pragma once
// Orders file paths the way the file system matches them: without regard to case.
#include <string>

#include "core/Text.h"

namespace ql::test {

struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const {
        return CompareNoCase(a.c_str(), b.c_str(), (a.size() > b.size() ? a.size() : b.size()) + 1) < 0;
    }
};

}  // namespace ql::test
