// The item catalogue under "Measure" and the item description files.
// Plain functions over the open root key and the program directory, so
// tests run them under a scratch key.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "items/description.h"

namespace items {

extern const char kMeasureKey[];

// True when name is a bare file name: no drive, no directories, no "..",
// no device name (CON, COM1.BNC...). Anything else would reach outside the
// program directory or open a device.
bool IsPlainFileName(const std::string& name);
// The exact path exists (a file search on it, as the catalogue checks).
bool FileExists(const std::string& path);
// The names in one directory, read with a single search, for many
// lookups: a file search on each exact path costs too much in a large
// catalogue. A name is there when a file search on it would find it: case
// does not matter and the short (8.3) name counts. Names with search
// wildcards never count.
class DirectoryListing {
public:
    explicit DirectoryListing(const std::string& dir);  // dir ends with a backslash
    bool Contains(const std::string& name) const;

private:
    std::vector<std::string> m_names;  // folded (FoldName), sorted
};

// name with its last three characters replaced (X.BNC -> X.MCR).
std::string WithExtension(const std::string& name, const char* ext3);

// Fills "Measure" with one selected entry per *.BNC file of the program
// directory, numbered from 0000. Existing subkeys are not removed.
void BuildMeasureTree(HKEY root, const std::string& programDir);

// "Measure" is there (opened, never created). A start without it has never
// finished its first scan, so it scans; an empty one is the user's choice.
bool MeasureExists(HKEY root);

struct CatalogueEntry {
    std::string file;    // "File", up to its first NUL
    bool exists = false;  // program directory + file is there (and is a plain name)
    bool selected = false;  // "Select" reads exactly 1
};
// Every readable entry in enumeration order; entries whose "File" cannot be
// read are left out. Missing "Measure" gives an empty list.
std::vector<CatalogueEntry> ReadCatalogue(HKEY root, const std::string& programDir);

// Reads up to 9167 bytes into buffer (zero-filled first). Like the original
// reader it creates the file empty when missing. False when it cannot open.
bool ReadItemDescription(std::vector<uint8_t>* buffer, const std::string& path);

// Item name and "(Version 1.05)"; both empty when the file yields nothing.
void GetItemName(const std::string& path, std::string* name, std::string* versionText);
std::string VersionText(uint32_t version);

std::string MissingFileMessage(const std::string& file);

}  // namespace items
