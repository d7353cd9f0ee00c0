#pragma once
// The profile rules every ProfileStore keeps. Values are compared as read
// back: the real services rewrite the whole file in their own layout, so
// only the order of sections and keys is checked in the raw text.
#include <doctest/doctest.h>

#include <string>

#include "platform/ProfileStore.h"
#include "tests/contract/ScratchFiles.h"

namespace ql::test {

class ProfileFixture : public ScratchFiles {
public:
    virtual ProfileStore& Store() = 0;
    // Keeps the file open without sharing until the fixture goes.
    virtual void HoldOpenExclusively(const std::string& path) = 0;
};

inline std::string ReadBack(ProfileStore& store, const std::string& path, const char* section, const char* key,
                            std::size_t capacity = 256, const char* fallback = "<missing>") {
    std::string out(capacity, 'X');
    const std::size_t length = store.ReadString(path.c_str(), section, key, fallback, out.data(), capacity);
    REQUIRE(length < capacity);
    CHECK(out[length] == '\0');
    out.resize(length);
    return out;
}

inline void CheckProfileContract(ProfileFixture& fixture) {
    ProfileStore& store = fixture.Store();
    const std::string path = fixture.PathOf("Contract.ini");

    SUBCASE("a missing file gives the fallback, cut to capacity and without trailing blanks") {
        CHECK_FALSE(store.CanOpenForReading(path.c_str()));
        CHECK_FALSE(store.CanOpenForWriting(path.c_str()));
        CHECK(ReadBack(store, path, "S", "k") == "<missing>");
        CHECK(ReadBack(store, path, "S", "k", 4, "abcdef") == "abc");
        CHECK(ReadBack(store, path, "S", "k", 16, "x  ") == "x");
    }
    SUBCASE("a written value reads back whatever the case of section and key") {
        CHECK(store.WriteString(path.c_str(), "Sec", "Key", "value"));
        CHECK(store.CanOpenForReading(path.c_str()));
        CHECK(store.CanOpenForWriting(path.c_str()));
        CHECK(ReadBack(store, path, "SEC", "kEY") == "value");
        CHECK(ReadBack(store, path, "Sec", "Other") == "<missing>");
        CHECK(ReadBack(store, path, "Other", "Key") == "<missing>");
    }
    SUBCASE("reading drops surrounding blanks and one pair of matching quotes") {
        fixture.WriteRaw(path,
                         "[S]\r\nplain =  some value  \r\ndouble=\"quoted text\"\r\nsingle='x'\r\nmixed=\"half'\r\n");
        CHECK(ReadBack(store, path, "S", "plain") == "some value");
        CHECK(ReadBack(store, path, "S", "double") == "quoted text");
        CHECK(ReadBack(store, path, "S", "single") == "x");
        CHECK(ReadBack(store, path, "S", "mixed") == "\"half'");
    }
    SUBCASE("a value longer than the capacity is cut to its first characters") {
        fixture.WriteRaw(path, "[S]\r\nn=123456\r\n");
        CHECK(ReadBack(store, path, "S", "n", 5) == "1234");
        CHECK(ReadBack(store, path, "S", "n", 1) == "");
    }
    SUBCASE("rewriting a key replaces its value where it stands") {
        CHECK(store.WriteString(path.c_str(), "S", "first", "1"));
        CHECK(store.WriteString(path.c_str(), "S", "second", "2"));
        CHECK(store.WriteString(path.c_str(), "T", "third", "3"));
        CHECK(store.WriteString(path.c_str(), "s", "FIRST", "9"));
        CHECK(ReadBack(store, path, "S", "first") == "9");
        CHECK(ReadBack(store, path, "S", "second") == "2");
        const std::string raw = fixture.ReadRaw(path);
        CHECK(InOrder(raw, {"[S]", "first", "second", "[T]", "third"}));
        CHECK(raw.find("first", raw.find("first") + 1) == std::string::npos);
    }
    SUBCASE("a new key goes to the end of its section, a new section to the end of the file") {
        CHECK(store.WriteString(path.c_str(), "S", "a", "1"));
        CHECK(store.WriteString(path.c_str(), "T", "b", "2"));
        CHECK(store.WriteString(path.c_str(), "S", "c", "3"));
        CHECK(InOrder(fixture.ReadRaw(path), {"[S]", "a=", "c=", "[T]", "b="}));
    }
    SUBCASE("a section keeps the spelling of the write that created it") {
        CHECK(store.WriteString(path.c_str(), "InternalSetUp", "Guid", "g"));
        CHECK(store.WriteString(path.c_str(), "InternalSetup", "ActRelease", "r"));
        const std::string raw = fixture.ReadRaw(path);
        CHECK(raw.find("[InternalSetUp]") != std::string::npos);
        CHECK(raw.find("[InternalSetup]") == std::string::npos);
        CHECK(ReadBack(store, path, "InternalSetup", "Guid") == "g");
        CHECK(ReadBack(store, path, "InternalSetUp", "ActRelease") == "r");
    }
    SUBCASE("a header written in capitals serves every spelling of its name") {
        fixture.WriteRaw(path, "[INTERNALSETUP]\r\nGuid=abc\r\n");
        CHECK(ReadBack(store, path, "InternalSetup", "Guid") == "abc");
        CHECK(store.WriteString(path.c_str(), "InternalSetUp", "Guid", "def"));
        CHECK(store.WriteString(path.c_str(), "InternalSetup", "ActRelease", "1.0"));
        CHECK(ReadBack(store, path, "InternalSetUp", "Guid") == "def");
        CHECK(ReadBack(store, path, "InternalSetup", "ActRelease") == "1.0");
        const std::string raw = fixture.ReadRaw(path);
        CHECK(raw.find("[INTERNALSETUP]") != std::string::npos);
        CHECK(raw.find("[InternalSet") == std::string::npos);
    }
    SUBCASE("a read-only file is left as it was") {
        fixture.WriteRaw(path, "[S]\r\nk=old\r\n");
        fixture.DenyWriting(path);
        CHECK_FALSE(store.WriteString(path.c_str(), "S", "k", "new"));
        CHECK_FALSE(store.WriteString(path.c_str(), "S", "other", "new"));
        CHECK(fixture.ReadRaw(path) == "[S]\r\nk=old\r\n");
        CHECK(store.CanOpenForReading(path.c_str()));
        CHECK_FALSE(store.CanOpenForWriting(path.c_str()));
    }
    SUBCASE("a file another holder keeps without sharing cannot be opened for reading") {
        fixture.WriteRaw(path, "[S]\r\nk=value\r\n");
        fixture.HoldOpenExclusively(path);
        CHECK_FALSE(store.CanOpenForReading(path.c_str()));
        CHECK(ReadBack(store, path, "S", "k") == "<missing>");
    }
}

}  // namespace ql::test
