#pragma once
// The usage report as files: Quorlan-usage.html, one page that needs
// nothing from anywhere else, and Quorlan-usage.csv for a spreadsheet.
#include <string>

#include "usage/UsageReport.h"

namespace ql {

struct ReportContext {
    std::string folder;       // where the record was read
    std::string generatedAt;  // "2026-12-07 23:05:42"
    int maxSession = 0;       // the configured limit; 0: unlimited
    int days = 30;
    int unreadable = 0;       // lines of the record that were not a session
};

// Escapes a text for HTML element content and attribute values.
std::string HtmlText(const std::string& text);
// "2026-12-07"
std::string DateOf(std::int64_t day);

std::string ReportHtml(const UsageReport& report, const ReportContext& context);
// date,user,peak,opened,closed_inactive,refused,killed; the whole machine's
// row of each day has the user "(all users)" and comes first.
std::string ReportCsv(const UsageReport& report);

}  // namespace ql
