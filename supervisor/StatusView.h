#pragma once
// What the status window shows of the supervisor: the supervised program's
// name and a grid of one row per tracked session.

namespace ql {

namespace grid {
constexpr int kWindowColumn = 0;
constexpr int kNameColumn = 1;
constexpr int kStatusColumn = 2;
}  // namespace grid

class StatusView {
public:
    virtual ~StatusView() = default;
    virtual void SetProgramCaption(const char* text) = 0;
    virtual void SetRowCount(int rows) = 0;
    virtual void SetCell(int column, int row, const char* text) = 0;
    virtual void Repaint() = 0;
    // Whether the grid can be seen now; while it cannot, the scan does not
    // read the sessions' titles (each is a call into another program's window).
    virtual bool Showing() const = 0;
};

}  // namespace ql
