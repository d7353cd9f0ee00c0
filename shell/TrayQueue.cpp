#include "shell/TrayQueue.h"

#include <cstdio>
#include <cstring>

#include "core/Text.h"

namespace ql {

void TrayQueue::PostState(TrayImage image) { Push(RequestKind::State).image = image; }

void TrayQueue::PostTip(const char* text) { CopyText(Push(RequestKind::Tip).text, text); }

TrayQueue::Request& TrayQueue::Push(RequestKind kind) {
    m_write = (m_write + 1) % kRingSize;
    if (m_write == m_read) {
        // Full: the entry about to be reused is the oldest pending one.
        m_read = (m_read + 1) % kRingSize;
    }
    Request& request = m_requests[m_write];
    request.kind = kind;
    return request;
}

void TrayQueue::PostBalloon(const char* text) {
    CopyText(m_balloon, text);
    m_balloonWaiting = true;
}

bool TrayQueue::TakeBalloon(char (&text)[kBalloonCapacity]) {
    if (!m_balloonWaiting) return false;
    m_balloonWaiting = false;
    CopyText(text, m_balloon);
    return true;
}

bool TrayQueue::Animate() {
    if (m_read == m_write) {
        if (m_image == TrayImage::Resting) return false;
        m_image = TrayImage::Resting;
        return true;
    }
    m_read = (m_read + 1) % kRingSize;
    Request& request = m_requests[m_read];
    bool changed = false;
    if (request.kind == RequestKind::State) {
        changed = request.image != m_image;
        m_image = request.image;
    }
    if (request.kind == RequestKind::Tip) changed = ApplyTip(request.text);
    request.kind = RequestKind::None;
    return changed;
}

bool TrayQueue::AtRest() const { return m_read == m_write && !m_balloonWaiting && m_image == TrayImage::Resting; }

bool TrayQueue::ApplyTip(const char* text) {
    char composed[256];
    if (m_notice.available) {
        std::snprintf(composed, sizeof composed, "%s\nNew Release %s Available", text, m_notice.release);
        text = composed;
    }
    char tip[kTipCapacity];
    CopyText(tip, text);
    if (std::strcmp(tip, m_tip) == 0) return false;
    CopyText(m_tip, tip);
    return true;
}

}  // namespace ql
