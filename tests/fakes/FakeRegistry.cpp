#include "tests/fakes/FakeRegistry.h"

#include "core/Text.h"

namespace ql::test {

class FakeRegistry::Key final : public RegistryKey {
public:
    Key(FakeRegistry& owner, std::string name) : m_owner(owner), m_name(std::move(name)) { ++m_owner.m_openKeys; }
    ~Key() override { --m_owner.m_openKeys; }

    bool ValueExists(const char* name) override { return Values().count(name) != 0 || Numbers().count(name) != 0; }

    bool ReadNumber(const char* name, std::uint32_t& value) override {
        auto found = Numbers().find(name);
        if (found == Numbers().end()) return false;
        value = found->second;
        return true;
    }

    bool ReadString(const char* name, char* out, std::size_t capacity) override {
        if (capacity == 0) return false;
        out[0] = '\0';
        auto found = Values().find(name);
        if (found == Values().end() || found->second.size() >= capacity) return false;
        CopyText(out, capacity, found->second.c_str());
        return true;
    }

    bool SetString(const char* name, const char* data) override {
        ++m_owner.m_operations;
        if (ChangesRefused()) return false;
        Numbers().erase(name);
        Values()[name] = data;
        return true;
    }

    bool DeleteValue(const char* name) override {
        ++m_owner.m_operations;
        if (ChangesRefused()) return false;
        return (Values().erase(name) + Numbers().erase(name)) != 0;
    }

private:
    FakeRegistry::Values& Values() { return m_owner.m_keys[m_name]; }
    FakeRegistry::Numbers& Numbers() { return m_owner.m_numbers[m_name]; }
    bool ChangesRefused() const { return m_owner.m_readOnly.count(m_name) != 0; }

    FakeRegistry& m_owner;
    std::string m_name;
};

std::string FakeRegistry::Name(RegistryRoot root, const std::string& path) {
    return (root == RegistryRoot::LocalMachine ? "HKLM\\" : "HKCU\\") + path;
}

std::unique_ptr<RegistryKey> FakeRegistry::OpenOrCreate(RegistryRoot root, const char* path) {
    ++m_operations;
    const std::string name = Name(root, path);
    if (m_denied.count(name) != 0) return nullptr;
    m_keys[name];  // created when missing
    return std::make_unique<Key>(*this, name);
}

std::unique_ptr<RegistryKey> FakeRegistry::OpenForReading(RegistryRoot root, const char* path) {
    const std::string name = Name(root, path);
    if (m_keys.count(name) == 0) return nullptr;
    return std::make_unique<Key>(*this, name);
}

bool FakeRegistry::DeleteKey(RegistryRoot root, const char* path) {
    ++m_operations;
    const std::string name = Name(root, path);
    if (m_denied.count(name) != 0) return false;
    return m_keys.erase(name) != 0;
}

std::string FakeRegistry::Value(RegistryRoot root, const std::string& path, const std::string& name) const {
    auto key = m_keys.find(Name(root, path));
    if (key == m_keys.end()) return "<missing>";
    auto value = key->second.find(name);
    return value == key->second.end() ? "<missing>" : value->second;
}

void FakeRegistry::SetValue(RegistryRoot root, const std::string& path, const std::string& name,
                            const std::string& data) {
    m_numbers[Name(root, path)].erase(name);
    m_keys[Name(root, path)][name] = data;
}

void FakeRegistry::SetNumber(RegistryRoot root, const std::string& path, const std::string& name,
                             std::uint32_t data) {
    m_keys[Name(root, path)].erase(name);
    m_numbers[Name(root, path)][name] = data;
}

}  // namespace ql::test
