#pragma once
// The setup dialog: owns the settings in effect for the life of the program.
// For now it has no window of its own; the dialog takes this class's place
// later, keeping the settings member and its save at destruction.
#include "settings/Setup.h"

namespace ql::win32 {

class TFConfig {
public:
    TFConfig(ProfileStore& profile, FileSystem& files, GuidSource& guids) : Setup(profile, files, guids) {}
    ~TFConfig() { Setup.Save(); }
    TFConfig(const TFConfig&) = delete;
    TFConfig& operator=(const TFConfig&) = delete;

    void ShowModal() {}
    // Whether the dialog is open now, and bringing it to the front if so.
    bool IsShowing() const { return false; }
    void BringToFront() {}

    TSetup Setup;
};

}  // namespace ql::win32
