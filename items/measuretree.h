// The "Measure" subtree held in memory, and the one way the program replaces
// it in the registry. The platform has no key rename and no transactions,
// so a replacement is journalled: the new tree is built in a sibling key,
// one marker value (a single value write is atomic) says the sibling is
// complete, then "Measure" is rewritten from it and the marker cleared. A
// kill at any point leaves either the old tree or a complete sibling that
// RecoverMeasure rolls forward at the next start.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace items {

// Names compare as the registry and the file system compare them: ASCII
// letters without case; a double-byte character (code page 932) is kept
// whole, so a trail byte such as 0x5C, 0x7C or 0x61 is neither a separator
// nor a letter.
std::string FoldName(const std::string& name);
bool IsLeadByte932(unsigned char c);

struct TreeValue {
    std::string name;  // as written; empty is the default value
    DWORD type = REG_NONE;
    std::vector<uint8_t> data;
};

struct TreeKey {
    std::string path;                       // below "Measure"; empty is "Measure" itself
    std::map<std::string, TreeValue> values;  // by folded name
};

class MeasureTree {
public:
    MeasureTree();  // "Measure" alone, empty
    // The key and every key above it; returns it.
    TreeKey& Key(const std::string& path);
    // The key with all below it; removing "" empties the tree.
    void Remove(const std::string& path);
    void SetValue(const std::string& path, const TreeValue& value);
    void RemoveValue(const std::string& path, const std::string& name);
    // Keys in folded name order: parents before children, and the items of
    // "Measure" in their numeric order.
    const std::map<std::string, TreeKey>& keys() const { return m_keys; }
    size_t ValueCount() const;

private:
    std::map<std::string, TreeKey> m_keys;  // by folded path
};

// The subtree under parent\name as it stands; false when it does not open.
bool ReadTree(HKEY parent, const char* name, MeasureTree* tree);

// Replaces "Measure" by tree as one step (see above). False, and the old
// catalogue kept, when the new one cannot be written in full. (Should
// "Measure" itself refuse the rewrite once the sibling is whole, the
// sibling stays marked and the next start finishes it.)
bool ReplaceMeasure(HKEY root, const MeasureTree& tree);

// At start-up: finishes a replacement whose sibling was complete, or drops
// a sibling that never was.
void RecoverMeasure(HKEY root);

extern const char kMeasureNextKey[];    // the sibling
extern const char kMeasureSwapValue[];  // the marker, in the root key

// Tests only: a replacement stops dead, as if killed, after its n-th
// registry change (0 = never). The counter restarts with every call.
void StopReplaceAfterForTest(int steps);

}  // namespace items
