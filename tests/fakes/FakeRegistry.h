#pragma once
// Registry keys and string values in memory. A key can be made to refuse
// opening (as to a user without write access) or to refuse changes to its
// values once open.
#include <map>
#include <set>
#include <string>

#include "platform/Registry.h"
#include "tests/fakes/NoCaseLess.h"

namespace ql::test {

class FakeRegistry final : public Registry {
public:
    std::unique_ptr<RegistryKey> OpenOrCreate(RegistryRoot root, const char* path) override;
    std::unique_ptr<RegistryKey> OpenForReading(RegistryRoot root, const char* path) override;
    bool DeleteKey(RegistryRoot root, const char* path) override;

    // Opening the key for full access fails (it is not created either).
    void DenyOpening(RegistryRoot root, const std::string& path) { m_denied.insert(Name(root, path)); }
    // The key opens, but setting and deleting its values fail.
    void RefuseChanges(RegistryRoot root, const std::string& path) { m_readOnly.insert(Name(root, path)); }

    bool KeyExists(RegistryRoot root, const std::string& path) const { return m_keys.count(Name(root, path)) != 0; }
    // A value as stored, or "<missing>".
    std::string Value(RegistryRoot root, const std::string& path, const std::string& name) const;
    void SetValue(RegistryRoot root, const std::string& path, const std::string& name, const std::string& data);
    // A REG_DWORD value (a string value of the same name goes).
    void SetNumber(RegistryRoot root, const std::string& path, const std::string& name, std::uint32_t data);
    // Every open, create, set and delete attempted so far.
    int Operations() const { return m_operations; }
    // Keys open at this moment: each step must close what it opened.
    int OpenKeys() const { return m_openKeys; }

private:
    class Key;
    using Values = std::map<std::string, std::string, NoCaseLess>;
    using Numbers = std::map<std::string, std::uint32_t, NoCaseLess>;
    static std::string Name(RegistryRoot root, const std::string& path);

    std::map<std::string, Values, NoCaseLess> m_keys;
    std::map<std::string, Numbers, NoCaseLess> m_numbers;
    std::set<std::string, NoCaseLess> m_denied;
    std::set<std::string, NoCaseLess> m_readOnly;
    int m_operations = 0;
    int m_openKeys = 0;
};

}  // namespace ql::test
