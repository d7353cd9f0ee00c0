#include "usage/ReportCommand.h"

#include <cstring>

#include "core/Text.h"
#include "settings/Policies.h"
#include "settings/Setup.h"
#include "settings/SettingNames.h"
#include "shell/LogFile.h"
#include "usage/ReportPage.h"
#include "usage/UsageRecord.h"
#include "usage/UsageReport.h"

namespace ql {

namespace {

// Each record file stays near its rollover size; far more is no record of ours.
constexpr std::size_t kLongestRecordFile = 64u * 1024 * 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trimmed(const char* text) {
    while (IsBlank(*text)) ++text;
    std::size_t length = std::strlen(text);
    while (length > 0 && IsBlank(text[length - 1])) --length;
    return std::string(text, length);
}

std::string Unquoted(const std::string& text) {
    if (text.size() >= 2 && text.front() == '"' && text.back() == '"') return text.substr(1, text.size() - 2);
    return text;
}

bool WriteWhole(FileSystem& files, const std::string& path, const std::string& content) {
    auto file = files.Create(path.c_str());
    return file && file->Write(content.data(), content.size());
}

// The rolled-over record first: it holds the older sessions.
FileSystem::ReadResult ReadRecord(FileSystem& files, const std::string& folder, ParsedRecord& record) {
    bool anyRead = false;
    for (const char* name : {usage::kRolledName, usage::kRecordName}) {
        std::string text;
        const auto result = files.ReadWhole((folder + "\\" + name).c_str(), text, kLongestRecordFile);
        if (result == FileSystem::ReadResult::Failed) return result;
        if (result == FileSystem::ReadResult::Missing) continue;
        anyRead = true;
        ParseUsageRecord(text, record);
    }
    return anyRead ? FileSystem::ReadResult::Read : FileSystem::ReadResult::Missing;
}

}  // namespace

bool ParseReportArguments(const char* arguments, ReportRequest& request) {
    std::string rest = Trimmed(arguments == nullptr ? "" : arguments);
    std::size_t digits = 0;
    while (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9') ++digits;
    if (digits > 0 && (digits == rest.size() || IsBlank(rest[digits]))) {
        if (digits > 4) return false;
        request.days = std::stoi(rest.substr(0, digits));
        if (request.days < 1 || request.days > report::kMostDays) return false;
        rest = Trimmed(rest.c_str() + digits);
    }
    request.folder = Unquoted(rest);
    return true;
}

int ConfiguredMaxSession(ProfileStore& profile, Registry& registry, const std::string& folder) {
    UserSettings settings;
    char value[16] = {};
    const std::string ini = folder + "\\" + kIniFileName;
    profile.ReadString(ini.c_str(), ini::kBasicSection, ini::kMaxSessionKey, "0", value, sizeof value);
    const SettingKey* key = FindSettingKey(ini::kMaxSessionKey);
    const std::int32_t fromFile = ParseLeadingInt(value);
    settings.MaxSession = key != nullptr && InRange(*key, fromFile) ? fromFile : 0;
    ReadPolicies(registry, settings, nullptr);
    return settings.MaxSession;
}

std::string ResolvedFolder(FileSystem& files, const std::string& given) {
    std::string folder = given;
    if (folder.empty()) {
        char directory[LogFile::kLongestDirectory + 1];
        if (files.CurrentDirectory(directory, sizeof directory) == 0) return {};
        folder = directory;
    }
    while (folder.size() > 1 && (folder.back() == '\\' || folder.back() == '/')) folder.pop_back();
    return folder;
}

int WriteUsageReport(FileSystem& files, Clock& clock, const ReportRequest& request, int maxSession) {
    try {
        const std::string folder = ResolvedFolder(files, request.folder);
        if (folder.empty()) return report::kExitUnreadable;
        ParsedRecord record;
        const auto read = ReadRecord(files, folder, record);
        if (read == FileSystem::ReadResult::Missing) return report::kExitNoRecord;
        if (read == FileSystem::ReadResult::Failed) return report::kExitUnreadable;

        const LocalTime now = clock.LocalNow();
        const StampedTime today{now.year, now.month, now.day, now.hour, now.minute, now.second};
        const UsageReport figures = ComputeReport(record.sessions, DayOf(today), request.days);
        ReportContext context;
        context.folder = folder;
        context.generatedAt = FormatStamp(today);
        context.maxSession = maxSession;
        context.days = request.days;
        context.unreadable = record.unreadable;
        const bool written = WriteWhole(files, folder + "\\" + report::kPageName, ReportHtml(figures, context)) &&
                             WriteWhole(files, folder + "\\" + report::kTableName, ReportCsv(figures));
        return written ? report::kExitWritten : report::kExitNotWritten;
    } catch (...) {
        return report::kExitUnreadable;
    }
}

}  // namespace ql
