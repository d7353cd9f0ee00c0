#pragma once
// Types a key script into whatever window has the keyboard focus.
//
// The language: plain characters are typed through the keyboard layout;
// "+", "^", "%" and "@" hold Shift, Ctrl, Alt and the left Windows key for
// the next key, or for a whole group "( ... )"; "~" is Enter; square brackets
// hold a key name ("[Esc]", "[Tab 3]" with a repeat count) or one of the
// commands VKEY n, BEEP hz ms, DELAY n, DELAY=n and APPACTIVATE title.
#include <cstddef>
#include <cstdint>

#include "keys/KeyNames.h"
#include "platform/Desktop.h"
#include "platform/Keyboard.h"

namespace ql {

class KeySender {
public:
    // A repeat count after a key name is cut to this many strokes.
    static constexpr int kMaxRepeat = 100;
    // No single pause or beep blocks the thread longer than this.
    static constexpr std::int32_t kMaxPauseMs = 60000;
    // A bracket may hold this many characters; a longer one stops the run.
    static constexpr std::size_t kMaxBracketText = 299;
    // Time a program is given to take the keys sent to it (LetKeysArrive).
    static constexpr unsigned kKeysArriveMs = 150;

    // Both delays start at 0.
    KeySender(Keyboard& keyboard, Desktop& desktop);

    // Sends the script. False when it stopped on a bracket that is too long,
    // true when it was read to its end. Held modifiers are always released
    // before it returns; the delays carry over to the next run.
    bool Run(const char* script, bool pumpMessages);
    // Gives the receiving program time to take the keys just sent from its
    // queue: they go to whatever window has the focus when it does.
    void LetKeysArrive();

    std::int32_t DefaultDelay() const { return m_defaultDelay; }
    std::int32_t PendingDelay() const { return m_pendingDelay; }

private:
    enum class Release : bool { No, Yes };
    enum class Delay : bool { No, Yes };

    void PressHeldModifier(bool& held, std::uint8_t virtualKey);
    // Reads the bracket that starts after "["; returns where reading goes on,
    // or null when the bracket text is too long.
    const char* RunBracket(const char* text);
    // The text is the sender's own copy of the bracket, cut up in place.
    void RunBracketCommand(char* text);
    void SendNamedKey(char* text);
    void Beep(const char* arguments);
    // Types one key word, then lets go of the held modifiers.
    void SendWord(KeyWord word, int count);

    void SendKey(std::uint8_t virtualKey, int count, Release release, Delay delay);
    void SendNumLock(int count, Delay delay);
    void FlipNumLockState();
    void ReleaseKey(std::uint8_t virtualKey);
    void SendKeyWord(KeyWord word, int count);
    void ReleaseHeldModifiers();
    void ApplyDelay();
    void AfterKeyEvent();

    Keyboard& m_keyboard;
    Desktop& m_desktop;
    bool m_pumpMessages = false;
    bool m_inGroup = false;
    bool m_shiftHeld = false;
    bool m_altHeld = false;
    bool m_ctrlHeld = false;
    bool m_winHeld = false;
    std::int32_t m_defaultDelay = 0;
    std::int32_t m_pendingDelay = 0;
};

}  // namespace ql
