#pragma once
// A registry key that this user may not open, for as long as the object
// lives: its access-control list is emptied and then put back as it was.
#include <windows.h>

#include <string>
#include <vector>

#include "platform/win32/UniqueHandle.h"

namespace ql::test {

class ScopedKeyDenial {
public:
    ScopedKeyDenial(HKEY root, const std::string& path) {
        HKEY key = nullptr;
        // The handle keeps the right to change the list after it is emptied.
        if (RegOpenKeyExA(root, path.c_str(), 0, READ_CONTROL | WRITE_DAC, &key) != ERROR_SUCCESS) return;
        m_key.reset(key);
        DWORD size = 0;
        RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
        m_saved.resize(size);
        if (size == 0 ||
            RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, m_saved.data(), &size) != ERROR_SUCCESS) {
            m_key.reset();
            return;
        }
        SECURITY_DESCRIPTOR denyAll;
        InitializeSecurityDescriptor(&denyAll, SECURITY_DESCRIPTOR_REVISION);
        InitializeAcl(&m_emptyAcl, sizeof m_emptyAcl, ACL_REVISION);
        SetSecurityDescriptorDacl(&denyAll, TRUE, &m_emptyAcl, FALSE);
        m_applied = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &denyAll) == ERROR_SUCCESS;
        HKEY probe = nullptr;
        m_enforced = m_applied && RegOpenKeyExA(root, path.c_str(), 0, KEY_ALL_ACCESS, &probe) != ERROR_SUCCESS;
        if (probe != nullptr) RegCloseKey(probe);
    }
    ~ScopedKeyDenial() {
        if (m_applied) RegSetKeySecurity(m_key.get(), DACL_SECURITY_INFORMATION, m_saved.data());
    }
    ScopedKeyDenial(const ScopedKeyDenial&) = delete;
    ScopedKeyDenial& operator=(const ScopedKeyDenial&) = delete;

    // Whether opening the key for full access is now refused.
    bool Enforced() const { return m_enforced; }

private:
    win32::UniqueKey m_key;
    std::vector<BYTE> m_saved;
    ACL m_emptyAcl{};
    bool m_applied = false;
    bool m_enforced = false;
};

}  // namespace ql::test
