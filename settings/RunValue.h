#pragma once
// The machine-wide Run value that starts Quorlan at log-on: where it lives
// and the data it holds. The setup dialog writes it; the installer writes,
// keeps and removes the same value.
#include <cstddef>

namespace ql {

constexpr const char* kRunKeyPath = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kRunValueName = "Quorlan";
constexpr const char* kShortcutName = "Quorlan.lnk";
constexpr std::size_t kRunDirectoryCapacity = 256;  // a working directory of at most 255 characters
// Room for the data of such a directory: quotes, separator and shortcut name.
constexpr std::size_t kRunValueCapacity = kRunDirectoryCapacity + 16;

// The value's data for a working directory: the quoted full path of the
// shortcut in it. False, and an empty text, when the directory is empty or
// the data would not fit: a cut path is never formed.
bool FormRunValueData(const char* directory, char* out, std::size_t capacity);

}  // namespace ql
