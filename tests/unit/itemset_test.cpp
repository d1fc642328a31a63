// Item set files: what is written, what is read back, and what is refused.
#include "items/itemset.h"

#include <gtest/gtest.h>

#include <cstring>

#include "items/catalogue.h"
#include "items/measuretree.h"
#include "scratch_key.h"

using namespace items;

namespace {

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

std::string Name(const ScratchKey& s) { return "HKEY_CURRENT_USER\\" + s.path; }

void Entry(const ScratchKey& s, const char* sub, const char* file, DWORD select) {
    RegKey k = s.Sub((std::string("Measure\\") + sub).c_str());
    k.WriteText("File", file);
    k.WriteDword("Select", select);
}

std::string Text(const ScratchKey& s, const char* sub, const char* value) {
    std::string raw = s.Raw(sub, value);
    return raw.substr(0, raw.find('\0'));
}

ItemSetFile Parse(const ScratchKey& s, const std::string& text) { return ParseItemSet(Bytes(text), Name(s)); }

bool Import(const ScratchKey& s, const std::string& text) {
    ItemSetFile f = Parse(s, text);
    return f.ok && ApplyItemSet(s.root(), f.changes);
}

// The subkeys of "Measure" in enumeration order, "0000=FILE".
std::string Keys(const ScratchKey& s) {
    std::string out;
    RegKey measure;
    if (!measure.Open(s.root(), "Measure")) return "none";
    for (const std::string& k : SubkeyNames(measure.get()))
        out += (out.empty() ? "" : " ") + k + "=" + Text(s, ("Measure\\" + k).c_str(), "File");
    return out;
}

std::string Utf16File(const std::wstring& text) {
    std::string out = "\xFF\xFE";
    for (wchar_t c : text) out += std::string(reinterpret_cast<const char*>(&c), 2);
    return out;
}

// regedit.exe on a command line, waited for.
bool RunRegedit(const std::string& args) {
    std::string cmd = "regedit.exe " + args;
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) return false;
    bool done = WaitForSingleObject(pi.hProcess, 30000) == WAIT_OBJECT_0;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return done;
}

std::string TempFile(const char* name) {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    return std::string(temp) + name;
}

bool WriteWhole(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    DWORD n = 0;
    bool ok = WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &n, nullptr) && n == bytes.size();
    CloseHandle(f);
    return ok;
}

std::vector<uint8_t> ReadWhole(const std::string& path) {
    std::vector<uint8_t> bytes(1 << 20);
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return {};
    DWORD got = 0;
    ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(f);
    bytes.resize(got);
    return bytes;
}

}  // namespace

