#include "shell/TrayQueue.h"

#include <cstdio>
#include <cstring>

#include "core/Text.h"
#include "settings/Setup.h"

namespace ql {

TrayQueue::TrayQueue(const TSetup& setup) : m_setup(setup) {}

void TrayQueue::PostEvent(int kind, const char* text) {
    m_write = (m_write + 1) % kRingSize;
    if (m_write == m_read) {
        // Full: the entry about to be reused is the oldest pending one.
        m_read = (m_read + 1) % kRingSize;
    }
    Request& request = m_requests[m_write];
    request.kind = kind;
    CopyText(request.text, text);
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
    if (request.kind == tray::kState) ApplyState(request.text);
    if (request.kind == tray::kTip) ApplyTip(request.text);
    request.kind = 0;
    return true;
}

void TrayQueue::ApplyState(const char* word) {
    if (std::strcmp(word, tray::kScanning) == 0) m_image = TrayImage::Scanning;
    if (std::strcmp(word, tray::kClosing) == 0) m_image = TrayImage::Closing;
    if (std::strcmp(word, tray::kNewSession) == 0) m_image = TrayImage::NewSession;
}

void TrayQueue::ApplyTip(const char* text) {
    if (!m_setup.Upgrade) {
        CopyText(m_tip, text);
        return;
    }
    char composed[256];
    std::snprintf(composed, sizeof composed, "%s\nNew Release %s Available", text, m_setup.ActRelease);
    CopyText(m_tip, composed);
}

}  // namespace ql
