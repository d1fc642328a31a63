#include "items/itemedit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "framework/regkey.h"
#include "items/catalogue.h"

namespace items {

bool SameFileName(const std::string& a, const std::string& b) {
    // Compares in the user's code page, so a double-byte character is one
    // character and its second byte is never taken for a letter.
    return CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.c_str(), -1, b.c_str(), -1) == CSTR_EQUAL;
}

std::vector<EditEntry> BuildEditList(HKEY root, const std::string& programDir,
                                     const std::function<void(const std::string&)>& missing) {
    std::vector<EditEntry> list;
    {
        RegKey measure;
        measure.Create(root, kMeasureKey);
    }
    for (const CatalogueEntry& e : ReadCatalogue(root, programDir)) {
        if (!e.exists) {
            if (missing) missing(e.file);
            continue;
        }
        list.push_back(EditEntry{e.file.substr(0, kEditTextMax), e.selected});
    }
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((programDir + "*.BNC").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return list;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        std::string name = found.cFileName;
        bool listed = false;
        for (const EditEntry& e : list)
            if (SameFileName(e.file, name)) {
                listed = true;
                break;
            }
        if (!listed) list.push_back(EditEntry{name.substr(0, kEditTextMax), false});
    } while (FindNextFileA(h, &found));
    FindClose(h);
    return list;
}

bool RewriteMeasure(HKEY root, const std::vector<EditEntry>& list) {
    RegKey measure;
    if (!measure.Open(root, kMeasureKey, KEY_ALL_ACCESS)) return false;
    // Always index 0: every delete moves the rest down.
    for (;;) {
        char name[256];
        DWORD len = sizeof name;
        if (RegEnumKeyExA(measure.get(), 0, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        if (!DeleteKeyTree(measure.get(), name)) break;
    }
    for (size_t i = 0; i < list.size(); ++i) {
        char keyName[16];
        std::snprintf(keyName, sizeof keyName, "%04d", static_cast<int>(i));
        RegKey item;
        if (!item.Create(measure.get(), keyName)) continue;
        // The list's 128-byte text buffer, NUL-terminated inside it.
        char file[kEditTextMax + 1] = {};
        std::memcpy(file, list[i].file.data(), std::min(list[i].file.size(), kEditTextMax));
        item.WriteBinaryAs(REG_SZ, "File", file, sizeof file);
        item.WriteDword("Select", list[i].selected ? 1 : 0);
    }
    return true;
}

}  // namespace items
