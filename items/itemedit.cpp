#include "items/itemedit.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "framework/regkey.h"
#include "items/catalogue.h"
#include "items/measuretree.h"

namespace items {

bool SameFileName(const std::string& a, const std::string& b) { return FoldName(a) == FoldName(b); }

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
    {
        RegKey measure;
        if (!measure.Open(root, kMeasureKey, KEY_ALL_ACCESS)) return false;
    }
    MeasureTree tree;
    for (size_t i = 0; i < list.size(); ++i) {
        char keyName[16];
        std::snprintf(keyName, sizeof keyName, "%04d", static_cast<int>(i));
        // The list's 128-byte text buffer, NUL-terminated inside it.
        TreeValue file{"File", REG_SZ, std::vector<uint8_t>(kEditTextMax + 1, 0)};
        std::memcpy(file.data.data(), list[i].file.data(), std::min(list[i].file.size(), kEditTextMax));
        const DWORD select = list[i].selected ? 1 : 0;
        const uint8_t* s = reinterpret_cast<const uint8_t*>(&select);
        tree.SetValue(keyName, file);
        tree.SetValue(keyName, TreeValue{"Select", REG_DWORD, std::vector<uint8_t>(s, s + 4)});
    }
    return ReplaceMeasure(root, tree);
}

}  // namespace items
