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
// enumeration order, opened by a deletion of "Measure": loading the file,
// here or in the platform's registry editor, replaces the catalogue rather
// than merging into it. An absent or empty subtree still gives its key line.
// The keys follow each other without blank lines; the one blank line ends
// the file, so a copy cut short anywhere is refused (see ParseItemSet).
// A text the file cannot hold between quotes (a line break, a control
// character, bytes that are no code page 932 text) is written as hex(1).
std::string ExportItemSet(HKEY root, const std::string& rootName);

// One change a file asks for, below "Measure" (code page 932 names).
struct ItemSetChange {
    enum Kind { kCreateKey, kDeleteKey, kSetValue, kDeleteValue } kind;
    std::string key;   // below "Measure"; empty is "Measure" itself
    std::string name;  // value name; empty for the default value
    DWORD type = 0;
    std::vector<uint8_t> data;
};

struct ItemSetFile {
    bool ok = false;
    int line = 0;        // where reading stopped, from 1
    std::string reason;  // why, for the message
    std::vector<ItemSetChange> changes;
};

// Reads a registry file (REGEDIT4 in code page 932, with or without a UTF-8
// byte-order mark, or version 5.00 in UTF-16) as the registry editor reads
// it, and checks that every key it names lies in rootName's "Measure"
// subtree. A file that ends inside a key's values (its last key not closed
// by a blank line, as every exported file closes it) was cut short and is
// refused. Nothing is applied here.
ItemSetFile ParseItemSet(const std::vector<uint8_t>& bytes, const std::string& rootName);

// The catalogue with the checked changes applied in their order, then put
// in place as one step (ReplaceMeasure): all of it or, on false, none.
bool ApplyItemSet(HKEY root, const std::vector<ItemSetChange>& changes);

constexpr size_t kMaxItemSetFile = 1 << 20;  // far beyond any catalogue
// Keys below "Measure" and values a file may write: far beyond any
// catalogue, and few enough to be written within a second.
constexpr size_t kMaxItemSetKeys = 1500;
constexpr size_t kMaxItemSetValues = 4000;
extern const char kItemSetTooLarge[];

}  // namespace items
