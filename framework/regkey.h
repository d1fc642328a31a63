// RegKey: one open registry key, closed when it goes out of scope.
// Reads are into fixed-size buffers; a failed read or a size other than the
// buffer's counts as "missing", which callers replace by a default.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

class RegKey {
public:
    RegKey() = default;
    ~RegKey() { Close(); }
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    RegKey(RegKey&& o) noexcept : m_key(o.m_key) { o.m_key = nullptr; }

    // Create-or-open with full access; created tells whether it is new.
    bool Create(HKEY parent, const char* subkey, bool* created = nullptr);
    bool Open(HKEY parent, const char* subkey, REGSAM access = KEY_READ);
    void Close();
    void Flush() const { if (m_key) RegFlushKey(m_key); }
    HKEY get() const { return m_key; }
    explicit operator bool() const { return m_key != nullptr; }
    HKEY Release() { HKEY k = m_key; m_key = nullptr; return k; }

    // True only when the value exists and fills exactly size bytes.
    bool ReadExact(const char* name, void* buf, DWORD size) const;
    bool ReadDword(const char* name, DWORD* value) const { return ReadExact(name, value, sizeof *value); }
    // Text of at most 255 bytes plus terminator; missing when longer or absent.
    bool ReadText(const char* name, std::string* value) const;
    bool WriteBinary(const char* name, const void* data, DWORD size) const;
    bool WriteDword(const char* name, DWORD value) const;
    // Bytes under any value type (a text written with its whole buffer).
    bool WriteBinaryAs(DWORD type, const char* name, const void* data, DWORD size) const;
    bool WriteText(const char* name, const std::string& value) const;
    bool DeleteValue(const char* name) const { return RegDeleteValueA(m_key, name) == ERROR_SUCCESS; }

private:
    HKEY m_key = nullptr;
};

// Names of a key's subkeys in enumeration order; one too long to read is
// left out. Stops at the first other error, such as the key being deleted
// by another program while it is walked.
std::vector<std::string> SubkeyNames(HKEY key);

// Removes a key with all its subkeys (RegDeleteKey alone refuses on NT).
bool DeleteKeyTree(HKEY parent, const char* subkey);
