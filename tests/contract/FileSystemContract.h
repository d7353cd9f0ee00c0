#pragma once
// What every FileSystem does with the current directory and with files
// written without sharing.
#include <doctest/doctest.h>

#include <string>

#include "platform/FileSystem.h"
#include "tests/contract/ScratchFiles.h"

namespace ql::test {

class FileFixture : public ScratchFiles {
public:
    virtual FileSystem& Files() = 0;
};

inline void CheckFileSystemContract(FileFixture& fixture) {
    FileSystem& files = fixture.Files();
    const std::string path = fixture.PathOf("Contract.txt");

    SUBCASE("the current directory is given only when it fits") {
        const std::string folder = fixture.Folder();
        std::string buffer(folder.size() + 8, 'X');
        CHECK(files.CurrentDirectory(buffer.data(), folder.size() + 1) == folder.size());
        CHECK(std::string(buffer.c_str()) == folder);
        CHECK(files.CurrentDirectory(buffer.data(), folder.size()) == 0);
        CHECK(buffer[0] == '\0');
    }
    SUBCASE("a missing file can be neither opened nor removed") {
        CHECK_FALSE(files.Exists(path.c_str()));
        CHECK(files.OpenExisting(path.c_str()) == nullptr);
        CHECK_FALSE(files.Remove(path.c_str()));
        CHECK_FALSE(files.Exists(fixture.Folder().c_str()));
    }
    SUBCASE("a created file is written, reopened at its end and appended to") {
        auto created = files.Create(path.c_str());
        REQUIRE(created != nullptr);
        CHECK(created->Write("abc", 3));
        CHECK(created->SeekToEnd() == 3);
        created.reset();
        CHECK(files.Exists(path.c_str()));
        CHECK(fixture.ReadRaw(path) == "abc");

        auto reopened = files.OpenExisting(path.c_str());
        REQUIRE(reopened != nullptr);
        CHECK(reopened->SeekToEnd() == 3);
        CHECK(reopened->Write("\n\tdef", 5));
        reopened.reset();
        CHECK(fixture.ReadRaw(path) == "abc\n\tdef");
    }
    SUBCASE("creating replaces an existing file with an empty one") {
        fixture.WriteRaw(path, "old content");
        REQUIRE(files.Create(path.c_str()) != nullptr);
        CHECK(fixture.ReadRaw(path).empty());
    }
    SUBCASE("an open file is not shared") {
        auto held = files.Create(path.c_str());
        REQUIRE(held != nullptr);
        CHECK(files.OpenExisting(path.c_str()) == nullptr);
        CHECK(files.Create(path.c_str()) == nullptr);
        CHECK_FALSE(files.Remove(path.c_str()));
        held.reset();
        CHECK(files.OpenExisting(path.c_str()) != nullptr);
    }
    SUBCASE("a read-only file is neither written, replaced nor removed") {
        fixture.WriteRaw(path, "keep");
        fixture.DenyWriting(path);
        CHECK(files.Exists(path.c_str()));
        CHECK(files.OpenExisting(path.c_str()) == nullptr);
        CHECK(files.Create(path.c_str()) == nullptr);
        CHECK_FALSE(files.Remove(path.c_str()));
        CHECK(fixture.ReadRaw(path) == "keep");
    }
    SUBCASE("a locked opening creates a missing file and keeps an existing one's content") {
        auto created = files.OpenLocked(path.c_str(), 0);
        REQUIRE(created != nullptr);
        CHECK(created->SeekToEnd() == 0);
        CHECK(created->Write("ab", 2));
        created.reset();
        auto reopened = files.OpenLocked(path.c_str(), 0);
        REQUIRE(reopened != nullptr);
        CHECK(reopened->SeekToEnd() == 2);
        CHECK(reopened->Write("c", 1));
        reopened.reset();
        CHECK(fixture.ReadRaw(path) == "abc");
    }
    SUBCASE("a locked opening is refused while another opener holds the file") {
        auto held = files.OpenLocked(path.c_str(), 0);
        REQUIRE(held != nullptr);
        CHECK(files.OpenLocked(path.c_str(), 30) == nullptr);
        std::string content;
        CHECK(files.ReadWhole(path.c_str(), content, 100) == FileSystem::ReadResult::Failed);
        held.reset();
        CHECK(files.OpenLocked(path.c_str(), 0) != nullptr);
    }
    SUBCASE("a whole file is read, within its limit only") {
        std::string content = "stale";
        CHECK(files.ReadWhole(path.c_str(), content, 100) == FileSystem::ReadResult::Missing);
        CHECK(content.empty());
        fixture.WriteRaw(path, "one,two\r\n\"three\"");
        CHECK(files.ReadWhole(path.c_str(), content, 100) == FileSystem::ReadResult::Read);
        CHECK(content == "one,two\r\n\"three\"");
        CHECK(files.ReadWhole(path.c_str(), content, 5) == FileSystem::ReadResult::Failed);
    }
    SUBCASE("a rename replaces the file of the new name") {
        const std::string other = fixture.PathOf("Contract.1.txt");
        fixture.WriteRaw(path, "new");
        fixture.WriteRaw(other, "old");
        CHECK(files.Rename(path.c_str(), other.c_str()));
        CHECK_FALSE(files.Exists(path.c_str()));
        CHECK(fixture.ReadRaw(other) == "new");
        CHECK_FALSE(files.Rename(path.c_str(), other.c_str()));
    }
    SUBCASE("a removed file is gone") {
        fixture.WriteRaw(path, "x");
        CHECK(files.Remove(path.c_str()));
        CHECK_FALSE(files.Exists(path.c_str()));
    }
}

}  // namespace ql::test
