#pragma once
// The names a key script may put in square brackets, and the keys that are
// sent as extended keys.
#include <cstdint>

namespace ql {

// A key word in the layout VkKeyScanA returns: low byte the virtual-key
// code, high byte the shift state.
using KeyWord = std::uint16_t;
constexpr KeyWord kNoKey = 0xFFFF;

namespace shiftstate {
constexpr unsigned kShift = 0x1;
constexpr unsigned kCtrl = 0x2;
constexpr unsigned kAlt = 0x4;
}  // namespace shiftstate

constexpr std::uint8_t KeyCodeOf(KeyWord word) { return static_cast<std::uint8_t>(word & 0xFF); }
constexpr unsigned ShiftStateOf(KeyWord word) { return static_cast<unsigned>(word >> 8); }

// One bracket name. For an ordinary entry Code is a virtual-key code; for a
// character entry it is a character, typed through the keyboard layout so
// that it gets whatever Shift the layout needs.
struct KeyName {
    const char* Name;
    std::uint8_t Code;
    bool IsCharacter;
};

// Finds the entry whose name equals text in full, letters compared without
// regard to case; null for an unknown name.
const KeyName* FindKeyName(const char* text);

// Whether the key is sent with the extended-key flag (the navigation block).
bool IsExtendedKey(unsigned virtualKey);

}  // namespace ql
