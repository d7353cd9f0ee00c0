// The contract cases against the in-memory fakes; the same cases run against
// the real services under Wine.
#include <doctest/doctest.h>

#include "tests/contract/FileSystemContract.h"
#include "tests/contract/ProfileStoreContract.h"
#include "tests/fakes/FakeFileSystem.h"
#include "tests/fakes/FakeProfileStore.h"

namespace ql::test {
namespace {

constexpr const char* kFolder = "C:\\Contract";

class FakeProfileFixture final : public ProfileFixture {
public:
    ProfileStore& Store() override { return m_store; }
    std::string Folder() override { return kFolder; }
    std::string ReadRaw(const std::string& path) override { return m_store.Text(path); }
    void WriteRaw(const std::string& path, const std::string& text) override { m_store.SetText(path, text); }
    void DenyWriting(const std::string& path) override { m_store.SetReadOnly(path); }
    void HoldOpenExclusively(const std::string& path) override { m_store.SetUnreadable(path); }

private:
    FakeProfileStore m_store;
};

class FakeFileFixture final : public FileFixture {
public:
    FileSystem& Files() override { return m_files; }
    std::string Folder() override { return kFolder; }
    std::string ReadRaw(const std::string& path) override { return m_files.Content(path); }
    void WriteRaw(const std::string& path, const std::string& text) override { m_files.SetFile(path, text); }
    void DenyWriting(const std::string& path) override { m_files.SetReadOnly(path); }

private:
    FakeFileSystem m_files{kFolder};
};

TEST_CASE("fake profile store keeps the profile contract") {
    FakeProfileFixture fixture;
    CheckProfileContract(fixture);
}

TEST_CASE("fake file system keeps the file-system contract") {
    FakeFileFixture fixture;
    CheckFileSystemContract(fixture);
}

// The layout the fake writes, byte for byte (the real services use their own).
TEST_CASE("fake profile store writes keys and sections in place") {
    FakeProfileStore store;
    const std::string path = "C:\\x.ini";

    SUBCASE("a new key goes before the blank lines that end its section") {
        store.SetText(path, "[S]\r\na=1\r\n\r\n[T]\r\nb=2");
        CHECK(store.WriteString(path.c_str(), "s", "c", "3"));
        CHECK(store.Text(path) == "[S]\r\na=1\r\nc=3\r\n\r\n[T]\r\nb=2\r\n");
    }
    SUBCASE("a replaced key keeps its own spelling and its line") {
        store.SetText(path, "[S]\nKey = old\nz=1\n");
        CHECK(store.WriteString(path.c_str(), "S", "KEY", "new"));
        CHECK(store.Text(path) == "[S]\r\nKey=new\r\nz=1\r\n");
    }
    SUBCASE("only the first of two sections with one name is used") {
        store.SetText(path, "[S]\r\na=1\r\n[s]\r\na=2\r\nb=3\r\n");
        char out[8];
        CHECK(store.ReadString(path.c_str(), "S", "b", "none", out, sizeof out) == 4);
        CHECK(std::string(out) == "none");
        CHECK(store.WriteString(path.c_str(), "S", "a", "9"));
        CHECK(store.Text(path) == "[S]\r\na=9\r\n[s]\r\na=2\r\nb=3\r\n");
    }
    SUBCASE("keys before the first section belong to none") {
        store.SetText(path, "a=1\r\n[S]\r\n");
        char out[8];
        store.ReadString(path.c_str(), "S", "a", "none", out, sizeof out);
        CHECK(std::string(out) == "none");
    }
}

}  // namespace
}  // namespace ql::test
