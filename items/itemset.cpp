#include "items/itemset.h"

#include <cstdio>

#include "app/settings.h"
#include "framework/regkey.h"
#include "items/catalogue.h"

namespace items {
namespace {

const wchar_t kRegedit4[] = L"REGEDIT4";
const wchar_t kVersion5[] = L"Windows Registry Editor Version 5.00";

// --- export ---------------------------------------------------------------

std::string Escaped(const std::string& s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        // A trail byte may be 0x5C; only single-byte backslashes are escaped.
        if (IsDBCSLeadByte(c) && i + 1 < s.size()) {
            out += s[i];
            out += s[++i];
            continue;
        }
        if (c == '\\' || c == '"') out += '\\';
        out += s[i];
    }
    return out;
}

std::string HexBytes(const uint8_t* p, DWORD n) {
    std::string out;
    char buf[4];
    for (DWORD i = 0; i < n; ++i) {
        std::snprintf(buf, sizeof buf, i ? ",%02x" : "%02x", p[i]);
        out += buf;
    }
    return out;
}

void ExportKey(HKEY key, const std::string& name, std::string* out) {
    *out += "[" + name + "]\r\n";
    for (DWORD i = 0;; ++i) {
        char valueName[256];
        DWORD nameLen = sizeof valueName, type = 0, size = 0;
        LONG r = RegEnumValueA(key, i, valueName, &nameLen, nullptr, &type, nullptr, &size);
        if (r == ERROR_NO_MORE_ITEMS) break;
        if (r != ERROR_SUCCESS) continue;
        std::vector<uint8_t> data(size + 1, 0);
        nameLen = sizeof valueName;
        if (RegEnumValueA(key, i, valueName, &nameLen, nullptr, &type, data.data(), &size) != ERROR_SUCCESS)
            continue;
        std::string line = nameLen ? "\"" + Escaped(std::string(valueName, nameLen)) + "\"=" : "@=";
        if (type == REG_SZ) {
            std::string text(reinterpret_cast<char*>(data.data()), size);
            text = text.substr(0, text.find('\0'));
            line += "\"" + Escaped(text) + "\"";
        } else if (type == REG_DWORD && size == 4) {
            char buf[16];
            std::snprintf(buf, sizeof buf, "dword:%08lx", static_cast<unsigned long>(*reinterpret_cast<DWORD*>(data.data())));
            line += buf;
        } else if (type == REG_BINARY) {
            line += "hex:" + HexBytes(data.data(), size);
        } else {
            char buf[16];
            std::snprintf(buf, sizeof buf, "hex(%lx):", static_cast<unsigned long>(type));
            line += buf + HexBytes(data.data(), size);
        }
        *out += line + "\r\n";
    }
    *out += "\r\n";
    for (const std::string& sub : SubkeyNames(key)) {
        RegKey child;
        if (child.Open(key, sub.c_str())) ExportKey(child.get(), name + "\\" + sub, out);
    }
}

// --- import ---------------------------------------------------------------

bool SameText(const std::wstring& a, const std::wstring& b) {
    return CompareStringW(LOCALE_INVARIANT, NORM_IGNORECASE, a.c_str(), static_cast<int>(a.size()), b.c_str(),
                          static_cast<int>(b.size())) == CSTR_EQUAL;
}

std::wstring Widen(const std::string& s) {
    int n = MultiByteToWideChar(932, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
    std::wstring w(n, L'\0');
    if (n) MultiByteToWideChar(932, 0, s.data(), static_cast<int>(s.size()), &w[0], n);
    return w;
}

// The file's text as UTF-16: version 5 files carry a byte-order mark,
// REGEDIT4 files are in the ANSI code page. False when it does not decode.
bool Decode(const std::vector<uint8_t>& bytes, std::wstring* text) {
    if (bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        if (bytes.size() % 2) return false;
        text->assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
        return true;
    }
    if (bytes.empty()) return false;
    int n = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes.data()),
                                static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0) return false;
    text->assign(n, L'\0');
    MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, reinterpret_cast<const char*>(bytes.data()),
                        static_cast<int>(bytes.size()), &(*text)[0], n);
    return true;
}

struct Line {
    int number;
    std::wstring text;
};

// Logical lines: a line ending in a backslash goes on in the next one.
std::vector<Line> SplitLines(const std::wstring& text) {
    std::vector<Line> lines;
    int number = 0;
    size_t pos = 0;
    bool joining = false;
    while (pos <= text.size()) {
        size_t end = text.find(L'\n', pos);
        if (end == std::wstring::npos) end = text.size();
        std::wstring raw = text.substr(pos, end - pos);
        if (!raw.empty() && raw.back() == L'\r') raw.pop_back();
        ++number;
        if (joining) {
            size_t start = raw.find_first_not_of(L" \t");
            lines.back().text += start == std::wstring::npos ? L"" : raw.substr(start);
        } else {
            lines.push_back(Line{number, raw});
        }
        joining = !lines.back().text.empty() && lines.back().text.back() == L'\\' &&
                  lines.back().text.find(L'=') != std::wstring::npos;
        if (joining) lines.back().text.pop_back();
        pos = end + 1;
    }
    return lines;
}

