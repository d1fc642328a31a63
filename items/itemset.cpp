#include "items/itemset.h"

#include <cstdio>
#include <cstring>

#include "app/settings.h"
#include "framework/regkey.h"
#include "items/catalogue.h"
#include "items/measuretree.h"

namespace items {

const char kItemSetTooLarge[] = "ファイルが大きすぎます。";

namespace {

const wchar_t kRegedit4[] = L"REGEDIT4";
const wchar_t kVersion5[] = L"Windows Registry Editor Version 5.00";

// Whole code page 932 characters, no control bytes: text a quoted string
// of the file carries unchanged.
bool QuotableText(const std::string& s) {
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (IsLeadByte932(c)) {
            if (i + 1 >= s.size()) return false;
            unsigned char t = static_cast<unsigned char>(s[++i]);
            if (t < 0x40 || t == 0x7F || t > 0xFC) return false;
        } else if (c < 0x20 || c == 0x7F || c == 0x80 || c == 0xA0 || c >= 0xFD) {
            return false;
        }
    }
    return true;
}

// --- export ---------------------------------------------------------------

std::string Escaped(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        // A trail byte may be 0x5C; only single-byte backslashes are escaped.
        if (IsLeadByte932(c) && i + 1 < s.size()) {
            out += s[i];
            out += s[++i];
            continue;
        }
        if (c == '\\' || c == '"') out += '\\';
        if (c == '\r' || c == '\n') {
            out += c == '\r' ? "\\r" : "\\n";
            continue;
        }
        out += s[i];
    }
    return out;
}

std::string HexBytes(const uint8_t* p, size_t n, size_t lineStart) {
    std::string out;
    char buf[4];
    size_t column = lineStart;
    for (size_t i = 0; i < n; ++i) {
        // Long values go on in continuation lines, as the editor writes them.
        if (i && column > 76) {
            out += "\\\r\n  ";
            column = 2;
        }
        std::snprintf(buf, sizeof buf, i + 1 < n ? "%02x," : "%02x", p[i]);
        out += buf;
        column += 3;
    }
    return out;
}

std::string ValueLine(const TreeValue& v) {
    std::string line = v.name.empty() ? "@=" : "\"" + Escaped(v.name) + "\"=";
    const uint8_t* p = v.data.data();
    if (v.type == REG_SZ) {
        std::string text(reinterpret_cast<const char*>(p), v.data.size());
        text = text.substr(0, text.find('\0'));
        if (QuotableText(text)) return line + "\"" + Escaped(text) + "\"";
        // Up to its end, terminator included: what the editor and the
        // reader both store back byte for byte.
        std::string prefix = line + "hex(1):";
        return prefix + HexBytes(reinterpret_cast<const uint8_t*>(text.c_str()), text.size() + 1, prefix.size());
    }
    if (v.type == REG_DWORD && v.data.size() == 4) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "dword:%08lx", static_cast<unsigned long>(*reinterpret_cast<const DWORD*>(p)));
        return line + buf;
    }
    char buf[16];
    if (v.type == REG_BINARY)
        std::snprintf(buf, sizeof buf, "hex:");
    else
        std::snprintf(buf, sizeof buf, "hex(%lx):", static_cast<unsigned long>(v.type));
    line += buf;
    return line + HexBytes(p, v.data.size(), line.size());
}

// --- import ---------------------------------------------------------------

// Strict UTF-8 (after its byte-order mark); false on a malformed sequence.
bool DecodeUtf8(const uint8_t* p, size_t n, std::wstring* text) {
    text->clear();
    for (size_t i = 0; i < n;) {
        uint32_t c = p[i];
        int more = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : -1;
        if (more < 0 || (more > 0 && i + more >= n)) return false;
        if (more) c &= 0x3F >> more;
        for (int k = 1; k <= more; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) return false;
            c = (c << 6) | (p[i + k] & 0x3F);
        }
        static const uint32_t kMin[] = {0, 0x80, 0x800, 0x10000};
        if (c < kMin[more] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
        if (c >= 0x10000) {
            c -= 0x10000;
            *text += static_cast<wchar_t>(0xD800 + (c >> 10));
            *text += static_cast<wchar_t>(0xDC00 + (c & 0x3FF));
        } else {
            *text += static_cast<wchar_t>(c);
        }
        i += more + 1;
    }
    return true;
}

