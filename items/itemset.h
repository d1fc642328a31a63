// Item sets: the "Measure" subtree saved to and loaded from a registry file
// (".REG"). The program reads and writes these files itself rather than
// through the platform's registry editor: a file from elsewhere is
// untrusted, and only here can it be checked to touch nothing but "Measure"
// before any of it is applied.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace items {

// The file's name for the program's root key, "HKEY_CURRENT_USER\Software\...".
std::string RootKeyName();

// The "Measure" subtree as a REGEDIT4 file (code page 932, CR LF), keys in
// enumeration order. An absent or empty subtree still gives its key line.
std::string ExportItemSet(HKEY root, const std::string& rootName);

// One change a file asks for, relative to the program's root key.
struct ItemSetChange {
    enum Kind { kCreateKey, kDeleteKey, kSetValue, kDeleteValue } kind;
    std::wstring key;    // "Measure" or "Measure\..."
    std::wstring name;   // value name; empty for the default value
    DWORD type = 0;
    std::vector<uint8_t> data;
};

struct ItemSetFile {
    bool ok = false;
    int line = 0;        // where reading stopped, from 1
    std::string reason;  // why, for the message
    std::vector<ItemSetChange> changes;
};

// Reads a registry file (REGEDIT4 in code page 932, or version 5.00 in
// UTF-16 with its byte-order mark) and checks every key it names lies in
// rootName's "Measure" subtree. Nothing is applied here.
ItemSetFile ParseItemSet(const std::vector<uint8_t>& bytes, const std::string& rootName);

// Applies checked changes under root; false at the first that fails.
bool ApplyItemSet(HKEY root, const std::vector<ItemSetChange>& changes);

constexpr size_t kMaxItemSetFile = 1 << 20;  // far beyond any catalogue

}  // namespace items
