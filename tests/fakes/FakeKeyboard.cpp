#include "tests/fakes/FakeKeyboard.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace ql::test {

namespace {

constexpr std::uint16_t kNoKey = 0xFFFF;
constexpr std::uint16_t kShifted = 0x100;
constexpr std::uint8_t kDown = 0x80;
constexpr std::uint8_t kToggled = 0x01;

std::size_t Index(char character) { return static_cast<unsigned char>(character); }

// The punctuation keys of a US keyboard: the plain and the shifted character.
struct PunctuationKey {
    char plain;
    char shifted;
    std::uint16_t virtualKey;
};
constexpr PunctuationKey kUsPunctuation[] = {
    {';', ':', 0xBA}, {'=', '+', 0xBB}, {',', '<', 0xBC}, {'-', '_', 0xBD}, {'.', '>', 0xBE},
    {'/', '?', 0xBF}, {'`', '~', 0xC0}, {'[', '{', 0xDB}, {'\\', '|', 0xDC}, {']', '}', 0xDD},
    {'\'', '"', 0xDE},
};
constexpr char kShiftedDigits[] = ")!@#$%^&*(";  // Shift with 0 to 9

// Set 1 scan codes of the keys the tests type most.
struct ScanCode {
    unsigned virtualKey;
    unsigned scanCode;
};
constexpr ScanCode kUsScanCodes[] = {
    {8, 0x0E},  {9, 0x0F},  {13, 0x1C}, {16, 0x2A}, {17, 0x1D}, {18, 0x38}, {27, 0x01}, {32, 0x39},
    {37, 0x4B}, {38, 0x48}, {39, 0x4D}, {40, 0x50}, {46, 0x53}, {65, 0x1E}, {66, 0x30}, {67, 0x2E},
    {91, 0x5B}, {98, 0x50}, {112, 0x3B}, {144, 0x45},
};

bool IsToggleKey(std::uint16_t virtualKey) { return virtualKey == 20 || virtualKey == 144 || virtualKey == 145; }

}  // namespace

FakeKeyboard::FakeKeyboard() {
    std::fill(std::begin(m_keyWords), std::end(m_keyWords), kNoKey);
    std::fill(std::begin(m_scanCodes), std::end(m_scanCodes), 0u);
    for (char c = 'a'; c <= 'z'; ++c) m_keyWords[Index(c)] = static_cast<std::uint16_t>(c - 'a' + 'A');
    for (char c = 'A'; c <= 'Z'; ++c) m_keyWords[Index(c)] = static_cast<std::uint16_t>(kShifted | c);
    for (int digit = 0; digit <= 9; ++digit) {
        m_keyWords[Index(static_cast<char>('0' + digit))] = static_cast<std::uint16_t>('0' + digit);
        m_keyWords[Index(kShiftedDigits[digit])] = static_cast<std::uint16_t>(kShifted | ('0' + digit));
    }
    for (const PunctuationKey& key : kUsPunctuation) {
        m_keyWords[Index(key.plain)] = key.virtualKey;
        m_keyWords[Index(key.shifted)] = static_cast<std::uint16_t>(kShifted | key.virtualKey);
    }
    m_keyWords[Index(' ')] = 0x20;
    m_keyWords[Index('\t')] = 0x09;
    m_keyWords[Index('\r')] = 0x0D;
    m_keyWords[Index('\b')] = 0x08;
    for (const ScanCode& code : kUsScanCodes) m_scanCodes[code.virtualKey] = code.scanCode;
}

void FakeKeyboard::KeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, std::uint32_t flags) {
    Entry entry{Kind::KeyEvent};
    entry.virtualKey = virtualKey;
    entry.scanCode = scanCode;
    entry.flags = flags;
    m_log.push_back(entry);
    Track(virtualKey, flags);
    if (onKey) onKey(entry);
}

void FakeKeyboard::InputEvent(std::uint16_t virtualKey, std::uint32_t flags) {
    Entry entry{Kind::InputEvent};
    entry.virtualKey = virtualKey;
    entry.flags = flags;
    m_log.push_back(entry);
    Track(virtualKey, flags);
    if (onKey) onKey(entry);
}

