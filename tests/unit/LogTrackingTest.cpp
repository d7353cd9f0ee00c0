#include <doctest/doctest.h>

#include <string>

#include "core/Text.h"
#include "settings/Setup.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeGuidSource.h"
#include "tests/fakes/FakeProfileStore.h"
#include "tests/fakes/Recorders.h"

namespace ql::test {
namespace {

struct TrackingWorld {
    FakeProfileStore profile;
    FakeFileSystem files;
    FakeGuidSource guids;
    TSetup setup{profile, files, guids};
    RecordingLog log;
};

TEST_CASE("the settings summary pads the numbers") {
    TrackingWorld world;
    CopyText(world.setup.Program, "Notepad");
    LogTracking(world.setup, world.log);
    REQUIRE(world.log.lines.size() == 1);
    CHECK(world.log.lines[0] == "Tracking: Notepad - Max.Inactivity: 00045 - Max Sessions alloved: 00 ");
}

TEST_CASE("a program too long for the summary line is cut, the numbers kept whole") {
    TrackingWorld world;
    world.setup.MaxInact = -2147483647 - 1;
    world.setup.MaxSession = 2147483647;
    const std::string tail = " - Max.Inactivity: -2147483648 - Max Sessions alloved: 2147483647 ";

    SUBCASE("a program that just fits is kept") {
        const std::string program(251 - 10 - tail.size(), 'p');
        CopyText(world.setup.Program, program.c_str());
        LogTracking(world.setup, world.log);
        CHECK(world.log.lines.at(0) == "Tracking: " + program + tail);
        CHECK(world.log.lines.at(0).size() == 251);
    }
    SUBCASE("a longer one ends in dots") {
        CopyText(world.setup.Program, std::string(1023, 'p').c_str());
        LogTracking(world.setup, world.log);
        const std::string& line = world.log.lines.at(0);
        CHECK(line.size() == 251);
        CHECK(line == "Tracking: " + std::string(251 - 10 - tail.size() - 3, 'p') + "..." + tail);
    }
}

}  // namespace
}  // namespace ql::test
