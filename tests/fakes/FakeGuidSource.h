#pragma once
// Hands out the GUIDs it was given, in order; fails once they run out.
#include <deque>

#include "platform/GuidSource.h"

namespace ql::test {

class FakeGuidSource final : public GuidSource {
public:
    bool Generate(GuidValue& guid) override {
        ++m_calls;
        if (m_queued.empty()) return false;
        guid = m_queued.front();
        m_queued.pop_front();
        return true;
    }

    void Queue(const GuidValue& guid) { m_queued.push_back(guid); }
    int Calls() const { return m_calls; }

private:
    std::deque<GuidValue> m_queued;
    int m_calls = 0;
};

}  // namespace ql::test