void FakeKeyboard::Track(std::uint16_t virtualKey, std::uint32_t flags) {
    if (virtualKey > 255) return;
    std::uint8_t& key = m_state[virtualKey];
    if (flags & keyflag::kKeyUp) {
        key = static_cast<std::uint8_t>(key & ~kDown);
        return;
    }
    // A toggle key flips on its press, not on the repeats of a held key.
    if (IsToggleKey(virtualKey) && !(key & kDown)) key ^= kToggled;
    key |= kDown;
}

std::uint16_t FakeKeyboard::KeyWordOf(char character) { return m_keyWords[Index(character)]; }

unsigned FakeKeyboard::ScanCodeOf(unsigned virtualKey) { return virtualKey < 256 ? m_scanCodes[virtualKey] : 0; }

std::int16_t FakeKeyboard::KeyState(int virtualKey) {
    if (virtualKey < 0 || virtualKey > 255) return 0;
    const std::uint8_t key = m_state[virtualKey];
    return static_cast<std::int16_t>(((key & kDown) ? 0xFF80 : 0) | (key & kToggled));
}

bool FakeKeyboard::ReadKeyboardState(std::uint8_t (&state)[256]) {
    if (m_failStateReads) return false;
    std::memcpy(state, m_state, sizeof m_state);
    return true;
}

bool FakeKeyboard::WriteKeyboardState(const std::uint8_t (&state)[256]) {
    std::memcpy(m_state, state, sizeof m_state);
    ++m_stateWrites;
    return true;
}

void FakeKeyboard::PumpKeyboardMessages() { m_log.push_back(Entry{Kind::Pump}); }

void FakeKeyboard::Pause(unsigned milliseconds) {
    Entry entry{Kind::Pause};
    entry.milliseconds = milliseconds;
    m_log.push_back(entry);
}

void FakeKeyboard::Beep(unsigned frequency, unsigned milliseconds) {
    Entry entry{Kind::Beep};
    entry.frequency = frequency;
    entry.milliseconds = milliseconds;
    m_log.push_back(entry);
}

std::vector<FakeKeyboard::Entry> FakeKeyboard::KeyEvents() const {
    std::vector<Entry> keys;
    std::copy_if(m_log.begin(), m_log.end(), std::back_inserter(keys),
                 [](const Entry& e) { return e.kind == Kind::KeyEvent || e.kind == Kind::InputEvent; });
    return keys;
}

std::string FakeKeyboard::Transcript() const {
    std::string text;
    for (const Entry& e : m_log) {
        if (!text.empty()) text += ' ';
        switch (e.kind) {
        case Kind::KeyEvent: text += std::to_string(e.virtualKey) + ':' + std::to_string(e.flags); break;
        case Kind::InputEvent: text += 'i' + std::to_string(e.virtualKey) + ':' + std::to_string(e.flags); break;
        case Kind::Pause: text += 'p' + std::to_string(e.milliseconds); break;
        case Kind::Beep: text += 'b' + std::to_string(e.frequency) + '/' + std::to_string(e.milliseconds); break;
        case Kind::Pump: text += '~'; break;
        }
    }
    return text;
}

void FakeKeyboard::SetKeyWord(char character, std::uint16_t word) { m_keyWords[Index(character)] = word; }

void FakeKeyboard::SetScanCode(unsigned virtualKey, unsigned scanCode) {
    if (virtualKey < 256) m_scanCodes[virtualKey] = scanCode;
}

void FakeKeyboard::SetToggled(int virtualKey, bool on) {
    if (virtualKey < 0 || virtualKey > 255) return;
    std::uint8_t& key = m_state[virtualKey];
    key = static_cast<std::uint8_t>(on ? key | kToggled : key & ~kToggled);
}

bool FakeKeyboard::AnyKeyDown() const {
    return std::any_of(std::begin(m_state), std::end(m_state), [](std::uint8_t key) { return (key & kDown) != 0; });
}

}  // namespace ql::test
