#include "usage/UsageReport.h"

#include <algorithm>
#include <utility>

namespace ql {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

std::int64_t EndOf(const UsageSession& session) {
    return std::max(SecondsOf(session.ended), SecondsOf(session.found) + 1);
}

bool Touches(const UsageSession& session, std::int64_t from, std::int64_t to) {
    return SecondsOf(session.found) < to && EndOf(session) > from;
}

// The counts of what happened on the day; the peak is computed apart.
void CountDay(const std::vector<const UsageSession*>& sessions, DayFigures& figures) {
    for (const UsageSession* session : sessions) {
        if (DayOf(session->found) == figures.day) ++figures.opened;
        if (DayOf(session->ended) != figures.day) continue;
        if (session->how == SessionEnd::Inactivity) ++figures.idleClosed;
        if (session->how == SessionEnd::Surplus) ++figures.refused;
        if (session->how == SessionEnd::Killed) ++figures.killed;
    }
}

DayFigures FiguresOf(const std::vector<const UsageSession*>& sessions, std::int64_t day) {
    DayFigures figures;
    figures.day = day;
    figures.peak = PeakOpen(sessions, day * kSecondsPerDay, (day + 1) * kSecondsPerDay);
    CountDay(sessions, figures);
    return figures;
}

}  // namespace

int PeakOpen(const std::vector<const UsageSession*>& sessions, std::int64_t from, std::int64_t to) {
    // (time, change): an end (-1) sorts before a start (+1) of the same second.
    std::vector<std::pair<std::int64_t, int>> changes;
    for (const UsageSession* session : sessions) {
        if (!Touches(*session, from, to)) continue;
        changes.emplace_back(std::max(SecondsOf(session->found), from), +1);
        changes.emplace_back(std::min(EndOf(*session), to), -1);
    }
    std::sort(changes.begin(), changes.end());
    int open = 0;
    int peak = 0;
    for (const auto& change : changes) {
        open += change.second;
        peak = std::max(peak, open);
    }
    return peak;
}

UsageReport ComputeReport(const std::vector<UsageSession>& sessions, std::int64_t lastDay, int days) {
    UsageReport report;
    const std::int64_t firstDay = lastDay - days + 1;
    std::vector<const UsageSession*> inPeriod;
    std::map<std::string, std::vector<const UsageSession*>> byUser;
    for (const UsageSession& session : sessions) {
        if (!Touches(session, firstDay * kSecondsPerDay, (lastDay + 1) * kSecondsPerDay)) continue;
        inPeriod.push_back(&session);
        byUser[session.user].push_back(&session);
    }
    report.sessions = static_cast<int>(inPeriod.size());
    for (std::int64_t day = firstDay; day <= lastDay; ++day) {
        report.machine.push_back(FiguresOf(inPeriod, day));
        for (const auto& user : byUser) {
            const DayFigures figures = FiguresOf(user.second, day);
            if (figures.peak > 0) report.users[user.first].push_back(figures);
        }
    }
    return report;
}

}  // namespace ql
