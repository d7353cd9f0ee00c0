#pragma once
// Keeps every log entry's text, in order.
#include <string>
#include <vector>

#include "shell/LogSink.h"

namespace ql::test {

class RecordingLogSink final : public LogSink {
public:
    bool WriteLog(const char* text) override {
        entries.emplace_back(text != nullptr ? text : "");
        return true;
    }

    std::vector<std::string> entries;
};

}  // namespace ql::test
