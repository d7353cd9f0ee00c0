#include "supervisor/OtherWindows.h"

#include <algorithm>

namespace ql {

void OtherWindows::Clear() {
    m_count = 0;
    m_nextCount = 0;
}

void OtherWindows::EndScan() {
    std::sort(m_next.begin(), m_next.begin() + m_nextCount);
    std::copy(m_next.begin(), m_next.begin() + m_nextCount, m_known.begin());
    m_count = m_nextCount;
    m_nextCount = 0;
}

bool OtherWindows::Recall(WindowId window) {
    if (!std::binary_search(m_known.begin(), m_known.begin() + m_count, window)) return false;
    Remember(window);
    return true;
}

void OtherWindows::Remember(WindowId window) {
    if (m_nextCount < kCapacity) m_next[m_nextCount++] = window;
}

}  // namespace ql
