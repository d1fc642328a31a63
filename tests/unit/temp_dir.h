// A fresh directory under %TEMP% for one test, removed afterwards.
#pragma once
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

class TempDir {
public:
    // Under %TEMP%, or under parent (ending with a backslash).
    explicit TempDir(const std::string& parent = std::string()) {
        char base[MAX_PATH];
        GetTempPathA(sizeof base, base);
        if (!parent.empty()) std::snprintf(base, sizeof base, "%s", parent.c_str());
        char name[64];
        std::snprintf(name, sizeof name, "zelbr-unit-%lu-%lu\\", GetCurrentProcessId(), ++s_counter);
        path = std::string(base) + name;
        CreateDirectoryA(path.c_str(), nullptr);
    }
    ~TempDir() {
        WIN32_FIND_DATAA f;
        HANDLE h = FindFirstFileA((path + "*").c_str(), &f);
        if (h != INVALID_HANDLE_VALUE) {
            do DeleteFileA((path + f.cFileName).c_str());
            while (FindNextFileA(h, &f));
            FindClose(h);
        }
        RemoveDirectoryA(path.c_str());
    }
    void Write(const std::string& name, const std::vector<unsigned char>& bytes = {}) const {
        HANDLE h = CreateFileA((path + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD n;
        if (!bytes.empty()) WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr);
        CloseHandle(h);
    }
    std::string path;  // ends with a backslash

private:
    static inline unsigned long s_counter = 0;
};
