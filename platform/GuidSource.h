#pragma once
// New globally unique identifiers.
#include <cstdint>

namespace ql {

struct GuidValue {
    std::uint32_t data1 = 0;
    std::uint16_t data2 = 0, data3 = 0;
    std::uint8_t data4[8] = {};
};

class GuidSource {
public:
    virtual ~GuidSource() = default;
    virtual bool Generate(GuidValue& guid) = 0;
};

}  // namespace ql
