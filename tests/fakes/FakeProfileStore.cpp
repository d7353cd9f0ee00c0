#include "tests/fakes/FakeProfileStore.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "core/Text.h"

namespace ql::test {

namespace {

using Lines = std::vector<std::string>;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

Lines SplitLines(const std::string& text) {
    Lines lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

std::string JoinLines(const Lines& lines) {
    std::string text;
    for (const auto& line : lines) text += line + "\r\n";
    return text;
}

// "[name]", blanks allowed around the whole and around the name.
bool IsSectionHeader(const std::string& line, std::string* name = nullptr) {
    const std::string_view trimmed = Trim(line);
    if (trimmed.size() < 2 || trimmed.front() != '[') return false;
    const std::size_t close = trimmed.find(']');
    if (close == std::string_view::npos) return false;
    if (name != nullptr) *name = std::string(Trim(trimmed.substr(1, close - 1)));
    return true;
}

// "key=value"; both parts without their surrounding blanks.
bool SplitKeyLine(const std::string& line, std::string& key, std::string& value) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos || IsSectionHeader(line)) return false;
    key = std::string(Trim(std::string_view(line).substr(0, equals)));
    value = std::string(Trim(std::string_view(line).substr(equals + 1)));
    return true;
}

struct SectionRange {
    std::size_t header;
    std::size_t end;  // one past its last line
};

bool FindSection(const Lines& lines, const char* section, SectionRange& range) {
    std::string name;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!IsSectionHeader(lines[i], &name) || !EqualsNoCase(name.c_str(), section)) continue;
        range.header = i;
        range.end = i + 1;
        while (range.end < lines.size() && !IsSectionHeader(lines[range.end])) ++range.end;
        return true;
    }
    return false;
}

// The line of key inside the section, or range.end.
std::size_t FindKey(const Lines& lines, const SectionRange& range, const char* key, std::string* value = nullptr) {
    std::string lineKey, lineValue;
    for (std::size_t i = range.header + 1; i < range.end; ++i) {
        if (SplitKeyLine(lines[i], lineKey, lineValue) && EqualsNoCase(lineKey.c_str(), key)) {
            if (value != nullptr) *value = lineValue;
            return i;
        }
    }
    return range.end;
}

// One pair of matching enclosing quotes, single or double, is dropped.
std::string_view Unquote(std::string_view value) {
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
        return value.substr(1, value.size() - 2);
    }
    return value;
}

std::size_t CopyCut(std::string_view value, char* out, std::size_t capacity) {
    const std::size_t length = value.size() < capacity - 1 ? value.size() : capacity - 1;
    std::memcpy(out, value.data(), length);
    out[length] = '\0';
    return length;
}

}  // namespace

std::string FakeProfileStore::Text(const std::string& path) const {
    const auto found = m_files.find(path);
    return found == m_files.end() ? std::string() : found->second;
}

// Without long-path support the system opens no path of MAX_PATH (260)
// characters or more.
bool FakeProfileStore::Openable(const char* path) const {
    constexpr std::size_t kMaxPath = 260;
    return std::strlen(path) < kMaxPath && m_unreadable.count(path) == 0;
}

bool FakeProfileStore::CanOpenForReading(const char* path) { return Exists(path) && Openable(path); }

bool FakeProfileStore::CanOpenForWriting(const char* path) {
    return Exists(path) && Openable(path) && m_readOnly.count(path) == 0;
}

std::size_t FakeProfileStore::ReadString(const char* path, const char* section, const char* key, const char* fallback,
                                         char* out, std::size_t capacity) {
    if (capacity == 0) return 0;
    std::string value;
    SectionRange range{};
    if (CanOpenForReading(path)) {
        const Lines lines = SplitLines(Text(path));
        if (FindSection(lines, section, range) && FindKey(lines, range, key, &value) != range.end) {
            return CopyCut(Unquote(value), out, capacity);
        }
    }
    // The fallback loses its trailing blanks, as the profile services do.
    std::string_view fallbackText = fallback != nullptr ? fallback : "";
    while (!fallbackText.empty() && IsBlank(fallbackText.back())) fallbackText.remove_suffix(1);
    return CopyCut(fallbackText, out, capacity);
}

bool FakeProfileStore::WriteString(const char* path, const char* section, const char* key, const char* value) {
    if (section == nullptr || key == nullptr || value == nullptr) return false;
    if (m_readOnly.count(path) != 0 || !Openable(path)) return false;
    ++m_writes;
    Lines lines = SplitLines(Text(path));
    SectionRange range{};
    if (!FindSection(lines, section, range)) {
        lines.push_back(std::string("[") + section + "]");
        lines.push_back(std::string(key) + "=" + value);
    } else if (const std::size_t at = FindKey(lines, range, key); at != range.end) {
        // The key keeps the spelling it was first written with.
        std::string oldKey, oldValue;
        SplitKeyLine(lines[at], oldKey, oldValue);
        lines[at] = oldKey + "=" + value;
    } else {
        // After the section's last line that is not blank.
        std::size_t insertAt = range.end;
        while (insertAt > range.header + 1 && Trim(lines[insertAt - 1]).empty()) --insertAt;
        lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(insertAt), std::string(key) + "=" + value);
    }
    m_files[path] = JoinLines(lines);
    return true;
}

}  // namespace ql::test
