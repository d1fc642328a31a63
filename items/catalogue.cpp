#include "items/catalogue.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "framework/regkey.h"
#include "items/measuretree.h"

namespace items {

const char kMeasureKey[] = "Measure";

namespace {
// CON, PRN, AUX, NUL, COM1-9 and LPT1-9 name devices whatever the case and the
// extension, and Windows drops spaces before the dot: "com1 .bnc" is a port.
// Opening one reads from the device and may never return.
bool IsDeviceName(const std::string& name) {
    std::string stem = name.substr(0, name.find('.'));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    for (char& c : stem)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (stem == "CON" || stem == "PRN" || stem == "AUX" || stem == "NUL") return true;
    return stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) &&
           stem[3] >= '1' && stem[3] <= '9';
}
}  // namespace

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name == "." || name == ".." || IsDeviceName(name)) return false;
    for (size_t i = 0; i < name.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(name[i]);
        // A double-byte character's second byte may be 0x5C; skip it.
        if (IsDBCSLeadByte(c) && i + 1 < name.size()) {
            ++i;
            continue;
        }
        if (c == '\\' || c == '/' || c == ':') return false;
    }
    return name.find("..") == std::string::npos;
}

bool FileExists(const std::string& path) {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA(path.c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return false;
    FindClose(h);
    return true;
}

DirectoryListing::DirectoryListing(const std::string& dir) {
    // The ANSI search: the wide one is a stub that fails on Windows 95.
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (found.cFileName[0]) m_names.push_back(FoldName(found.cFileName));
        if (found.cAlternateFileName[0]) m_names.push_back(FoldName(found.cAlternateFileName));
    } while (FindNextFileA(h, &found));
    FindClose(h);
    std::sort(m_names.begin(), m_names.end());
}

bool DirectoryListing::Contains(const std::string& name) const {
    if (name.find_first_of("*?<>\"") != std::string::npos) return false;
    // A path loses its trailing dots and spaces before it is searched
    // (neither byte can be the second of a double-byte character).
    std::string n = FoldName(name);
    n.erase(n.find_last_not_of(". ") + 1);
    return !n.empty() && std::binary_search(m_names.begin(), m_names.end(), n);
}

std::string WithExtension(const std::string& name, const char* ext3) {
    if (name.size() < 3) return ext3;
    return name.substr(0, name.size() - 3) + ext3;
}

void BuildMeasureTree(HKEY root, const std::string& programDir) {
    RegKey measure;
    if (!measure.Create(root, kMeasureKey)) return;
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((programDir + "*.BNC").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return;
    int n = 0;
    do {
        char keyName[16];
        std::snprintf(keyName, sizeof keyName, "%04d", n);
        RegKey item;
        if (!item.Create(measure.get(), keyName)) continue;
        ++n;
        // The whole 256-byte name buffer, NUL-terminated inside it.
        char file[256] = {};
        std::memcpy(file, found.cFileName, strnlen(found.cFileName, sizeof file - 1));
        item.WriteBinaryAs(REG_SZ, "File", file, sizeof file);
        item.WriteDword("Select", 1);
    } while (FindNextFileA(h, &found));
    FindClose(h);
}

bool MeasureExists(HKEY root) {
    RegKey measure;
    return measure.Open(root, kMeasureKey, KEY_READ);
}

std::vector<CatalogueEntry> ReadCatalogue(HKEY root, const std::string& programDir) {
    std::vector<CatalogueEntry> entries;
    RegKey measure;
    if (!measure.Open(root, kMeasureKey, KEY_READ)) return entries;
    DirectoryListing files(programDir);
    for (const std::string& name : SubkeyNames(measure.get())) {
        RegKey item;
        if (!item.Open(measure.get(), name.c_str(), KEY_READ)) continue;
        CatalogueEntry e;
        if (!item.ReadText("File", &e.file)) continue;
        e.exists = IsPlainFileName(e.file) && files.Contains(e.file);
        DWORD select = 0;
        e.selected = item.ReadDword("Select", &select) && select == 1;
        entries.push_back(e);
    }
    return entries;
}

bool ReadItemDescription(std::vector<uint8_t>* buffer, const std::string& path) {
    buffer->assign(kDescriptionSize, 0);
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) {
        buffer->clear();
        return false;
    }
    DWORD got = 0;
    ReadFile(f, buffer->data(), static_cast<DWORD>(kDescriptionSize), &got, nullptr);
    CloseHandle(f);
    buffer->resize(got);
    return true;
}

std::string VersionText(uint32_t version) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "(Version %d.%02d)", static_cast<int>(version >> 16),
                  static_cast<int>(version & 0xFFFF));
    return buf;
}

void GetItemName(const std::string& path, std::string* name, std::string* versionText) {
    std::vector<uint8_t> buf;
    name->clear();
    versionText->clear();
    if (!ReadItemDescription(&buf, path)) return;
    // A file too short for its version says nothing about it.
    if (buf.size() < kVersionOffset + 4) {
        *name = DescriptionField(buf.data(), buf.size(), kNameOffset, kNameSize);
        return;
    }
    ItemDescription d = ParseItemDescription(buf.data(), buf.size());
    *name = d.name;
    *versionText = VersionText(d.version);
}

std::string MissingFileMessage(const std::string& file) {
    return "選択されていた測定項目の実行ファイル\n" + file + "\nが存在しません。\nこの測定項目を削除します";
}

}  // namespace items
