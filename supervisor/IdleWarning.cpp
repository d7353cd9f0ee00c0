#include "supervisor/IdleWarning.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/Text.h"
#include "keys/ActivateWindow.h"
#include "settings/Setup.h"

namespace ql {

namespace {

constexpr std::size_t kBalloonTitleLongest = 60;  // a longer title is cut and ends in "..."
constexpr const char* kCutMark = "...";

std::string QuotedTitle(const char* title) {
    std::string text(title, strnlen(title, kRecordedTitleCapacity));
    if (text.size() > kBalloonTitleLongest) text = text.substr(0, kBalloonTitleLongest - 3) + kCutMark;
    return "\"" + text + "\"";
}

std::string ClosingPhrase(std::size_t count, int seconds) {
    return std::string(count == 1 ? " closes" : " close") + " in " + std::to_string(seconds) + " s unless " +
           (count == 1 ? "it is" : "they are") + " used.";
}

}  // namespace

void FormatWarningText(const char* const* titles, std::size_t count, int seconds,
                       char (&text)[kBalloonTextCapacity]) {
    const std::string phrase = ClosingPhrase(count, seconds);
    const std::size_t room = sizeof text - 1;
    // Room kept for the count of titles left out, should any be.
    const std::string longestRest = " and " + std::to_string(count) + " more";
    std::string names;
    std::size_t named = 0;
    for (; named < count; ++named) {
        const std::string quoted = QuotedTitle(titles[named]);
        const bool last = named + 1 == count;
        const std::string joined = named == 0 ? quoted : (last ? " and " : ", ") + quoted;
        const std::size_t after = names.size() + joined.size() + phrase.size() + (last ? 0 : longestRest.size());
        if (after > room) break;
        names += joined;
    }
    if (named < count) names += " and " + std::to_string(count - named) + " more";
    CopyText(text, (names + phrase).c_str());
}

int IdleWarning::WarnAt() const {
    if (m_setup.Warning <= 0 || m_setup.Warning >= m_setup.MaxInact) return 0;
    return m_setup.MaxInact - m_setup.Warning;
}

void IdleWarning::Aged(int slot) {
    TSessionEntry& entry = m_sessions[slot];
    const int warnAt = WarnAt();
    // Below the mark the session is in a new idle stretch (its count began
    // again after a closing sequence), and may be warned again.
    if (warnAt == 0 || entry.IdleSecs < warnAt) {
        entry.Warned = false;
        return;
    }
    if (entry.Warned || entry.IdleSecs >= m_setup.MaxInact) return;
    entry.Warned = true;
    m_due[static_cast<std::size_t>(slot)] = true;
}

void IdleWarning::Used(int slot) {
    TSessionEntry& entry = m_sessions[slot];
    const auto index = static_cast<std::size_t>(slot);
    m_due[index] = false;
    if (!entry.Warned) return;
    entry.Warned = false;
    m_audit.WarningWithdrawn(slot);
    if (!InBalloon(slot)) return;
    m_inBalloon[index] = 0;
    if (AnyInBalloon()) {
        std::array<bool, kSessionSlots> still{};
        for (int other = 0; other < kSessionSlots; ++other) still[static_cast<std::size_t>(other)] = InBalloon(other);
        ShowBalloonFor(still);
    } else {
        m_tray.PostBalloon("");
    }
}

void IdleWarning::ShowDue() {
    if (std::none_of(m_due.begin(), m_due.end(), [](bool due) { return due; })) return;
    // Sessions warned earlier whose balloon still shows keep their place in it.
    std::array<bool, kSessionSlots> named = m_due;
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        const auto index = static_cast<std::size_t>(slot);
        if (InBalloon(slot) && m_sessions[slot].Warned) named[index] = true;
    }
    ShowBalloonFor(named);
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        if (m_due[static_cast<std::size_t>(slot)]) m_audit.WarningShown(slot, m_balloonText);
    }
    m_due.fill(false);
}

void IdleWarning::ShowBalloonFor(const std::array<bool, kSessionSlots>& slots) {
    const char* titles[kSessionSlots];
    std::size_t count = 0;
    int seconds = m_setup.Warning;
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        if (!slots[static_cast<std::size_t>(slot)]) continue;
        titles[count++] = m_audit.TitleOf(slot);
        seconds = std::min(seconds, m_setup.MaxInact - m_sessions[slot].IdleSecs);
    }
    FormatWarningText(titles, count, seconds, m_balloonText);
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        const auto index = static_cast<std::size_t>(slot);
        m_inBalloon[index] = slots[index] ? m_sessions[slot].Window : 0;
    }
    m_tray.PostBalloon(m_balloonText);
}

bool IdleWarning::AnyInBalloon() const {
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        if (InBalloon(slot)) return true;
    }
    return false;
}

bool IdleWarning::InBalloon(int slot) const {
    const WindowId named = m_inBalloon[static_cast<std::size_t>(slot)];
    return named != 0 && named == m_sessions[slot].Window;
}

// The balloon says "unless it is used": a click on it is use of every
// session it names, whether or not its closing has begun since.
void IdleWarning::BalloonClicked(FunctionRef<void(int slot)> used) {
    WindowId first = 0;
    for (int slot = 0; slot < kSessionSlots; ++slot) {
        if (!InBalloon(slot)) continue;
        used(slot);
        if (first == 0) first = m_sessions[slot].Window;
    }
    if (first != 0) ActivateWindow(m_desktop, first);
}

}  // namespace ql
