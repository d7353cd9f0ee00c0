#include "usage/ReportPage.h"

#include <algorithm>
#include <cstdio>

namespace ql {

namespace {

constexpr char kAllUsers[] = "(all users)";

// The chart's drawing area, in the SVG's own units.
constexpr int kChartWidth = 760;
constexpr int kChartHeight = 220;
constexpr int kChartLeft = 40;
constexpr int kChartBottom = 190;
constexpr int kChartTop = 20;

std::string Number(std::int64_t value) { return std::to_string(value); }

std::string FiguresCells(const DayFigures& figures) {
    return "<td>" + Number(figures.peak) + "</td><td>" + Number(figures.opened) + "</td><td>" +
           Number(figures.idleClosed) + "</td><td>" + Number(figures.refused) + "</td><td>" +
           Number(figures.killed) + "</td>";
}

const char kFigureHeads[] =
    "<th>Peak open at once</th><th>Opened</th><th>Closed for inactivity</th><th>Refused</th><th>Killed</th>";

const char kStyle[] =
    "body{font-family:Arial,Helvetica,sans-serif;color:#102050;margin:24px;}"
    "h1{font-size:22px;margin:0 0 4px 0;}h2{font-size:17px;margin:24px 0 8px 0;}"
    "p.note{color:#445;margin:2px 0;font-size:13px;}"
    "table{border-collapse:collapse;font-size:13px;}"
    "th,td{border:1px solid #b8c0d8;padding:3px 8px;text-align:right;}"
    "th{background:#e4e8f4;}td.text,th.text{text-align:left;}"
    "svg text{font-family:Arial,Helvetica,sans-serif;font-size:11px;fill:#102050;}";

int ChartTop(const UsageReport& report, int maxSession) {
    int top = std::max(1, maxSession);
    for (const DayFigures& day : report.machine) top = std::max(top, day.peak);
    return top;
}

// Bars of the daily peak, with the limit as a dashed line across them.
std::string Chart(const UsageReport& report, const ReportContext& context) {
    const int top = ChartTop(report, context.maxSession);
    const int days = static_cast<int>(report.machine.size());
    const double slot = days > 0 ? static_cast<double>(kChartWidth - kChartLeft - 10) / days : 1.0;
    const auto yOf = [top](int value) { return kChartBottom - (kChartBottom - kChartTop) * value / top; };
    char buffer[320];
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Number(kChartWidth) + "\" height=\"" +
                      Number(kChartHeight) + "\" role=\"img\" aria-label=\"Daily peak of open sessions\">";
    std::snprintf(buffer, sizeof buffer,
                  "<line x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\" stroke=\"#102050\"/>"
                  "<text x=\"%d\" y=\"%d\" text-anchor=\"end\">%d</text>"
                  "<text x=\"%d\" y=\"%d\" text-anchor=\"end\">0</text>",
                  kChartLeft, kChartBottom, kChartWidth - 5, kChartBottom, kChartLeft - 6, kChartTop + 4, top,
                  kChartLeft - 6, kChartBottom + 4);
    svg += buffer;
    for (int i = 0; i < days; ++i) {
        const DayFigures& day = report.machine[static_cast<std::size_t>(i)];
        const double x = kChartLeft + 4 + i * slot;
        const int y = yOf(day.peak);
        std::snprintf(buffer, sizeof buffer,
                      "<rect x=\"%.1f\" y=\"%d\" width=\"%.1f\" height=\"%d\" fill=\"#3a6fd8\">"
                      "<title>%s: %d</title></rect>",
                      x, y, std::max(1.0, slot * 0.7), kChartBottom - y, DateOf(day.day).c_str(), day.peak);
        svg += buffer;
        // A date under the first bar and under about every fifth of the period after it.
        if (i % std::max(1, days / 5) == 0) {
            std::snprintf(buffer, sizeof buffer, "<text x=\"%.1f\" y=\"%d\">%s</text>", x, kChartBottom + 16,
                          DateOf(day.day).substr(5).c_str());
            svg += buffer;
        }
    }
    if (context.maxSession > 0) {
        const int y = yOf(context.maxSession);
        std::snprintf(buffer, sizeof buffer,
                      "<line x1=\"%d\" y1=\"%d\" x2=\"%d\" y2=\"%d\" stroke=\"#c02020\" stroke-width=\"2\" "
                      "stroke-dasharray=\"6 4\"/><text x=\"%d\" y=\"%d\" text-anchor=\"end\" style=\"fill:#c02020\">"
                      "Max.Session = %d</text>",
                      kChartLeft, y, kChartWidth - 5, y, kChartWidth - 5, y - 5, context.maxSession);
        svg += buffer;
    }
    svg += "</svg>";
    return svg;
}

std::string MachineTable(const UsageReport& report) {
    std::string html = "<table><tr><th class=\"text\">Day</th>" + std::string(kFigureHeads) + "</tr>";
    for (auto day = report.machine.rbegin(); day != report.machine.rend(); ++day) {
        html += "<tr><td class=\"text\">" + DateOf(day->day) + "</td>" + FiguresCells(*day) + "</tr>";
    }
    return html + "</table>";
}

std::string UserTable(const UsageReport& report) {
    if (report.users.empty()) return "<p class=\"note\">No sessions in this period.</p>";
    std::string html = "<table><tr><th class=\"text\">Day</th><th class=\"text\">User</th>" +
                       std::string(kFigureHeads) + "</tr>";
    for (auto day = report.machine.rbegin(); day != report.machine.rend(); ++day) {
        for (const auto& user : report.users) {
            for (const DayFigures& figures : user.second) {
                if (figures.day != day->day) continue;
                html += "<tr><td class=\"text\">" + DateOf(figures.day) + "</td><td class=\"text\">" +
                        HtmlText(user.first) + "</td>" + FiguresCells(figures) + "</tr>";
            }
        }
    }
    return html + "</table>";
}

void AppendCsvRow(std::string& csv, const DayFigures& figures, const std::string& user) {
    csv += DateOf(figures.day) + "," + CsvField(user) + "," + Number(figures.peak) + "," + Number(figures.opened) +
           "," + Number(figures.idleClosed) + "," + Number(figures.refused) + "," + Number(figures.killed) + "\r\n";
}

}  // namespace

std::string HtmlText(const std::string& text) {
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        case '\'': escaped += "&#39;"; break;
        case '\r': break;
        case '\n': escaped += ' '; break;
        default: escaped += c; break;
        }
    }
    return escaped;
}

