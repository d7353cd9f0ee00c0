#pragma once
// "Quorlan.exe /report [days] [folder]": reads the usage record in the
// folder and writes Quorlan-usage.html and Quorlan-usage.csv beside it.
#include <string>

#include "platform/Clock.h"
#include "platform/FileSystem.h"
#include "platform/ProfileStore.h"
#include "platform/Registry.h"

namespace ql {

namespace report {
constexpr int kDefaultDays = 30;
constexpr int kMostDays = 3660;
constexpr char kPageName[] = "Quorlan-usage.html";
constexpr char kTableName[] = "Quorlan-usage.csv";
// Exit codes.
constexpr int kExitWritten = 0;
constexpr int kExitNoRecord = 1;
constexpr int kExitUnreadable = 2;
constexpr int kExitNotWritten = 3;  // the record was read, the report could not be written
constexpr int kExitBadArguments = 4;  // days not a number from 1 to kMostDays
}  // namespace report

struct ReportRequest {
    int days = report::kDefaultDays;
    std::string folder;  // empty: the working folder
};

// The arguments after "/report": a number of days (1 to kMostDays) first if
// given, then the folder (quotes around it taken off). False when the days
// are not such a number.
bool ParseReportArguments(const char* arguments, ReportRequest& request);

// The Max.Session in effect for the folder's copies: its Quorlan.ini's, or
// the administrator's policy; 0 (unlimited) when neither gives one in range.
int ConfiguredMaxSession(ProfileStore& profile, Registry& registry, const std::string& folder);

// The folder given, or the working folder; no separator at its end. Empty
// when the working folder cannot be read.
std::string ResolvedFolder(FileSystem& files, const std::string& given);

// Writes the report and gives the exit code.
int WriteUsageReport(FileSystem& files, Clock& clock, const ReportRequest& request, int maxSession);

}  // namespace ql