bool ParseHex(const std::wstring& s, std::vector<uint8_t>* out) {
    out->clear();
    size_t i = 0;
    while (i < s.size()) {
        while (i < s.size() && (s[i] == L' ' || s[i] == L'\t')) ++i;
        if (i >= s.size()) break;
        int value = 0, digits = 0;
        while (i < s.size() && iswxdigit(s[i]) && digits < 3) {
            value = value * 16 + (iswdigit(s[i]) ? s[i] - L'0' : (towlower(s[i]) - L'a' + 10));
            ++i, ++digits;
        }
        if (digits == 0 || digits > 2) return false;
        out->push_back(static_cast<uint8_t>(value));
        while (i < s.size() && (s[i] == L' ' || s[i] == L'\t')) ++i;
        if (i < s.size()) {
            if (s[i] != L',') return false;
            ++i;
        }
    }
    return true;
}

// A quoted string from s[*i] (at the opening quote); \\ and \" escaped.
bool ParseQuoted(const std::wstring& s, size_t* i, std::wstring* out) {
    if (*i >= s.size() || s[*i] != L'"') return false;
    out->clear();
    for (size_t j = *i + 1; j < s.size(); ++j) {
        if (s[j] == L'\\' && j + 1 < s.size() && (s[j + 1] == L'\\' || s[j + 1] == L'"')) {
            *out += s[++j];
        } else if (s[j] == L'"') {
            *i = j + 1;
            return true;
        } else {
            *out += s[j];
        }
    }
    return false;
}

std::vector<uint8_t> Utf16Bytes(const std::wstring& s) {
    const uint8_t* p = reinterpret_cast<const uint8_t*>(s.c_str());
    return std::vector<uint8_t>(p, p + (s.size() + 1) * sizeof(wchar_t));
}

}  // namespace

std::string RootKeyName() { return std::string("HKEY_CURRENT_USER\\") + settings::kRootPath; }

