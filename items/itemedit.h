// The item editor's registry and file work, apart from its window: the list
// it starts from and the rewrite of "Measure" in the list's order.
#pragma once
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace items {

struct EditEntry {
    std::string file;  // module file name, relative to the program directory
    bool selected = false;
};

// The list text holds at most this many characters of a file name.
constexpr size_t kEditTextMax = 127;

// Catalogue items whose module exists, in catalogue order, then every
// module of the program directory the catalogue does not hold yet,
// unticked. Each catalogued item whose module is gone goes to missing(file)
// and is left out, so the next rewrite drops it. Creates "Measure" when
// it is not there.
std::vector<EditEntry> BuildEditList(HKEY root, const std::string& programDir,
                                     const std::function<void(const std::string&)>& missing);

// Module file names compare as the file system does: ASCII letters without
// case, a double-byte character whole (its trail byte is never folded).
bool SameFileName(const std::string& a, const std::string& b);

// Replaces every subkey of "Measure" by the list, numbered "0000" upward,
// in one step a kill cannot split (ReplaceMeasure). False, and nothing
// written, when "Measure" cannot be opened or the new one not written.
bool RewriteMeasure(HKEY root, const std::vector<EditEntry>& list);

}  // namespace items