// Whole code page 932 characters and no NUL; then the platform converts.
bool DecodeAnsi(const uint8_t* p, size_t n, std::wstring* text) {
    for (size_t i = 0; i < n; ++i) {
        if (p[i] == 0) return false;
        if (IsLeadByte932(p[i])) {
            if (i + 1 >= n || p[i + 1] < 0x40 || p[i + 1] == 0x7F || p[i + 1] > 0xFC) return false;
            ++i;
        }
    }
    text->clear();
    if (!n) return true;
    int len = MultiByteToWideChar(932, 0, reinterpret_cast<const char*>(p), static_cast<int>(n), nullptr, 0);
    if (len <= 0) return false;
    text->assign(len, L'\0');
    MultiByteToWideChar(932, 0, reinterpret_cast<const char*>(p), static_cast<int>(n), &(*text)[0], len);
    return true;
}

// The file's text as UTF-16: a UTF-16 or UTF-8 byte-order mark says how,
// otherwise it is in code page 932. False when it does not decode.
bool Decode(const std::vector<uint8_t>& bytes, std::wstring* text) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        if (bytes.size() % 2) return false;
        text->assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
        return text->find(L'\0') == std::wstring::npos;
    }
    if (bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF)
        return DecodeUtf8(bytes.data() + 3, bytes.size() - 3, text) && text->find(L'\0') == std::wstring::npos;
    return !bytes.empty() && DecodeAnsi(bytes.data(), bytes.size(), text);
}

// Code page 932 bytes of wide text; false when a character has none.
bool ToAnsi(const wchar_t* w, size_t n, std::string* out) {
    out->clear();
    if (!n) return true;
    BOOL lossy = FALSE;
    int len = WideCharToMultiByte(932, 0, w, static_cast<int>(n), nullptr, 0, nullptr, &lossy);
    if (len <= 0 || lossy) return false;
    out->assign(len, '\0');
    WideCharToMultiByte(932, 0, w, static_cast<int>(n), &(*out)[0], len, nullptr, &lossy);
    return !lossy;
}
bool ToAnsi(const std::wstring& w, std::string* out) { return ToAnsi(w.data(), w.size(), out); }

// Physical lines: ends at LF, CR dropped before it. The empty rest after a
// final line break is no line.
class Lines {
public:
    explicit Lines(const std::wstring& text) : m_text(text) {}
    bool Next(std::wstring* line) {
        if (m_pos >= m_text.size()) return false;
        size_t end = m_text.find(L'\n', m_pos);
        if (end == std::wstring::npos) end = m_text.size();
        line->assign(m_text, m_pos, end - m_pos);
        if (!line->empty() && line->back() == L'\r') line->pop_back();
        m_pos = end + 1;
        ++m_number;
        return true;
    }
    int number() const { return m_number; }

private:
    const std::wstring& m_text;
    size_t m_pos = 0;
    int m_number = 0;
};

bool Blank(wchar_t c) { return c == L' ' || c == L'\t'; }

std::wstring Trimmed(const std::wstring& s) {
    size_t a = 0, b = s.size();
    while (a < b && Blank(s[a])) ++a;
    while (b > a && (Blank(s[b - 1]) || s[b - 1] == L'\r')) --b;
    return s.substr(a, b - a);
}

// Nothing, or only a comment, from i on.
bool OnlyComment(const std::wstring& s, size_t i) {
    while (i < s.size() && Blank(s[i])) ++i;
    return i == s.size() || s[i] == L';';
}