std::string ExportItemSet(HKEY root, const std::string& rootName) {
    std::string out = "REGEDIT4\r\n\r\n";
    const std::string name = rootName + "\\" + kMeasureKey;
    RegKey measure;
    if (measure.Open(root, kMeasureKey))
        ExportKey(measure.get(), name, &out);
    else
        out += "[" + name + "]\r\n\r\n";
    return out;
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
    if (bytes.size() > kMaxItemSetFile) return fail(0, "ファイルが大きすぎます。");
    std::wstring text;
    if (!Decode(bytes, &text)) return fail(0, "レジストリ ファイルとして読めません。");
    const bool utf16 = bytes.size() >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE;
    const std::wstring measure = Widen(rootName) + L"\\" + Widen(kMeasureKey);
    const std::wstring hkcu = L"HKEY_CURRENT_USER\\";
    bool header = false, inKey = false;
    std::wstring key;
    for (const Line& l : SplitLines(text)) {
        std::wstring s = l.text;
        size_t first = s.find_first_not_of(L" \t");
        if (first == std::wstring::npos || s[first] == L';') continue;
        s = s.substr(first);
        while (!s.empty() && (s.back() == L' ' || s.back() == L'\t')) s.pop_back();
        if (!header) {
            if (s != kRegedit4 && s != kVersion5) return fail(l.number, "レジストリ ファイルではありません。");
            header = true;
            continue;
        }
        if (s[0] == L'[') {
            if (s.back() != L']') return fail(l.number, "キーの行が閉じていません。");
            bool remove = s.size() > 1 && s[1] == L'-';
            std::wstring path = s.substr(remove ? 2 : 1, s.size() - (remove ? 3 : 2));
            if (path.compare(0, 5, L"HKCU\\") == 0) path = hkcu + path.substr(5);
            // Only the catalogue itself or keys below it.
            std::wstring rest;
            if (SameText(path, measure)) {
                rest.clear();
            } else if (path.size() > measure.size() + 1 && path[measure.size()] == L'\\' &&
                       SameText(path.substr(0, measure.size()), measure)) {
                rest = path.substr(measure.size() + 1);
                if (rest.find(L"\\\\") != std::wstring::npos || rest.front() == L'\\' || rest.back() == L'\\')
                    return fail(l.number, "キーの名前が正しくありません。");
            } else {
                return fail(l.number, "測定項目以外のキーを変更しようとしています。");
            }
            key = Widen(kMeasureKey) + (rest.empty() ? L"" : L"\\" + rest);
            ItemSetChange c{remove ? ItemSetChange::kDeleteKey : ItemSetChange::kCreateKey, key, L"", 0, {}};
            f.changes.push_back(c);
            inKey = !remove;
            continue;
        }
        // A value: "name"=data or @=data, under the last key.
        if (!inKey) return fail(l.number, "キーのない値があります。");
        ItemSetChange c{ItemSetChange::kSetValue, key, L"", 0, {}};
        size_t i = 0;
        if (s[0] == L'@') {
            i = 1;
        } else if (!ParseQuoted(s, &i, &c.name)) {
            return fail(l.number, "行を読めません。");
        }
        if (i >= s.size() || s[i] != L'=') return fail(l.number, "行を読めません。");
        std::wstring data = s.substr(i + 1);
        if (data == L"-") {
            c.kind = ItemSetChange::kDeleteValue;
        } else if (!data.empty() && data[0] == L'"') {
            std::wstring value;
            size_t j = 0;
            if (!ParseQuoted(data, &j, &value) || j != data.size()) return fail(l.number, "文字列が閉じていません。");
            c.type = REG_SZ;
            c.data = Utf16Bytes(value);
        } else if (data.compare(0, 6, L"dword:") == 0) {
            std::wstring digits = data.substr(6);
            if (digits.empty() || digits.size() > 8 || digits.find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring::npos)
                return fail(l.number, "dword の値を読めません。");
            DWORD v = static_cast<DWORD>(wcstoul(digits.c_str(), nullptr, 16));
            c.type = REG_DWORD;
            c.data.assign(reinterpret_cast<uint8_t*>(&v), reinterpret_cast<uint8_t*>(&v) + 4);
        } else if (data.compare(0, 4, L"hex:") == 0 || data.compare(0, 4, L"hex(") == 0) {
            size_t colon = data.find(L':');
            c.type = REG_BINARY;
            if (data[3] == L'(') {
                std::wstring t = data.substr(4, colon == std::wstring::npos ? 0 : colon - 5);
                if (colon == std::wstring::npos || data[colon - 1] != L')' || t.empty() || t.size() > 8 ||
                    t.find_first_not_of(L"0123456789abcdefABCDEF") != std::wstring::npos)
                    return fail(l.number, "値の型を読めません。");
                c.type = static_cast<DWORD>(wcstoul(t.c_str(), nullptr, 16));
            }
            if (!ParseHex(data.substr(colon + 1), &c.data)) return fail(l.number, "16 進の値を読めません。");
            // String types in a version 5 file are UTF-16 already; in
            // REGEDIT4 they are ANSI bytes, written here through the wide API.
            if ((c.type == REG_SZ || c.type == REG_EXPAND_SZ || c.type == REG_MULTI_SZ) && !utf16) {
                std::wstring wide = Widen(std::string(c.data.begin(), c.data.end()));
                const uint8_t* p = reinterpret_cast<const uint8_t*>(wide.data());
                c.data.assign(p, p + wide.size() * sizeof(wchar_t));
            }
        } else {
            return fail(l.number, "値を読めません。");
        }
        f.changes.push_back(c);
    }
    if (!header) return fail(0, "レジストリ ファイルではありません。");
    f.ok = true;
    return f;
}

bool ApplyItemSet(HKEY root, const std::vector<ItemSetChange>& changes) {
    for (const ItemSetChange& c : changes) {
        switch (c.kind) {
        case ItemSetChange::kDeleteKey: {
            int n = WideCharToMultiByte(932, 0, c.key.c_str(), -1, nullptr, 0, nullptr, nullptr);
            std::string key(n, '\0');
            WideCharToMultiByte(932, 0, c.key.c_str(), -1, &key[0], n, nullptr, nullptr);
            DeleteKeyTree(root, key.c_str());  // gone already is as good
            break;
        }
        case ItemSetChange::kCreateKey:
        case ItemSetChange::kSetValue:
        case ItemSetChange::kDeleteValue: {
            HKEY key;
            if (RegCreateKeyExW(root, c.key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) !=
                ERROR_SUCCESS)
                return false;
            LONG r = ERROR_SUCCESS;
            if (c.kind == ItemSetChange::kSetValue)
                r = RegSetValueExW(key, c.name.c_str(), 0, c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
            else if (c.kind == ItemSetChange::kDeleteValue)
                RegDeleteValueW(key, c.name.c_str());
            RegCloseKey(key);
            if (r != ERROR_SUCCESS) return false;
            break;
        }
        }
    }
    return true;
}

}  // namespace items
