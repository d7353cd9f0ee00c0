#include "keys/KeySender.h"

#include <algorithm>
#include <cstring>

#include "core/Text.h"
#include "keys/ActivateWindow.h"

namespace ql {

namespace {

constexpr std::uint8_t kVkReturn = 13;
constexpr std::uint8_t kVkShift = 16;
constexpr std::uint8_t kVkControl = 17;
constexpr std::uint8_t kVkMenu = 18;
constexpr std::uint8_t kVkLeftWin = 91;
constexpr std::uint8_t kVkNumLock = 144;
constexpr std::uint8_t kNumLockScanCode = 0x45;

// The modifiers a key word's shift state asks for, in pressing order.
struct NeededModifier {
    unsigned Bit;
    std::uint8_t VirtualKey;
};
constexpr NeededModifier kNeededModifiers[] = {
    {shiftstate::kShift, kVkShift},
    {shiftstate::kCtrl, kVkControl},
    {shiftstate::kAlt, kVkMenu},
};

// GetVersion: top bit set on the Windows 95 family; minor version in bits 8-15.
constexpr std::uint32_t kNot95FamilyBit = 0x80000000u;
bool IsNtFamily(std::uint32_t version) { return (version & kNot95FamilyBit) == 0; }
unsigned MinorVersion(std::uint32_t version) { return (version >> 8) & 0xFFu; }

// What follows a command keyword and one separator character; never past
// the end of a text that holds the keyword alone.
const char* ArgumentsAfter(const char* text, std::size_t keywordLength) {
    const char* rest = text + keywordLength;
    return *rest == '\0' ? rest : rest + 1;
}

// The count after a key name: none means once, otherwise the number (no
// digits read as 0), cut to 0..kMaxRepeat.
int RepeatCountOf(const char* rest) {
    while (*rest == ' ') ++rest;
    if (*rest == '\0') return 1;
    return std::clamp<int>(ParseLeadingInt(rest), 0, KeySender::kMaxRepeat);
}

}  // namespace

KeySender::KeySender(Keyboard& keyboard, Desktop& desktop) : m_keyboard(keyboard), m_desktop(desktop) {}

bool KeySender::Run(const char* script, bool pumpMessages) {
    m_pumpMessages = pumpMessages;
    m_inGroup = false;
    m_shiftHeld = m_altHeld = m_ctrlHeld = m_winHeld = false;

    const char* next = script != nullptr ? script : "";
    while (next != nullptr && *next != '\0') {
        const char character = *next++;
        switch (character) {
        case '+': PressHeldModifier(m_shiftHeld, kVkShift); break;
        case '^': PressHeldModifier(m_ctrlHeld, kVkControl); break;
        case '%': PressHeldModifier(m_altHeld, kVkMenu); break;
        case '@': PressHeldModifier(m_winHeld, kVkLeftWin); break;
        case '(': m_inGroup = true; break;
        case ')':
            m_inGroup = false;
            ReleaseHeldModifiers();
            break;
        case '~':
            SendKey(kVkReturn, 1, Release::Yes, Delay::No);
            ReleaseHeldModifiers();
            break;
        case '[': next = RunBracket(next); break;
        default: SendWord(m_keyboard.KeyWordOf(character), 1); break;
        }
    }
    // Also after an over-long bracket: no modifier may stay down, not even in an open group.
    m_inGroup = false;
    ReleaseHeldModifiers();
    return next != nullptr;
}

void KeySender::PressHeldModifier(bool& held, std::uint8_t virtualKey) {
    held = true;
    SendKey(virtualKey, 1, Release::No, Delay::No);
}

const char* KeySender::RunBracket(const char* text) {
    std::size_t length = 0;
    while (text[length] != '\0' && text[length] != ']') {
        if (++length > kMaxBracketText) return nullptr;
    }
    char bracket[kMaxBracketText + 1];
    std::memcpy(bracket, text, length);
    bracket[length] = '\0';
    RunBracketCommand(bracket);
    return text[length] == ']' ? text + length + 1 : text + length;
}

void KeySender::RunBracketCommand(char* text) {
    if (StartsWithNoCase(text, "VKEY")) {
        SendWord(static_cast<KeyWord>(ParseLeadingInt(text + 4)), 1);
    } else if (StartsWithNoCase(text, "BEEP")) {
        Beep(ArgumentsAfter(text, 4));
    } else if (StartsWithNoCase(text, "APPACTIVATE")) {
        ActivateWindowByTitle(m_desktop, ArgumentsAfter(text, 11));
    } else if (StartsWithNoCase(text, "DELAY")) {
        if (text[5] == '=') {
            m_defaultDelay = ParseLeadingInt(text + 6);
        } else {
            m_pendingDelay = ParseLeadingInt(text + 5);
        }
    } else {
        SendNamedKey(text);
    }
}

void KeySender::SendNamedKey(char* text) {
    char* blank = std::strchr(text, ' ');
    const int count = blank != nullptr ? RepeatCountOf(blank + 1) : 1;
    if (blank != nullptr) *blank = '\0';
    const KeyName* entry = FindKeyName(text);
    if (entry == nullptr) return;
    SendWord(entry->IsCharacter ? m_keyboard.KeyWordOf(static_cast<char>(entry->Code)) : KeyWord{entry->Code}, count);
}

void KeySender::Beep(const char* arguments) {
    const char* blank = std::strchr(arguments, ' ');
    if (blank == nullptr) return;
    const std::int32_t frequency = blank == arguments ? 0 : ParseLeadingInt(arguments);
    const std::int32_t duration = ParseLeadingInt(blank + 1);
    if (frequency <= 0 || duration <= 0) return;
    m_keyboard.Beep(static_cast<unsigned>(frequency), static_cast<unsigned>(std::min(duration, kMaxPauseMs)));
}

void KeySender::SendWord(KeyWord word, int count) {
    if (word == kNoKey) return;
    SendKeyWord(word, count);
    ReleaseHeldModifiers();
}

void KeySender::SendKey(std::uint8_t virtualKey, int count, Release release, Delay delay) {
    if (virtualKey == kVkNumLock) {
        SendNumLock(count, delay);
        return;
    }
    const auto scanCode = static_cast<std::uint8_t>(m_keyboard.ScanCodeOf(virtualKey));
    const std::uint32_t pressFlags = IsExtendedKey(virtualKey) ? keyflag::kExtended : 0;
    for (int stroke = 0; stroke < count; ++stroke) {
        if (delay == Delay::Yes) ApplyDelay();
        m_keyboard.KeyEvent(virtualKey, scanCode, pressFlags);
        AfterKeyEvent();
        if (release == Release::Yes) {
            m_keyboard.KeyEvent(virtualKey, scanCode, keyflag::kExtended | keyflag::kKeyUp);
            AfterKeyEvent();
        }
    }
}

void KeySender::SendNumLock(int count, Delay delay) {
    const std::uint32_t version = m_keyboard.PlatformVersion();
    for (int stroke = 0; stroke < count; ++stroke) {
        if (delay == Delay::Yes) ApplyDelay();
        if (IsNtFamily(version)) {
            m_keyboard.KeyEvent(kVkNumLock, kNumLockScanCode, keyflag::kExtended);
            m_keyboard.KeyEvent(kVkNumLock, kNumLockScanCode, keyflag::kExtended | keyflag::kKeyUp);
        } else if (MinorVersion(version) < 10) {
            FlipNumLockState();
        } else {
            m_keyboard.InputEvent(kVkNumLock, 0);
            m_keyboard.InputEvent(kVkNumLock, keyflag::kKeyUp);
        }
    }
}

void KeySender::FlipNumLockState() {
    const bool numLockOn = (m_keyboard.KeyState(kVkNumLock) & 1) != 0;
    std::uint8_t state[256] = {};
    if (!m_keyboard.ReadKeyboardState(state)) return;
    state[kVkNumLock] = static_cast<std::uint8_t>(numLockOn ? state[kVkNumLock] & ~1u : state[kVkNumLock] | 1u);
    m_keyboard.WriteKeyboardState(state);
}

void KeySender::ReleaseKey(std::uint8_t virtualKey) {
    const auto scanCode = static_cast<std::uint8_t>(m_keyboard.ScanCodeOf(virtualKey));
    const std::uint32_t extended = IsExtendedKey(virtualKey) ? keyflag::kExtended : 0;
    m_keyboard.KeyEvent(virtualKey, scanCode, keyflag::kKeyUp | extended);
    AfterKeyEvent();
}

void KeySender::SendKeyWord(KeyWord word, int count) {
    if (count <= 0) return;
    const unsigned shiftState = ShiftStateOf(word);
    for (const NeededModifier& modifier : kNeededModifiers) {
        if (shiftState & modifier.Bit) SendKey(modifier.VirtualKey, 1, Release::No, Delay::No);
    }
    SendKey(KeyCodeOf(word), count, Release::Yes, Delay::Yes);
    for (const NeededModifier& modifier : kNeededModifiers) {
        if (shiftState & modifier.Bit) ReleaseKey(modifier.VirtualKey);
    }
}

void KeySender::ReleaseHeldModifiers() {
    if (m_inGroup) return;
    if (m_shiftHeld) ReleaseKey(kVkShift);
    if (m_ctrlHeld) ReleaseKey(kVkControl);
    if (m_altHeld) ReleaseKey(kVkMenu);
    if (m_winHeld) ReleaseKey(kVkLeftWin);
    m_shiftHeld = m_altHeld = m_ctrlHeld = m_winHeld = false;
}

void KeySender::ApplyDelay() {
    // A negative delay means no pause; a pending one also skips the default once.
    const std::int32_t delay = m_pendingDelay != 0 ? m_pendingDelay : m_defaultDelay;
    m_pendingDelay = 0;
    if (delay > 0) m_keyboard.Pause(static_cast<unsigned>(std::min(delay, kMaxPauseMs)));
}

void KeySender::AfterKeyEvent() {
    if (m_pumpMessages) m_keyboard.PumpKeyboardMessages();
}

void KeySender::LetKeysArrive() { m_keyboard.Pause(kKeysArriveMs); }

}  // namespace ql
