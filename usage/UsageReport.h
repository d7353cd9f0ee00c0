#pragma once
// The figures of the usage report: per day, how many sessions were open at
// once at the peak (across all users of the machine, and per user), how
// many were opened, closed for inactivity, refused and killed.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "usage/UsageLine.h"

namespace ql {

struct DayFigures {
    std::int64_t day = 0;  // days since 1970-01-01
    int peak = 0;
    int opened = 0;
    int idleClosed = 0;
    int refused = 0;
    int killed = 0;
};

struct UsageReport {
    std::vector<DayFigures> machine;  // one per day of the period, oldest first
    // Per user, the days on which one of their sessions was open.
    std::map<std::string, std::vector<DayFigures>> users;
    int sessions = 0;  // sessions of the record that touch the period
};

// The most sessions open at one moment within [from, to) (seconds as
// SecondsOf gives them). A session is open from when it was found until it
// ended, at least one second; one that ends when another is found does not
// overlap it.
int PeakOpen(const std::vector<const UsageSession*>& sessions, std::int64_t from, std::int64_t to);

// The figures of the days lastDay-days+1 to lastDay.
UsageReport ComputeReport(const std::vector<UsageSession>& sessions, std::int64_t lastDay, int days);

}  // namespace ql
