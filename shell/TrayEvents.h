#pragma once
// Requests to the notification-area icon, queued and shown one per tick.

namespace ql {

namespace tray {
constexpr int kState = 1;  // text is a state word below
constexpr int kTip = 2;    // text is the new tip
constexpr const char* kScanning = "ACTUALIZANDO";
constexpr const char* kNewSession = "NUEVO";
constexpr const char* kClosing = "CERRANDO";
}  // namespace tray

class TrayEvents {
public:
    virtual ~TrayEvents() = default;
    // Queues a request; never waits and never fails.
    virtual void PostEvent(int kind, const char* text) = 0;
    // Asks for a balloon notification from the icon with this text, in place
    // of one not yet shown; an empty text takes the showing balloon down.
    virtual void PostBalloon(const char* text) = 0;
};

}  // namespace ql
