#include "framework/regkey.h"

#include <cstring>

bool RegKey::Create(HKEY parent, const char* subkey, bool* created) {
    Close();
    DWORD disposition = 0;
    char cls[] = "REG_SZ";
    LONG rc = RegCreateKeyExA(parent, subkey, 0, cls, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr,
                              &m_key, &disposition);
    if (rc != ERROR_SUCCESS) {
        m_key = nullptr;
        return false;
    }
    if (created) *created = disposition == REG_CREATED_NEW_KEY;
    return true;
}

bool RegKey::Open(HKEY parent, const char* subkey, REGSAM access) {
    Close();
    if (RegOpenKeyExA(parent, subkey, 0, access, &m_key) != ERROR_SUCCESS) {
        m_key = nullptr;
        return false;
    }
    return true;
}

void RegKey::Close() {
    if (m_key) RegCloseKey(m_key);
    m_key = nullptr;
}

bool RegKey::ReadExact(const char* name, void* buf, DWORD size) const {
    if (!m_key) return false;
    DWORD got = size;
    if (RegQueryValueExA(m_key, name, nullptr, nullptr, static_cast<BYTE*>(buf), &got) != ERROR_SUCCESS)
        return false;
    return got == size;
}

bool RegKey::ReadText(const char* name, std::string* value) const {
    if (!m_key) return false;
    char buf[256];
    DWORD got = sizeof buf;
    if (RegQueryValueExA(m_key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &got) != ERROR_SUCCESS)
        return false;
    if (got == 0) {
        value->clear();
        return true;
    }
    // The stored bytes may lack their terminator; never read past them.
    value->assign(buf, got);
    value->resize(value->find('\0') == std::string::npos ? got : value->find('\0'));
    return true;
}

bool RegKey::WriteBinary(const char* name, const void* data, DWORD size) const {
    return WriteBinaryAs(REG_BINARY, name, data, size);
}

bool RegKey::WriteBinaryAs(DWORD type, const char* name, const void* data, DWORD size) const {
    return m_key && RegSetValueExA(m_key, name, 0, type, static_cast<const BYTE*>(data), size) == ERROR_SUCCESS;
}

bool RegKey::WriteDword(const char* name, DWORD value) const {
    return m_key && RegSetValueExA(m_key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                                   sizeof value) == ERROR_SUCCESS;
}

bool RegKey::WriteText(const char* name, const std::string& value) const {
    return m_key && RegSetValueExA(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                   static_cast<DWORD>(value.size() + 1)) == ERROR_SUCCESS;
}

std::vector<std::string> SubkeyNames(HKEY key) {
    std::vector<std::string> names;
    char name[256];
    for (DWORD i = 0;; ++i) {
        DWORD len = sizeof name;
        LONG rc = RegEnumKeyExA(key, i, name, &len, nullptr, nullptr, nullptr, nullptr);
        // Only a name too long for the buffer is passed over. Any other
        // error (the key deleted under us, a handle gone bad) answers the
        // same for every index: going on would walk all 2^32 of them.
        if (rc == ERROR_MORE_DATA) continue;
        if (rc != ERROR_SUCCESS) break;
        // A name the ANSI side cannot spell may come back empty; opened, it
        // would be the key itself, and a walk down the tree would never end.
        if (len == 0 || std::strlen(name) != len) continue;
        names.push_back(std::string(name, len));
    }
    return names;
}

bool DeleteKeyTree(HKEY parent, const char* subkey) {
    HKEY key;
    if (RegOpenKeyExA(parent, subkey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS) return false;
    char name[256];
    for (;;) {
        DWORD len = sizeof name;
        if (RegEnumKeyExA(key, 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (!name[0] || !DeleteKeyTree(key, name)) break;  // an empty name is the key itself
    }
    RegCloseKey(key);
    return RegDeleteKeyA(parent, subkey) == ERROR_SUCCESS;
}
