#pragma once
// Start-up failures that end the program after telling the user.

namespace ql {

class FatalErrorSink {
public:
    virtual ~FatalErrorSink() = default;
    // Shows text in an error box; once it is closed, the program ends.
    virtual void FatalError(const char* text) = 0;
};

}  // namespace ql