std::string DateOf(std::int64_t day) { return FormatStamp(TimeOfSeconds(day * 86400)).substr(0, 10); }

// The record holds names in the system's single-byte code page; the page
// says the Western one, which most such systems use.
std::string ReportHtml(const UsageReport& report, const ReportContext& context) {
    std::string html =
        "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"windows-1252\">"
        "<title>Quorlan usage</title><style>" +
        std::string(kStyle) + "</style></head><body>\n<h1>Quorlan usage: the last " + Number(context.days) +
        " days</h1>\n<p class=\"note\">Record read in " + HtmlText(context.folder) + " on " +
        HtmlText(context.generatedAt) + "; " + Number(report.sessions) +
        " sessions. Sessions still open are counted once they end.</p>\n";
    html += "<p class=\"note\">Max.Session: " +
            (context.maxSession > 0 ? Number(context.maxSession) + " per user" : std::string("unlimited")) + ".</p>\n";
    if (context.unreadable > 0) {
        html += "<p class=\"note\">" + Number(context.unreadable) + " lines of the record could not be read.</p>\n";
    }
    html += "<h2>Peak of sessions open at once, per day</h2>\n" + Chart(report, context) + "\n";
    html += "<h2>All users of the machine</h2>\n" + MachineTable(report) + "\n";
    html += "<h2>Per user</h2>\n" + UserTable(report) + "\n</body></html>\n";
    return html;
}

std::string ReportCsv(const UsageReport& report) {
    std::string csv = "date,user,peak,opened,closed_inactive,refused,killed\r\n";
    for (const DayFigures& day : report.machine) {
        AppendCsvRow(csv, day, kAllUsers);
        for (const auto& user : report.users) {
            for (const DayFigures& figures : user.second) {
                if (figures.day == day.day) AppendCsvRow(csv, figures, user.first);
            }
        }
    }
    return csv;
}

}  // namespace ql
