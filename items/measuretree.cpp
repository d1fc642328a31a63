#include "items/measuretree.h"

#include "framework/regkey.h"
#include "items/catalogue.h"

namespace items {

const char kMeasureNextKey[] = "MeasureNext";
const char kMeasureSwapValue[] = "MeasureSwap";

bool IsLeadByte932(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

namespace {
// Full-width Latin, Greek and Cyrillic small letters, as whole characters,
// to their capitals (the file system matches them without case too).
unsigned FoldWide(unsigned c) {
    if (c >= 0x8281 && c <= 0x829A) return c - 0x21;  // ａ-ｚ
    if (c >= 0x83BF && c <= 0x83D6) return c - 0x20;  // α-ω
    if (c >= 0x8470 && c <= 0x8491 && c != 0x847F) return 0x8440 + (c - 0x8470) - (c > 0x847F);  // а-я
    return c;
}
}  // namespace

std::string FoldName(const std::string& name) {
    std::string out = name;
    for (size_t i = 0; i < out.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(out[i]);
        if (IsLeadByte932(c) && i + 1 < out.size()) {
            // Folded as one character: the trail byte alone is never a letter.
            unsigned w = FoldWide(c << 8 | static_cast<unsigned char>(out[i + 1]));
            out[i] = static_cast<char>(w >> 8);
            out[++i] = static_cast<char>(w & 0xFF);
            continue;
        }
        if (c >= 'a' && c <= 'z') out[i] = static_cast<char>(c - 'a' + 'A');
    }
    return out;
}

namespace {

// Offsets of the backslashes that separate key names (never a trail byte).
std::vector<size_t> Separators(const std::string& path) {
    std::vector<size_t> at;
    for (size_t i = 0; i < path.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(path[i]);
        if (IsLeadByte932(c) && i + 1 < path.size())
            ++i;
        else if (c == '\\')
            at.push_back(i);
    }
    return at;
}

// --- the test hook: a replacement that stops as if killed ----------------

int g_stopAfter = 0;
int g_steps = 0;
bool g_stopped = false;

// Called before every registry change of a replacement.
bool Step() {
    if (g_stopped) return false;
    ++g_steps;
    if (g_stopAfter > 0 && g_steps > g_stopAfter) {
        g_stopped = true;
        return false;
    }
    return true;
}

enum class Write { kDone, kFailed, kStopped };

Write Failed() { return g_stopped ? Write::kStopped : Write::kFailed; }

Write WriteTree(HKEY dest, const MeasureTree& tree) {
    for (const auto& k : tree.keys()) {
        const TreeKey& key = k.second;
        HKEY h = dest;
        if (!key.path.empty()) {
            if (!Step()) return Failed();
            if (RegCreateKeyExA(dest, key.path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                                nullptr, &h, nullptr) != ERROR_SUCCESS)
                return Write::kFailed;
        }
        Write result = Write::kDone;
        for (const auto& v : key.values) {
            const TreeValue& value = v.second;
            if (!Step()) {
                result = Failed();
                break;
            }
            if (RegSetValueExA(h, value.name.c_str(), 0, value.type, value.data.data(),
                               static_cast<DWORD>(value.data.size())) != ERROR_SUCCESS) {
                result = Write::kFailed;
                break;
            }
        }
        if (h != dest) RegCloseKey(h);
        if (result != Write::kDone) return result;
    }
    return Write::kDone;
}

// "Measure" rewritten as tree: dropped whole (one call takes all of a
// key's values) and written anew.
Write CopyIn(HKEY root, const MeasureTree& tree) {
    if (!Step()) return Failed();
    RegKey old;
    if (old.Open(root, kMeasureKey, KEY_ALL_ACCESS)) {
        for (const std::string& name : SubkeyNames(old.get())) {
            if (!Step()) return Failed();
            if (!DeleteKeyTree(old.get(), name.c_str())) return Write::kFailed;
        }
        old.Close();
        if (!Step()) return Failed();
        if (RegDeleteKeyA(root, kMeasureKey) != ERROR_SUCCESS) return Write::kFailed;
    }
    if (!Step()) return Failed();
    RegKey measure;
    if (!measure.Create(root, kMeasureKey)) return Write::kFailed;
    Write w = WriteTree(measure.get(), tree);
    if (w == Write::kDone) measure.Flush();
    return w;
}

bool Marked(HKEY root) {
    DWORD mark = 0, size = sizeof mark;
    return RegQueryValueExA(root, kMeasureSwapValue, nullptr, nullptr, reinterpret_cast<BYTE*>(&mark), &size) ==
           ERROR_SUCCESS;
}

void ReadKey(HKEY key, const std::string& path, MeasureTree* tree) {
    TreeKey& k = tree->Key(path);
    for (DWORD i = 0;; ++i) {
        char name[256];
        DWORD len = sizeof name, type = 0, size = 0;
        LONG rc = RegEnumValueA(key, i, name, &len, nullptr, &type, nullptr, &size);
        if (rc == ERROR_MORE_DATA) continue;  // a name too long to read; the rest may still be
        if (rc != ERROR_SUCCESS) break;       // no more, or the key is gone
        TreeValue v;
        v.name.assign(name, len);
        v.type = type;
        v.data.resize(size);
        len = sizeof name;
        DWORD got = size;
        if (RegEnumValueA(key, i, name, &len, nullptr, &type, size ? v.data.data() : nullptr, &got) !=
            ERROR_SUCCESS)
            continue;
        v.data.resize(got);
        k.values[FoldName(v.name)] = v;
    }
    for (const std::string& sub : SubkeyNames(key)) {
        RegKey child;
        if (child.Open(key, sub.c_str())) ReadKey(child.get(), path.empty() ? sub : path + "\\" + sub, tree);
    }
}

}  // namespace

MeasureTree::MeasureTree() { m_keys[""] = TreeKey{}; }

TreeKey& MeasureTree::Key(const std::string& path) {
    std::vector<size_t> cuts = Separators(path);
    cuts.push_back(path.size());
    TreeKey* key = &m_keys[""];
    if (path.empty()) return *key;
    for (size_t cut : cuts) {
        std::string prefix = path.substr(0, cut);
        key = &m_keys[FoldName(prefix)];
        if (key->path.empty()) key->path = prefix;
    }
    return *key;
}

void MeasureTree::Remove(const std::string& path) {
    if (path.empty()) {
        m_keys.clear();
        m_keys[""] = TreeKey{};
        return;
    }
    const std::string folded = FoldName(path);
    m_keys.erase(folded);
    const std::string below = folded + "\\";
    auto it = m_keys.lower_bound(below);
    while (it != m_keys.end() && it->first.compare(0, below.size(), below) == 0) it = m_keys.erase(it);
}

void MeasureTree::SetValue(const std::string& path, const TreeValue& value) {
    Key(path).values[FoldName(value.name)] = value;
}

void MeasureTree::RemoveValue(const std::string& path, const std::string& name) {
    Key(path).values.erase(FoldName(name));
}

size_t MeasureTree::ValueCount() const {
    size_t n = 0;
    for (const auto& k : m_keys) n += k.second.values.size();
    return n;
}

bool ReadTree(HKEY parent, const char* name, MeasureTree* tree) {
    *tree = MeasureTree();
    RegKey key;
    if (!key.Open(parent, name)) return false;
    ReadKey(key.get(), std::string(), tree);
    return true;
}

void StopReplaceAfterForTest(int steps) { g_stopAfter = steps; }

bool ReplaceMeasure(HKEY root, const MeasureTree& tree) {
    g_steps = 0;
    g_stopped = false;
    // A replacement left half done in this session is finished first; the
    // sibling may only be rebuilt once no marker points at it.
    if (Marked(root)) RecoverMeasure(root);
    if (Marked(root)) return false;
    DeleteKeyTree(root, kMeasureNextKey);
    if (!Step()) return false;
    RegKey next;
    if (!next.Create(root, kMeasureNextKey)) return false;
    Write w = WriteTree(next.get(), tree);
    if (w == Write::kStopped) return false;
    if (w == Write::kFailed) {
        next.Close();
        DeleteKeyTree(root, kMeasureNextKey);
        return false;
    }
    next.Flush();
    next.Close();
    // The sibling is complete: from here on the new tree wins.
    if (!Step()) return false;
    const DWORD mark = 1;
    if (RegSetValueExA(root, kMeasureSwapValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&mark), sizeof mark) !=
        ERROR_SUCCESS) {
        DeleteKeyTree(root, kMeasureNextKey);
        return false;
    }
    RegFlushKey(root);
    switch (CopyIn(root, tree)) {
    case Write::kDone: break;
    case Write::kStopped: return false;
    case Write::kFailed:
        // The sibling is whole: try once more from it; else the next start does.
        RecoverMeasure(root);
        return !Marked(root);
    }
    if (!Step()) return false;
    RegDeleteValueA(root, kMeasureSwapValue);
    RegFlushKey(root);
    if (!Step()) return false;
    DeleteKeyTree(root, kMeasureNextKey);
    return true;
}

void RecoverMeasure(HKEY root) {
    if (Marked(root)) {
        MeasureTree tree;
        if (ReadTree(root, kMeasureNextKey, &tree)) {
            bool stopped = g_stopped;
            g_stopped = false;
            Write w = CopyIn(root, tree);
            g_stopped = stopped;
            if (w != Write::kDone) return;  // tried again at the next start
        }
        RegDeleteValueA(root, kMeasureSwapValue);
        RegFlushKey(root);
    }
    DeleteKeyTree(root, kMeasureNextKey);
}

}  // namespace items
