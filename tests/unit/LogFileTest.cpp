#include <doctest/doctest.h>

#include <string>

#include "shell/LogFile.h"
#include "tests/fakes/FakeClock.h"
#include "tests/fakes/FakeFileSystem.h"

namespace ql::test {
namespace {

constexpr const char* kLog = "C:\\Work\\Quorlan.exe.Log";
constexpr const char* kHead = "\n07/12/2026 08:45:52\t";

struct LogWorld {
    LogWorld() { clock.SetLocalNow(LocalTime{2026, 12, 7, 8, 45, 52, 250}); }
    FakeFileSystem files{"C:\\Work"};
    FakeClock clock;
    LogFile log{files, clock};
};

TEST_CASE("the first entry creates the file, which begins with a line feed") {
    LogWorld world;
    CHECK(world.log.WriteLog("Runing..."));
    CHECK(world.files.Content(kLog) == std::string(kHead) + "Runing...");
    CHECK(world.log.WriteLog("line one\r\nline two"));
    CHECK(world.files.Content(kLog) == std::string(kHead) + "Runing..." + kHead + "line one\r\nline two");
    CHECK_FALSE(world.files.IsOpen(kLog));
}

TEST_CASE("an empty text writes the head alone") {
    LogWorld world;
    CHECK(world.log.WriteLog(""));
    CHECK(world.log.WriteLog(nullptr));
    CHECK(world.files.Content(kLog) == std::string(kHead) + kHead);
}

TEST_CASE("a file of 32000 bytes is appended to, one byte longer is started afresh") {
    LogWorld world;
    const std::string full(32000, 'x');

    SUBCASE("exactly at the limit") {
        world.files.SetFile(kLog, full);
        CHECK(world.log.WriteLog("next"));
        CHECK(world.files.Content(kLog) == full + kHead + "next");
    }
    SUBCASE("past the limit") {
        world.files.SetFile(kLog, full + "y");
        CHECK(world.log.WriteLog("next"));
        CHECK(world.files.Content(kLog) == std::string(kHead) + "next");
    }
}

TEST_CASE("an entry that cannot be stored is lost, the file left alone, and the call still succeeds") {
    LogWorld world;

    SUBCASE("a read-only file") {
        world.files.SetFile(kLog, "old");
        world.files.SetReadOnly(kLog);
        CHECK(world.log.WriteLog("text"));
        CHECK(world.files.Content(kLog) == "old");
    }
    SUBCASE("a read-only file past the limit is not deleted") {
        world.files.SetFile(kLog, std::string(40000, 'x'));
        world.files.SetReadOnly(kLog);
        CHECK(world.log.WriteLog("text"));
        CHECK(world.files.Content(kLog).size() == 40000);
    }
    SUBCASE("a file that cannot be created") {
        world.files.SetReadOnly(kLog);
        CHECK(world.log.WriteLog("text"));
        CHECK_FALSE(world.files.Exists(kLog));
    }
    SUBCASE("a working directory longer than 999 characters") {
        const std::string folder = "C:\\" + std::string(997, 'd');
        world.files.SetCurrentDirectory(folder);
        CHECK(world.log.WriteLog("text"));
        CHECK_FALSE(world.files.Exists((folder + "\\Quorlan.exe.Log").c_str()));
    }
}

TEST_CASE("a working directory of 999 characters still takes the log") {
    LogWorld world;
    const std::string folder = "C:\\" + std::string(996, 'd');
    world.files.SetCurrentDirectory(folder);
    CHECK(world.log.WriteLog("text"));
    CHECK(world.files.Content(folder + "\\Quorlan.exe.Log") == std::string(kHead) + "text");
}

TEST_CASE("an error raised while writing makes the call fail without escaping it") {
    LogWorld world;
    world.files.ThrowOnWrite(true);
    CHECK_FALSE(world.log.WriteLog("text"));
    CHECK_FALSE(world.files.IsOpen(kLog));
}

TEST_CASE("the date stands alone at exactly midnight") {
    LogWorld world;

    SUBCASE("midnight") {
        world.clock.SetLocalNow(LocalTime{2026, 12, 8, 0, 0, 0, 0});
        world.log.WriteLog("t");
        CHECK(world.files.Content(kLog) == "\n08/12/2026\tt");
    }
    SUBCASE("a millisecond later") {
        world.clock.SetLocalNow(LocalTime{2026, 12, 8, 0, 0, 0, 1});
        world.log.WriteLog("t");
        CHECK(world.files.Content(kLog) == "\n08/12/2026 00:00:00\tt");
    }
    SUBCASE("no date and time when the formatter gives none") {
        world.clock.FailFormats(true);
        world.log.WriteLog("t");
        CHECK(world.files.Content(kLog) == "\n\tt");
    }
}

TEST_CASE("every entry goes to the log of the current directory") {
    LogWorld world;
    world.log.WriteLog("first");
    world.files.SetCurrentDirectory("D:\\Elsewhere");
    world.log.WriteLog("second");
    CHECK(world.files.Content(kLog) == std::string(kHead) + "first");
    CHECK(world.files.Content("D:\\Elsewhere\\Quorlan.exe.Log") == std::string(kHead) + "second");
}

}  // namespace
}  // namespace ql::test
