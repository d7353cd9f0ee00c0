#pragma once
// A working folder as a standard user may have prepared it before the
// installation: folders, files with extra hard links, links and junctions.
#include <map>
#include <string>
#include <vector>

#include "installer/FolderPlan.h"
#include "tests/fakes/NoCaseLess.h"

namespace ql::test {

class FakePackageFiles final : public installer::PackageFiles {
public:
    void Folder(const std::string& path) { m_objects[path] = {installer::FoundKind::Folder, 1}; }
    // Made by a standard user: not the administrators'.
    void UsersFolder(const std::string& path) { m_objects[path] = {installer::FoundKind::Folder, 1, false}; }
    void File(const std::string& path, unsigned links = 1) { m_objects[path] = {installer::FoundKind::File, links}; }
    void Link(const std::string& path) { m_objects[path] = {installer::FoundKind::Link, 1}; }
    void Remove(const std::string& path) { m_objects.erase(path); }

    installer::Found Inspect(const std::string& path) override {
        const auto found = m_objects.find(path);
        return found == m_objects.end() ? installer::Found{} : found->second;
    }
    std::vector<std::string> Children(const std::string& folder) override {
        std::vector<std::string> names;
        const std::string prefix = folder + "\\";
        for (const auto& object : m_objects) {
            const std::string& path = object.first;
            if (path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0 &&
                path.find('\\', prefix.size()) == std::string::npos) {
                names.push_back(path.substr(prefix.size()));
            }
        }
        return names;
    }

private:
    std::map<std::string, installer::Found, NoCaseLess> m_objects;
};

}  // namespace ql::test
