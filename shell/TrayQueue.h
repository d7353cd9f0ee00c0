#pragma once
// The notification-area icon's request ring: other parts post state words
// and tips at any rate, and each 250 ms tick applies the oldest one, so a
// burst of changes is seen one after another; the ticks run only until the
// icon is at rest again. The icon itself (a shell call) stays with the
// caller; this class only says what it should show.
#include <cstddef>

#include "shell/TrayEvents.h"

namespace ql {

// What the tip says of a newer release: whether one is known, and its
// number. Both are kept by their owner and read whenever a tip is applied.
struct ReleaseNotice {
    const bool& available;
    const char* release;
};

class TrayQueue final : public TrayEvents {
public:
    static constexpr std::size_t kRingSize = 20;
    static constexpr std::size_t kTextCapacity = 100;  // 99 characters and the zero
    static constexpr std::size_t kTipCapacity = 64;    // 63 characters and the zero
    static constexpr std::size_t kBalloonCapacity = 256;  // the shell's balloon text: 255 and the zero

    explicit TrayQueue(ReleaseNotice notice) : m_notice(notice) {}

    // Queue a request. When the ring is full the oldest pending request is
    // dropped: the newest ones carry the truth (the latest count of sessions).
    void PostState(TrayImage image) override;
    void PostTip(const char* text) override;
    // The shell shows one balloon at a time: a newer one replaces one that
    // is still waiting. It bypasses the ring, whose flashing it would delay.
    void PostBalloon(const char* text) override;
    // Hands over the balloon waiting to be shown; false when there is none.
    bool TakeBalloon(char (&text)[kBalloonCapacity]);

    // One tick: applies the oldest pending request, or brings the resting
    // picture back when nothing is pending. True when the icon must be sent
    // to the shell again; false when it shows what it showed (a scan's tip
    // that names the same count), so the shell is not called for nothing.
    bool Animate();
    // Nothing pending, no balloon waiting and the resting picture shown: the
    // ticks may stop until the next request.
    bool AtRest() const;

    TrayImage Image() const { return m_image; }
    const char* Tip() const { return m_tip; }
    std::size_t Pending() const { return (m_write + kRingSize - m_read) % kRingSize; }

private:
    enum class RequestKind { None, State, Tip };
    struct Request {
        RequestKind kind = RequestKind::None;
        TrayImage image = TrayImage::Resting;
        char text[kTextCapacity] = {};  // the tip
    };

    Request& Push(RequestKind kind);
    bool ApplyTip(const char* text);  // true when the tip changed

    ReleaseNotice m_notice;
    std::size_t m_read = 0;   // ring position of the last request applied
    std::size_t m_write = 0;  // ring position of the last request posted
    Request m_requests[kRingSize];
    TrayImage m_image = TrayImage::Resting;
    char m_tip[kTipCapacity] = "Activity";
    char m_balloon[kBalloonCapacity] = {};
    bool m_balloonWaiting = false;
};

}  // namespace ql