// A quoted string from s[*i] (at the opening quote), unescaped as the
// registry editor does: \\ \" \n \r, any other escaped character stands
// for itself; \0 cannot be stored in a string and is refused.
bool ParseQuoted(const std::wstring& s, size_t* i, std::wstring* out) {
    if (*i >= s.size() || s[*i] != L'"') return false;
    out->clear();
    for (size_t j = *i + 1; j < s.size(); ++j) {
        if (s[j] == L'\\') {
            if (++j >= s.size()) return false;
            wchar_t c = s[j];
            if (c == L'0') return false;
            *out += c == L'n' ? L'\n' : c == L'r' ? L'\r' : c;
        } else if (s[j] == L'"') {
            *i = j + 1;
            return true;
        } else {
            *out += s[j];
        }
    }
    return false;
}

bool HexDigit(wchar_t c, int* v) {
    if (c >= L'0' && c <= L'9') *v = c - L'0';
    else if (c >= L'a' && c <= L'f') *v = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F') *v = c - L'A' + 10;
    else return false;
    return true;
}

// Comma-separated bytes of one or two hex digits; a trailing comma is allowed.
bool ParseHex(const std::wstring& s, std::vector<uint8_t>* out) {
    size_t i = 0;
    for (;;) {
        while (i < s.size() && Blank(s[i])) ++i;
        if (i >= s.size()) return true;
        int value = 0, digits = 0, d = 0;
        while (i < s.size() && HexDigit(s[i], &d)) value = value * 16 + d, ++i, ++digits;
        if (digits == 0 || digits > 2) return false;
        out->push_back(static_cast<uint8_t>(value));
        while (i < s.size() && Blank(s[i])) ++i;
        if (i >= s.size()) return true;
        if (s[i++] != L',') return false;
    }
}

bool Fits(const std::string& name) { return name.size() <= 255; }