TEST(ItemSet, ExportReplacesTheCatalogueWhenLoaded) {
    ScratchKey s;
    Entry(s, "0000", "表\\A.BNC", 1);  // 表 = 0x95 0x5C: a trail byte that looks like a backslash
    Entry(s, "0001", "B\"Q.BNC", 0);
    const std::string text = ExportItemSet(s.root(), Name(s));
    const std::string m = Name(s) + "\\Measure";
    EXPECT_EQ(text, "REGEDIT4\r\n\r\n[-" + m + "]\r\n[" + m + "]\r\n[" + m +
                        "\\0000]\r\n\"File\"=\"表\\\\A.BNC\"\r\n"
                        "\"Select\"=dword:00000001\r\n[" + m + "\\0001]\r\n\"File\"=\"B\\\"Q.BNC\"\r\n"
                        "\"Select\"=dword:00000000\r\n\r\n");
    // Change the catalogue, then load the set: exactly its entries come back.
    DeleteKeyTree(s.root(), "Measure\\0001");
    Entry(s, "0000", "OTHER.BNC", 0);
    Entry(s, "0002", "C.BNC", 1);
    ASSERT_TRUE(Import(s, text));
    EXPECT_EQ(Keys(s), "0000=表\\A.BNC 0001=B\"Q.BNC") << "keys the set does not name are gone";
    EXPECT_EQ(s.Raw("Measure\\0000", "Select"), std::string("\1\0\0\0", 4));
    DWORD type = 0;
    s.Raw("Measure\\0000", "File", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

TEST(ItemSet, ASecondLoadReplacesTheFirstAndFilesWithoutTheDeletionMerge) {
    ScratchKey s, a, b;
    Entry(a, "0000", "X.BNC", 1);
    Entry(a, "0001", "Y.BNC", 1);
    Entry(a, "0002", "Z.BNC", 1);
    Entry(b, "0000", "W.BNC", 1);
    // The catalogues of a and b, saved as sets for s.
    ASSERT_TRUE(Import(s, ExportItemSet(a.root(), Name(s))));
    EXPECT_EQ(Keys(s), "0000=X.BNC 0001=Y.BNC 0002=Z.BNC");
    ASSERT_TRUE(Import(s, ExportItemSet(b.root(), Name(s))));
    EXPECT_EQ(Keys(s), "0000=W.BNC") << "one item on two buttons: the first set's entries stayed";
    const std::string m = Name(s) + "\\Measure";
    ASSERT_TRUE(Import(s, "REGEDIT4\r\n\r\n[" + m + "\\0002]\r\n\"File\"=\"V.BNC\"\r\n\r\n"));
    EXPECT_EQ(Keys(s), "0000=W.BNC 0002=V.BNC") << "no deletion line: merged";
}

TEST(ItemSet, EmptyOrMissingCatalogueStillExportsItsKey) {
    ScratchKey s;
    const std::string m = Name(s) + "\\Measure";
    const std::string only = "REGEDIT4\r\n\r\n[-" + m + "]\r\n[" + m + "]\r\n\r\n";
    EXPECT_EQ(ExportItemSet(s.root(), Name(s)), only);
    s.Sub("Measure");
    EXPECT_EQ(ExportItemSet(s.root(), Name(s)), only);
    // Loading it empties the catalogue but keeps the key: no first-start scan.
    Entry(s, "0000", "A.BNC", 1);
    ASSERT_TRUE(Import(s, only));
    EXPECT_EQ(Keys(s), "");
    EXPECT_TRUE(MeasureExists(s.root()));
}

TEST(ItemSet, FilesTouchingAnythingButTheCatalogueAreRefusedWhole) {
    ScratchKey s;
    Entry(s, "0000", "KEEP.BNC", 1);
    const std::string m = Name(s) + "\\Measure";
    const std::string good = "[" + m + "\\0009]\r\n\"File\"=\"NEW.BNC\"\r\n";
    const std::string end = "\r\n";
    const std::pair<std::string, int> hostile[] = {
        {"REGEDIT4\r\n" + good + "[" + Name(s) + "\\Ini]\r\n\"Flag\"=hex:ff\r\n" + end, 4},
        {"REGEDIT4\r\n" + good + "[HKEY_LOCAL_MACHINE\\Software\\x\\Measure]\r\n" + end, 4},
        {"REGEDIT4\r\n" + good + "[" + m + "X]\r\n" + end, 4},
        {"REGEDIT4\r\n" + good + "[" + m + "Ex\\0000]\r\n" + end, 4},
        {"REGEDIT4\r\n" + good + "[-HKEY_CURRENT_USER\\Software]\r\n" + end, 4},
        {"REGEDIT4\r\n" + good + "[-" + Name(s) + "]\r\n" + end, 4},
        {"REGEDIT4\r\n" + good + "[-" + Name(s) + "\\]\r\n" + end, 4},
        {"REGEDIT4\r\n" + good + "[" + m + "\\\\0003]\r\n" + end, 4},
        {"REGEDIT4\r\n" + good + "[" + m + "\\" + std::string(300, 'K') + "]\r\n" + end, 4},
        {good + end, 1},  // no header
        {"REGEDIT4\r\n" + good + "[" + m + "\\0003\r\n" + end, 4},
        {"REGEDIT4\r\n" + good + "\"File\"=\"open\r\n" + end, 4},
        {"REGEDIT4\r\n" + good + "\"File\"=\"x\" junk\r\n" + end, 4},
        {"REGEDIT4\r\n" + good + "\"File\"=\"x\\0y\"\r\n" + end, 4},
        {"REGEDIT4\r\n" + good + "\"Select\"=dword:123456789\r\n" + end, 4},
        {"REGEDIT4\r\n" + good + "\"Select\"=dword:1 2\r\n" + end, 4},
        {"REGEDIT4\r\n" + good + "\"Data\"=hex:01,zz\r\n" + end, 4},
        {"REGEDIT4\r\n" + good + "\"Data\"=hex:01,\\\r\n\r\n", 5},  // a continuation that never comes
        {"REGEDIT4\r\n\"File\"=\"X.BNC\"\r\n" + end, 2},              // a value before any key
        {"REGEDIT4\r\n" + good + "just words\r\n" + end, 4},
        {"REGEDIT4\r\n" + good + "\"Data\"=hex(1x):00\r\n" + end, 4},
        {"REGEDIT4\r\n" + good + "\"" + std::string(300, 'v') + "\"=\"x\"\r\n" + end, 4},
    };
    for (const auto& h : hostile) {
        ItemSetFile f = Parse(s, h.first);
        EXPECT_FALSE(f.ok) << h.first;
        EXPECT_EQ(f.line, h.second) << h.first;
        EXPECT_TRUE(f.changes.empty());
        EXPECT_FALSE(f.reason.empty());
    }
    // Bytes that are no text at all.
    EXPECT_FALSE(ParseItemSet({0xFF, 0xFE, 0x52}, Name(s)).ok) << "odd-length UTF-16";
    EXPECT_FALSE(Parse(s, "REGEDIT4\r\n\x82").ok) << "a lead byte without its trail";
    EXPECT_FALSE(Parse(s, "REGEDIT4\r\n" + good + "\"App\"=\"A\x82\"\r\n\r\n").ok)
        << "a lead byte before a quote is no character";
    EXPECT_FALSE(Parse(s, "\xEF\xBB\xBFREGEDIT4\r\n\xC3\r\n\r\n").ok) << "broken UTF-8";
    EXPECT_FALSE(ParseItemSet({}, Name(s)).ok);
    ItemSetFile big = ParseItemSet(std::vector<uint8_t>(kMaxItemSetFile + 1, ' '), Name(s));
    EXPECT_FALSE(big.ok);
    EXPECT_EQ(big.reason, kItemSetTooLarge);
    EXPECT_FALSE(s.Has("Measure\\0009", "File")) << "nothing was applied";
    EXPECT_EQ(Text(s, "Measure\\0000", "File"), "KEEP.BNC");

    // Deleting inside the catalogue is allowed: a key, a value, every case of the name.
    std::string upper = m;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    ASSERT_TRUE(Import(s, "REGEDIT4\r\n; a comment\r\n[" + upper + "\\0000]\r\n\"Select\"=-\r\n\r\n"));
    EXPECT_FALSE(s.Has("Measure\\0000", "Select"));
    ASSERT_TRUE(Import(s, "REGEDIT4\r\n[-" + m + "\\0000]\r\n\r\n"));
    RegKey gone;
    EXPECT_FALSE(gone.Open(s.root(), "Measure\\0000"));
}

// What the registry editor accepts is read the same way here.
TEST(ItemSet, TheRegistryEditorsLenienciesAreAccepted) {
    ScratchKey s;
    const std::string m = Name(s) + "\\Measure";
    const std::string text = "REGEDIT4\r\n\r\n"
                             "[" + m + "\\0000\\]\r\n"                       // a trailing backslash
                             "\"File\" = \"A.BNC\" ; spaces and a comment\r\n"
                             "; a comment = with a trailing backslash \\\r\n"  // must not swallow the next line
                             "\"Note\"=\"a\\nb\\rc\\td\"\r\n"                 // \t stands for t
                             "# another kind of comment\r\n"
                             "\"Select\"=dword:1 ; fewer digits, then a comment\r\n"
                             "\"Data\"=hex:01,02,\\\r\n"
                             "  ; a comment inside the continuation\r\n"
                             "  03,04 ; and after it\r\n"
                             "\r\n"
                             "[" + m + "\\0001] ; comment after a key\r\n"
                             "  @=\"default\"\r\n\r\n";
    for (const std::string& variant : {text, "\xEF\xBB\xBF" + text}) {
        ItemSetFile f = Parse(s, variant);
        ASSERT_TRUE(f.ok) << f.reason << " line " << f.line;
        ASSERT_TRUE(ApplyItemSet(s.root(), f.changes));
        EXPECT_EQ(Keys(s), "0000=A.BNC 0001=");
        EXPECT_EQ(Text(s, "Measure\\0000", "Note"), "a\nb\rctd");
        EXPECT_EQ(s.Raw("Measure\\0000", "Select"), std::string("\1\0\0\0", 4));
        EXPECT_EQ(s.Raw("Measure\\0000", "Data"), "\1\2\3\4");
        EXPECT_EQ(Text(s, "Measure\\0001", ""), "default");
        DeleteKeyTree(s.root(), "Measure");
    }
    // A key ending in 表 (0x95 0x5C) keeps its last byte.
    ItemSetFile kanji = Parse(s, "REGEDIT4\r\n[" + m + "\\表]\r\n\"File\"=\"A.BNC\"\r\n\r\n");
    ASSERT_TRUE(kanji.ok) << kanji.reason;
    ASSERT_TRUE(ApplyItemSet(s.root(), kanji.changes));
    EXPECT_EQ(Keys(s), "表=A.BNC");
    // A version 5 file: "\n" is a line break, UTF-16 text lands as code page 932.
    ItemSetFile v5 = ParseItemSet(
        Bytes(Utf16File(L"Windows Registry Editor Version 5.00\r\n\r\n[" +
                        std::wstring(m.begin(), m.end()) + L"\\0000]\r\n\"File\"=\"\u8868\\nX.BNC\"\r\n\r\n")),
        Name(s));
    ASSERT_TRUE(v5.ok) << v5.reason;
    ASSERT_TRUE(ApplyItemSet(s.root(), v5.changes));
    EXPECT_EQ(Text(s, "Measure\\0000", "File"), "表\nX.BNC");
}

// A file cut anywhere inside a key's values is refused at its last line.
// A saved set keeps its keys together, closed by one blank line at the end:
// every cut of it is refused, but for one inside that last line break.
TEST(ItemSet, ATruncatedFileIsRefused) {
    ScratchKey s;
    for (int i = 0; i < 6; ++i) {
        char key[8], file[16];
        std::snprintf(key, sizeof key, "%04d", i);
        std::snprintf(file, sizeof file, "ITEM%d.BNC", i);
        Entry(s, key, file, i % 2);
    }
    const std::string text = ExportItemSet(s.root(), Name(s));
    ASSERT_TRUE(Parse(s, text).ok);
    int refused = 0;
    for (size_t cut = text.find('['); cut + 1 < text.size(); ++cut) {
        const std::string part = text.substr(0, cut);
        ItemSetFile f = Parse(s, part);
        EXPECT_FALSE(f.ok) << "accepted when cut at byte " << cut << ":\n" << part;
        int lines = 1;
        for (size_t i = 0; i + 1 < part.size(); ++i) lines += part[i] == '\n';
        if (f.reason == "ファイルが途中で切れています。") {
            EXPECT_EQ(f.line, lines) << cut;
        }
        refused += !f.ok;
    }
    std::printf("cut points of a saved set: %d refused of %d\n", refused,
                static_cast<int>(text.size() - 1 - text.find('[')));
    EXPECT_TRUE(Parse(s, text.substr(0, text.size() - 1)).ok) << "cut inside the final line break";
    // The cut of the report: six items, inside the third one's "Select".
    const size_t at = text.find("\"Select\"=dword:0000", text.find("\\0002]")) + 19;
    ItemSetFile f = Parse(s, text.substr(0, at));
    EXPECT_FALSE(f.ok);
    EXPECT_EQ(f.reason, "ファイルが途中で切れています。");
    // A file of the registry editor's kind, blank lines between its keys:
    // a cut inside a key's values is refused there too.
    const std::string m = Name(s) + "\\Measure";
    const std::string spaced = "REGEDIT4\r\n\r\n[" + m + "\\0000]\r\n\"File\"=\"A.BNC\"\r\n\r\n[" + m +
                               "\\0001]\r\n\"File\"=\"B.BNC\"\r\n\"Select\"=dword:00000001\r\n\r\n";
    EXPECT_TRUE(Parse(s, spaced).ok);
    for (const char* cut : {"dword:0000", "\"Select\"=dword:00000001\r\n", "B.BNC\"\r\n", "0001]\r\n"}) {
        const std::string part = spaced.substr(0, spaced.find(cut) + std::strlen(cut));
        EXPECT_FALSE(Parse(s, part).ok) << part;
    }
}

TEST(ItemSet, VersionFiveFilesOfTheRegistryEditorAreRead) {
    ScratchKey from, to;
    Entry(from, "0000", "日本語.BNC", 1);
    {
        RegKey k = from.Sub("Measure\\0000");
        const BYTE multi[] = {'a', 0, 'b', 0, 0};
        k.WriteBinaryAs(REG_MULTI_SZ, "Multi", multi, sizeof multi);
        const char expand[] = "%TEMP%\\x";
        k.WriteBinaryAs(REG_EXPAND_SZ, "Expand", expand, sizeof expand);
        const BYTE raw[] = {1, 2, 3};
        k.WriteBinaryAs(REG_BINARY, "Raw", raw, sizeof raw);
        k.WriteText("Lines", "one\r\ntwo");
    }
    const std::string path = TempFile("zelbr-itemset.reg");
    DeleteFileA(path.c_str());
    ASSERT_TRUE(RunRegedit("/e \"" + path + "\" \"" + Name(from) + "\\Measure\""));
    std::vector<uint8_t> bytes = ReadWhole(path);
    DeleteFileA(path.c_str());
    ASSERT_GE(bytes.size(), 2u) << "the registry editor wrote no file";
    EXPECT_EQ(bytes[0], 0xFF) << "version 5, UTF-16";
    // Read as if written for the other key: the same catalogue lands there.
    ItemSetFile set = ParseItemSet(bytes, Name(from));
    ASSERT_TRUE(set.ok) << set.reason << " line " << set.line;
    ASSERT_TRUE(ApplyItemSet(to.root(), set.changes));
    EXPECT_EQ(Text(to, "Measure\\0000", "File"), "日本語.BNC");
    EXPECT_EQ(to.Raw("Measure\\0000", "Select"), std::string("\1\0\0\0", 4));
    EXPECT_EQ(to.Raw("Measure\\0000", "Raw"), std::string("\1\2\3", 3));
    EXPECT_EQ(to.Raw("Measure\\0000", "Multi"), std::string("a\0b\0\0", 5));
    EXPECT_EQ(to.Raw("Measure\\0000", "Expand"), std::string("%TEMP%\\x\0", 9));
    EXPECT_EQ(Text(to, "Measure\\0000", "Lines"), "one\r\ntwo");
}

// Strings with line breaks, hex(2) and hex(7) values and long binaries
// survive a save and a load here, and a load by the registry editor.
TEST(ItemSet, AwkwardValuesComeBackUnchangedBothWays) {
    ScratchKey from, mine, editor;
    Entry(from, "0000", "ソ.BNC", 1);  // ソ = 0x83 0x5C
    std::vector<BYTE> longData(100);
    for (size_t i = 0; i < longData.size(); ++i) longData[i] = static_cast<BYTE>(i * 7);
    {
        RegKey k = from.Sub("Measure\\0000");
        k.WriteText("Lines", "one\r\ntwo\r\n");
        k.WriteText("Tab", "a\tb");
        const char expand[] = "%TEMP%\\表";
        k.WriteBinaryAs(REG_EXPAND_SZ, "Expand", expand, sizeof expand);
        const char multi[] = "a\0表\0";  // and the literal's own NUL
        k.WriteBinaryAs(REG_MULTI_SZ, "Multi", multi, sizeof multi);
        k.WriteBinary("Long", longData.data(), static_cast<DWORD>(longData.size()));
    }
    const std::string text = ExportItemSet(from.root(), Name(from));
    EXPECT_EQ(text.find("one\r\n"), std::string::npos) << "a raw line break inside quotes:\n" << text;
    EXPECT_NE(text.find("\"Lines\"=hex(1):6f,6e,65,0d,0a,74,77,6f,0d,0a,00\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Expand\"=hex(2):"), std::string::npos) << text;
    EXPECT_NE(text.find("\"Multi\"=hex(7):61,00,95,5c,00,00\r\n"), std::string::npos) << text;
    EXPECT_NE(text.find(",\\\r\n  "), std::string::npos) << "the long value goes on over lines:\n" << text;

    auto check = [&](const ScratchKey& to, const char* who) {
        SCOPED_TRACE(who);
        const char* k = "Measure\\0000";
        EXPECT_EQ(Text(to, k, "File"), "ソ.BNC");
        EXPECT_EQ(Text(to, k, "Lines"), "one\r\ntwo\r\n");
        EXPECT_EQ(Text(to, k, "Tab"), "a\tb");
        DWORD type = 0;
        EXPECT_EQ(to.Raw(k, "Expand", &type), std::string("%TEMP%\\表\0", 10));
        EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
        EXPECT_EQ(to.Raw(k, "Multi", &type), std::string("a\0表\0\0", 6));
        EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
        EXPECT_EQ(to.Raw(k, "Long"), std::string(longData.begin(), longData.end()));
    };
    // Our reader, the file read as if written for the other key.
    ItemSetFile set = ParseItemSet(Bytes(text), Name(from));
    ASSERT_TRUE(set.ok) << set.reason << " line " << set.line;
    ASSERT_TRUE(ApplyItemSet(mine.root(), set.changes));
    check(mine, "our reader");
    // The registry editor, the file rewritten for its key.
    std::string forEditor = ExportItemSet(from.root(), Name(editor));
    const std::string path = TempFile("zelbr-itemset-in.reg");
    ASSERT_TRUE(WriteWhole(path, forEditor));
    ASSERT_TRUE(RunRegedit("/s \"" + path + "\""));
    DeleteFileA(path.c_str());
    check(editor, "the registry editor");
}

// All or nothing: a key the registry cannot hold after valid entries, and a
// load or an edit stopped dead at every point, leave the old catalogue or
// the new one.
TEST(ItemSet, ALoadIsAllOrNothing) {
    ScratchKey s;
    Entry(s, "0000", "OLD.BNC", 1);
    const std::string m = Name(s) + "\\Measure";
    ItemSetFile f = Parse(s, "REGEDIT4\r\n\r\n[-" + m + "]\r\n\r\n[" + m + "\\0000]\r\n\"File\"=\"NEW.BNC\"\r\n\r\n[" +
                                 m + "\\0001\\" + std::string(300, 'x') + "]\r\n\r\n");
    EXPECT_FALSE(f.ok);
    EXPECT_EQ(f.line, 8);
    EXPECT_EQ(Keys(s), "0000=OLD.BNC");
    // The same tree handed to the replacement: the registry refuses the key
    // halfway through the new catalogue; the old one stays, no trace left.
    MeasureTree tree;
    tree.SetValue("0000", TreeValue{"File", REG_SZ, {'N', 'E', 'W', 0}});
    tree.Key("0001\\" + std::string(300, 'x'));
    EXPECT_FALSE(ReplaceMeasure(s.root(), tree));
    EXPECT_EQ(Keys(s), "0000=OLD.BNC");
    EXPECT_FALSE(s.Has("", kMeasureSwapValue));
    RegKey half;
    EXPECT_FALSE(half.Open(s.root(), kMeasureNextKey));

    std::string set = "REGEDIT4\r\n\r\n[-" + m + "]\r\n\r\n";
    for (int i = 0; i < 20; ++i) {
        char key[64];
        std::snprintf(key, sizeof key, "\\%04d]\r\n\"File\"=\"N%d.BNC\"\r\n\r\n", i, i);
        set += "[" + m + key;
    }
    f = Parse(s, set);
    ASSERT_TRUE(f.ok);
    int old = 0, fresh = 0, mixed = 0;
    for (int stop = 1;; stop += 3) {
        DeleteKeyTree(s.root(), "Measure");
        Entry(s, "0000", "OLD.BNC", 1);
        StopReplaceAfterForTest(stop);
        const bool finished = ApplyItemSet(s.root(), f.changes);
        StopReplaceAfterForTest(0);
        RecoverMeasure(s.root());  // the next start
        const std::string keys = Keys(s);
        if (keys == "0000=OLD.BNC") ++old;
        else if (keys.rfind("0000=N0.BNC 0001=N1.BNC", 0) == 0 && keys.size() > 200 &&
                 keys.find("0019=N19.BNC") != std::string::npos)
            ++fresh;
        else
            ADD_FAILURE() << "stopped after " << stop << ": " << keys, ++mixed;
        EXPECT_FALSE(s.Has("", kMeasureSwapValue));
        RegKey next;
        EXPECT_FALSE(next.Open(s.root(), kMeasureNextKey));
        if (finished) break;
    }
    std::printf("item set load stopped at each step: %d old, %d new, %d mixed\n", old, fresh, mixed);
    EXPECT_GT(old, 0);
    EXPECT_GT(fresh, 1);
}
