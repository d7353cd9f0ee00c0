#include "keys/KeyNames.h"

#include <algorithm>
#include <iterator>

#include "core/Text.h"

namespace ql {

namespace {

constexpr bool Character = true;
constexpr bool Key = false;

// Ascending by name without regard to case, for the binary search below.
constexpr KeyName KeyNames[] = {
    {"ADD", 107, Key},        {"APPS", 93, Key},         {"AT", '@', Character},
    {"BACKSPACE", 8, Key},    {"BKSP", 8, Key},          {"BREAK", 3, Key},
    {"BS", 8, Key},           {"CAPSLOCK", 20, Key},     {"CARET", '^', Character},
    {"CLEAR", 12, Key},       {"DECIMAL", 110, Key},     {"DEL", 46, Key},
    {"DELETE", 46, Key},      {"DIVIDE", 111, Key},      {"DOWN", 40, Key},
    {"END", 35, Key},         {"ENTER", 13, Key},        {"ESC", 27, Key},
    {"ESCAPE", 27, Key},      {"F1", 112, Key},          {"F10", 121, Key},
    {"F11", 122, Key},        {"F12", 123, Key},         {"F13", 124, Key},
    {"F14", 125, Key},        {"F15", 126, Key},         {"F16", 127, Key},
    {"F2", 113, Key},         {"F3", 114, Key},          {"F4", 115, Key},
    {"F5", 116, Key},         {"F6", 117, Key},          {"F7", 118, Key},
    {"F8", 119, Key},         {"F9", 120, Key},          {"HELP", 47, Key},
    {"HOME", 36, Key},        {"INS", 45, Key},          {"LEFT", 37, Key},
    {"LEFTBRACE", '{', Character}, {"LEFTPAREN", '(', Character}, {"LWIN", 91, Key},
    {"MULTIPLY", 106, Key},   {"NUMLOCK", 144, Key},     {"NUMPAD0", 96, Key},
    {"NUMPAD1", 97, Key},     {"NUMPAD2", 98, Key},      {"NUMPAD3", 99, Key},
    {"NUMPAD4", 100, Key},    {"NUMPAD5", 101, Key},     {"NUMPAD6", 102, Key},
    {"NUMPAD7", 103, Key},    {"NUMPAD8", 104, Key},     {"NUMPAD9", 105, Key},
    {"PERCENT", '%', Character}, {"PGDN", 34, Key},      {"PGUP", 33, Key},
    {"PLUS", '+', Character}, {"PRTSC", 42, Key},        {"RIGHT", 39, Key},
    {"RIGHTBRACE", '}', Character}, {"RIGHTPAREN", ')', Character}, {"RWIN", 92, Key},
    {"SCROLL", 145, Key},     {"SEPARATOR", 108, Key},   {"SNAPSHOT", 44, Key},
    {"SUBTRACT", 109, Key},   {"TAB", 9, Key},           {"TILDE", '~', Character},
    {"UP", 38, Key},          {"WIN", 91, Key},
};

constexpr char UpperAscii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

constexpr bool NameLess(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const char ca = UpperAscii(*a);
        const char cb = UpperAscii(*b);
        if (ca != cb) return static_cast<unsigned char>(ca) < static_cast<unsigned char>(cb);
        if (ca == '\0') return false;
    }
}

constexpr bool IsStrictlySorted() {
    for (std::size_t i = 1; i < std::size(KeyNames); ++i) {
        if (!NameLess(KeyNames[i - 1].Name, KeyNames[i].Name)) return false;
    }
    return true;
}

static_assert(std::size(KeyNames) == 71, "the bracket name table has 71 entries");
static_assert(IsStrictlySorted(), "the bracket name table must stay sorted for the binary search");

constexpr std::uint8_t ExtendedKeys[] = {33, 34, 35, 36, 37, 38, 39, 40, 45, 46};

}  // namespace

const KeyName* FindKeyName(const char* text) {
    if (text == nullptr) return nullptr;
    const auto* found = std::lower_bound(std::begin(KeyNames), std::end(KeyNames), text,
                                         [](const KeyName& entry, const char* name) { return NameLess(entry.Name, name); });
    if (found == std::end(KeyNames) || !EqualsNoCase(found->Name, text)) return nullptr;
    return found;
}

bool IsExtendedKey(unsigned virtualKey) {
    return std::find(std::begin(ExtendedKeys), std::end(ExtendedKeys), virtualKey) != std::end(ExtendedKeys);
}

}  // namespace ql