// The last character is a backslash of its own, not the second byte of 表.
bool EndsInSeparator(const std::string& path) {
    bool separator = false;
    for (size_t i = 0; i < path.size(); ++i) {
        separator = path[i] == '\\';
        if (IsLeadByte932(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) ++i;
    }
    return separator;
}

// Why a path below "Measure" cannot be a key there, or null: every name
// between backslashes (never a trail byte) non-empty and short enough.
const char* BadKeyPath(const std::string& path) {
    size_t from = 0;
    for (size_t i = 0; i <= path.size(); ++i) {
        if (i < path.size() && IsLeadByte932(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
            ++i;
            continue;
        }
        if (i < path.size() && path[i] != '\\') continue;
        if (i == from) return "キーの名前が正しくありません。";
        if (!Fits(path.substr(from, i - from))) return "キーの名前が長すぎます。";
        from = i + 1;
    }
    return nullptr;
}

}  // namespace

std::string RootKeyName() { return std::string("HKEY_CURRENT_USER\\") + settings::kRootPath; }

std::string ExportItemSet(HKEY root, const std::string& rootName) {
    const std::string name = rootName + "\\" + kMeasureKey;
    // Loading replaces: entries the set does not name must not stay.
    std::string out = "REGEDIT4\r\n\r\n[-" + name + "]\r\n";
    MeasureTree tree;
    ReadTree(root, kMeasureKey, &tree);  // an absent subtree exports as empty
    // One block, closed by the only blank line at the end: a file cut
    // anywhere is then a file that ends inside a key's values.
    for (const auto& k : tree.keys()) {
        out += "[" + name + (k.second.path.empty() ? "" : "\\" + k.second.path) + "]\r\n";
        for (const auto& v : k.second.values) out += ValueLine(v.second) + "\r\n";
    }
    return out + "\r\n";
}

ItemSetFile ParseItemSet(const std::vector<uint8_t>& bytes, const std::string& rootName) {
    ItemSetFile f;
    auto fail = [&](int line, const char* reason) {
        f.ok = false;
        f.line = line;
        f.reason = reason;
        f.changes.clear();
        return f;
    };
    if (bytes.size() > kMaxItemSetFile) return fail(0, kItemSetTooLarge);
    std::wstring text;
    if (!Decode(bytes, &text)) return fail(0, "レジストリ ファイルとして読めません。");
    const std::string measure = FoldName(rootName + "\\" + kMeasureKey);
    bool header = false, version5 = false, inKey = false, seenKey = false;
    int open = 0;  // the last key or value line not yet closed by a blank line
    size_t keyLines = 0, valueLines = 0;
    std::string key;
    Lines lines(text);
    std::wstring raw;
    while (lines.Next(&raw)) {
        const int number = lines.number();
        std::wstring s = Trimmed(raw);
        if (s.empty()) {
            open = 0;
            continue;
        }
        if (s[0] == L';' || s[0] == L'#') continue;
        if (!header) {
            if (s != kRegedit4 && s != kVersion5) return fail(number, "レジストリ ファイルではありません。");
            header = true;
            version5 = s == kVersion5;
            continue;
        }
        open = number;
        if (s[0] == L'[') {
            size_t close = s.find(L']');
            if (close == std::wstring::npos) return fail(number, "キーの行が閉じていません。");
            const bool remove = close > 1 && s[1] == L'-';
            std::string path;
            if (!ToAnsi(s.substr(remove ? 2 : 1, close - (remove ? 2 : 1)), &path))
                return fail(number, "キーの名前を読めません。");
            // The editor takes a key with a trailing backslash as the key itself.
            while (EndsInSeparator(path)) path.pop_back();
            if (FoldName(path.substr(0, 5)) == "HKCU\\") path = "HKEY_CURRENT_USER\\" + path.substr(5);
            // Only the catalogue itself or keys below it.
            const std::string folded = FoldName(path);
            std::string rest;
            if (folded == measure) {
                rest.clear();
            } else if (folded.size() > measure.size() + 1 && folded.compare(0, measure.size(), measure) == 0 &&
                       folded[measure.size()] == '\\') {
                rest = path.substr(measure.size() + 1);
                if (const char* bad = BadKeyPath(rest)) return fail(number, bad);
            } else {
                return fail(number, "測定項目以外のキーを変更しようとしています。");
            }
            if (!remove && !rest.empty() && ++keyLines > kMaxItemSetKeys) return fail(number, "測定項目が多すぎます。");
            seenKey = true;
            key = rest;
            f.changes.push_back(
                ItemSetChange{remove ? ItemSetChange::kDeleteKey : ItemSetChange::kCreateKey, key, "", 0, {}});
            inKey = !remove;
            continue;
        }
        // A value: "name"=data or @=data, under the last key.
        if (s[0] != L'"' && s[0] != L'@') return fail(number, "行を読めません。");
        if (!inKey) return fail(number, "キーのない値があります。");
        if (++valueLines > kMaxItemSetValues) return fail(number, "測定項目が多すぎます。");
        ItemSetChange c{ItemSetChange::kSetValue, key, "", 0, {}};
        size_t i = 0;
        std::wstring name;
        if (s[0] == L'@') {
            i = 1;
        } else if (!ParseQuoted(s, &i, &name)) {
            return fail(number, "値の名前を読めません。");
        }
        if (!ToAnsi(name, &c.name)) return fail(number, "値の名前を読めません。");
        if (!Fits(c.name)) return fail(number, "値の名前が長すぎます。");
        while (i < s.size() && Blank(s[i])) ++i;
        if (i >= s.size() || s[i] != L'=') return fail(number, "行を読めません。");
        ++i;
        while (i < s.size() && Blank(s[i])) ++i;
        const std::wstring data = s.substr(i);
        if (data[0] == L'-' && OnlyComment(data, 1)) {
            c.kind = ItemSetChange::kDeleteValue;
        } else if (data[0] == L'"') {
            std::wstring value;
            size_t j = 0;
            if (!ParseQuoted(data, &j, &value)) return fail(number, "文字列が閉じていません。");
            if (!OnlyComment(data, j)) return fail(number, "文字列の後に余計な文字があります。");
            std::string ansi;
            if (!ToAnsi(value, &ansi)) return fail(number, "コード ページ 932 にない文字があります。");
            c.type = REG_SZ;
            c.data.assign(ansi.begin(), ansi.end());
            c.data.push_back(0);
        } else if (data.compare(0, 6, L"dword:") == 0) {
            // Fewer than eight digits are a number as the editor reads them;
            // a value cut short at the end of the file is caught below.
            size_t j = 6;
            DWORD v = 0;
            int digits = 0, d = 0;
            while (j < data.size() && HexDigit(data[j], &d)) v = v * 16 + d, ++j, ++digits;
            if (digits == 0 || digits > 8 || !OnlyComment(data, j)) return fail(number, "dword の値を読めません。");
            c.type = REG_DWORD;
            c.data.assign(reinterpret_cast<uint8_t*>(&v), reinterpret_cast<uint8_t*>(&v) + 4);
        } else if (data.compare(0, 4, L"hex:") == 0 || data.compare(0, 4, L"hex(") == 0) {
            size_t colon = data.find(L':');
            c.type = REG_BINARY;
            if (data[3] == L'(') {
                std::wstring t = colon == std::wstring::npos || colon < 5 ? L"" : data.substr(4, colon - 5);
                int d = 0;
                DWORD type = 0;
                bool good = !t.empty() && t.size() <= 8 && data[colon - 1] == L')';
                for (size_t k = 0; good && k < t.size(); ++k) good = HexDigit(t[k], &d), type = type * 16 + d;
                if (!good) return fail(number, "値の型を読めません。");
                c.type = type;
            }
            // The bytes, going on over lines that end in a backslash; comment
            // lines between them are passed over.
            std::wstring body = data.substr(colon + 1);
            for (;;) {
                size_t semi = body.find(L';');
                if (semi != std::wstring::npos) body.erase(semi);
                body = Trimmed(body);
                const bool more = !body.empty() && body.back() == L'\\';
                if (more) body.pop_back();
                if (!ParseHex(body, &c.data)) return fail(lines.number(), "16 進の値を読めません。");
                if (!more) break;
                std::wstring next;
                do {
                    if (!lines.Next(&next)) return fail(lines.number(), "ファイルが途中で切れています。");
                    next = Trimmed(next);
                } while (!next.empty() && next[0] == L';');
                if (next.empty()) return fail(lines.number(), "16 進の値が途中で切れています。");
                body = next;
            }
            open = lines.number();
            // In a version 5 file the string types hold UTF-16; the program
            // stores code page 932, as the ANSI registry functions take it.
            if (version5 && (c.type == REG_SZ || c.type == REG_EXPAND_SZ || c.type == REG_MULTI_SZ)) {
                if (c.data.size() % 2) return fail(lines.number(), "16 進の値を読めません。");
                std::wstring wide(c.data.size() / 2, L'\0');
                if (!wide.empty()) std::memcpy(&wide[0], c.data.data(), c.data.size());
                std::string ansi;
                if (!ToAnsi(wide, &ansi)) return fail(lines.number(), "コード ページ 932 にない文字があります。");
                c.data.assign(ansi.begin(), ansi.end());
            }
        } else {
            return fail(number, "値を読めません。");
        }
        f.changes.push_back(c);
    }
    if (!header) return fail(0, "レジストリ ファイルではありません。");
    if (!seenKey) return fail(lines.number(), "測定項目のキーがありません。");
    // Every file the editor or the program writes closes each key with a
    // blank line; without it the last key's values may have been cut off.
    if (open) return fail(lines.number(), "ファイルが途中で切れています。");
    f.ok = true;
    return f;
}

bool ApplyItemSet(HKEY root, const std::vector<ItemSetChange>& changes) {
    // Built whole in memory first: the registry sees one replacement.
    MeasureTree tree;
    // A set that opens by deleting the catalogue needs nothing of the old one.
    const bool replaces = !changes.empty() && changes[0].kind == ItemSetChange::kDeleteKey && changes[0].key.empty();
    if (!replaces) ReadTree(root, kMeasureKey, &tree);
    for (const ItemSetChange& c : changes) {
        switch (c.kind) {
        case ItemSetChange::kDeleteKey: tree.Remove(c.key); break;
        case ItemSetChange::kCreateKey: tree.Key(c.key); break;
        case ItemSetChange::kSetValue: tree.SetValue(c.key, TreeValue{c.name, c.type, c.data}); break;
        case ItemSetChange::kDeleteValue: tree.RemoveValue(c.key, c.name); break;
        }
    }
    return ReplaceMeasure(root, tree);
}

}  // namespace items
