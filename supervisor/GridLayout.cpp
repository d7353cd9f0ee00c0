#include "supervisor/GridLayout.h"

#include <algorithm>
#include <cstring>

#include "supervisor/ForegroundRule.h"
#include "supervisor/SessionCloser.h"

namespace ql {

namespace {

// Idle counts reach this many digits in eleven days without closing.
constexpr char kLongestCount[] = "999999";

const char* const kFixedStatusTexts[] = {
    "Control Started", "Key Down", "Mouse Click", "Closed", SessionCloser::kAwaitingAnswerStatusText,
    "Closing - [Alt+F4]", "Closing - [Sending Keystrokes]", "Closing/Killing !",
};

void KeepLonger(std::string& longest, const std::string& candidate) {
    if (candidate.size() > longest.size()) longest = candidate;
}

}  // namespace

StatusRow WidestStatusTexts() {
    std::string status = std::string(kLongestCount) + " secs. without activity";
    for (const char* text : kFixedStatusTexts) KeepLonger(status, text);
    for (HookRefusal reason : {HookRefusal::NoCompanion, HookRefusal::CompanionSilent, HookRefusal::CompanionStarting,
                               HookRefusal::AccessDenied, HookRefusal::Refused, HookRefusal::NoAnswer}) {
        KeepLonger(status, std::string("No hooks (") + ForegroundRule::ReasonText(reason) + "): " + kLongestCount +
                               " secs. idle");
    }
    return {"4294967295", "Quarterly report - Draft 12", status};
}

std::array<int, 3> ListColumnWidths(const std::array<int, 3>& widest, int margin, int clientWidth) {
    const int id = widest[0] + margin;
    const int status = widest[2] + margin;
    const int name = std::max(widest[1] + margin, clientWidth - id - status);
    return {id, name, status};
}

int WidthShowingAll(const std::array<int, 3>& widest, int margin) {
    return widest[0] + widest[1] + widest[2] + 3 * margin;
}

std::string RowsAsText(const std::vector<StatusRow>& rows) {
    std::string text;
    for (const StatusRow& row : rows) {
        for (std::size_t column = 0; column < row.size(); ++column) {
            if (column > 0) text += '\t';
            for (const char c : row[column]) text += (c == '\t' || c == '\r' || c == '\n') ? ' ' : c;
        }
        text += "\r\n";
    }
    return text;
}

}  // namespace ql
