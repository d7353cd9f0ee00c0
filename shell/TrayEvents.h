#pragma once
// Requests to the notification-area icon, queued and shown one per tick.

namespace ql {

// The four pictures the icon flashes between.
enum class TrayImage { Resting, Scanning, Closing, NewSession };

class TrayEvents {
public:
    virtual ~TrayEvents() = default;
    // Queue a request; they never wait and never fail.
    virtual void PostState(TrayImage image) = 0;
    virtual void PostTip(const char* text) = 0;
    // Asks for a balloon notification from the icon with this text, in place
    // of one not yet shown; an empty text takes the showing balloon down.
    virtual void PostBalloon(const char* text) = 0;
};

}  // namespace ql
