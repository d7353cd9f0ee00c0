// The file-system contract and the log file against the real file system,
// in a scratch folder.
#include <doctest/doctest.h>

#include <string>

#include "WinScratchFiles.h"
#include "platform/win32/Win32Clock.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/Win32FileSystem.h"
#include "shell/LogFile.h"
#include "tests/contract/FileSystemContract.h"

namespace ql::test {
namespace {

class Win32FileFixture final : public WinScratchFiles<FileFixture> {
public:
    FileSystem& Files() override { return m_files; }

private:
    win32::Win32FileSystem m_files;
};

TEST_CASE("real file system keeps the file-system contract") {
    Win32FileFixture fixture;
    CheckFileSystemContract(fixture);
}

// "\n" + date and time + "\t" + text, one entry, as the real formats make it.
bool IsOneEntry(const std::string& content, const std::string& text) {
    const std::size_t tab = content.find('\t');
    return content.size() > 1 && content[0] == '\n' && tab != std::string::npos && tab > 1 &&
           content.find('\n', 1) == std::string::npos && content.substr(tab + 1) == text;
}

TEST_CASE("the log file in a real folder") {
    WinScratchFiles<ScratchFiles> scratch;
    win32::Win32FileSystem files;
    win32::Win32Clock clock;
    LogFile log(files, clock);
    const std::string path = scratch.PathOf("Quorlan.exe.Log");

    SUBCASE("the first entry creates the file") {
        CHECK(log.WriteLog("Runing..."));
        CHECK(IsOneEntry(scratch.ReadRaw(path), "Runing..."));
    }
    SUBCASE("a file of 32000 bytes is appended to") {
        scratch.WriteRaw(path, std::string(32000, 'x'));
        CHECK(log.WriteLog("next"));
        const std::string content = scratch.ReadRaw(path);
        CHECK(content.find_first_not_of('x') == 32000);
        CHECK(IsOneEntry(content.substr(32000), "next"));
    }
    SUBCASE("a file of 32001 bytes is started afresh") {
        scratch.WriteRaw(path, std::string(32001, 'x'));
        CHECK(log.WriteLog("next"));
        CHECK(IsOneEntry(scratch.ReadRaw(path), "next"));
    }
    SUBCASE("a reader holding the file (a viewer, a script) keeps no entry out") {
        scratch.WriteRaw(path, "");
        win32::UniqueFileHandle reader(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                   nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        REQUIRE(reader);
        CHECK(log.WriteLog("while read"));
        reader.reset();
        CHECK(IsOneEntry(scratch.ReadRaw(path), "while read"));
    }
    SUBCASE("a read-only file is left alone") {
        scratch.WriteRaw(path, std::string(32001, 'x'));
        scratch.DenyWriting(path);
        CHECK(log.WriteLog("next"));
        const std::string content = scratch.ReadRaw(path);
        CHECK(content.size() == 32001);
        CHECK(content.find_first_not_of('x') == std::string::npos);
    }
}

}  // namespace
}  // namespace ql::test
