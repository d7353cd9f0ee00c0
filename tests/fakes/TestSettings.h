#pragma once
// Settings in effect for a test: a TSetup loaded from an in-memory ini file
// (none, so every default) in a fake working folder.
#include "FakeFileSystem.h"
#include "FakeGuidSource.h"
#include "FakeProfileStore.h"
#include "settings/Setup.h"

namespace ql::test {

struct TestSettings {
    FakeProfileStore profile;
    FakeFileSystem files;
    FakeGuidSource guids;
    TSetup setup{profile, files, guids};
};

}  // namespace ql::test
