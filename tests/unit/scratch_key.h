// A registry root for one test under HKCU, removed afterwards.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>

#include "framework/regkey.h"

class ScratchKey {
public:
    ScratchKey() {
        char name[96];
        std::snprintf(name, sizeof name, "Software\\ZelbrTests\\%lu-%lu", GetCurrentProcessId(),
                      static_cast<unsigned long>(++s_counter));
        path = name;
        DeleteKeyTree(HKEY_CURRENT_USER, path.c_str());
        key.Create(HKEY_CURRENT_USER, path.c_str());
    }
    ~ScratchKey() {
        key.Close();
        DeleteKeyTree(HKEY_CURRENT_USER, path.c_str());
    }
    HKEY root() const { return key.get(); }

    RegKey Sub(const char* sub) const {
        RegKey k;
        k.Create(key.get(), sub);
        return k;
    }
    // Raw bytes of a value; empty string when missing.
    std::string Raw(const char* sub, const char* value, DWORD* type = nullptr) const {
        RegKey k;
        if (!k.Open(key.get(), sub)) return std::string();
        char buf[512];
        DWORD size = sizeof buf, t = 0;
        if (RegQueryValueExA(k.get(), value, nullptr, &t, reinterpret_cast<BYTE*>(buf), &size) != ERROR_SUCCESS)
            return std::string();
        if (type) *type = t;
        return std::string(buf, size);
    }
    bool Has(const char* sub, const char* value) const {
        RegKey k;
        return k.Open(key.get(), sub) && RegQueryValueExA(k.get(), value, nullptr, nullptr, nullptr, nullptr) == 0;
    }

    std::string path;
    RegKey key;

private:
    static inline unsigned long s_counter = 0;
};
