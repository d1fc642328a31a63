// Item set files: what is written, what is read back, and what is refused.
#include "items/itemset.h"

#include <gtest/gtest.h>

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

bool Import(const ScratchKey& s, const std::string& text) {
    ItemSetFile f = ParseItemSet(Bytes(text), Name(s));
    return f.ok && ApplyItemSet(s.root(), f.changes);
}

}  // namespace

TEST(ItemSet, ExportThenImportRestoresAChangedCatalogue) {
    ScratchKey s;
    Entry(s, "0000", "測定\\A.BNC", 1);  // a 0x5C trail byte and a backslash
    Entry(s, "0001", "B\"Q.BNC", 0);
    const std::string text = ExportItemSet(s.root(), Name(s));
    const std::string m = Name(s) + "\\Measure";
    EXPECT_EQ(text, "REGEDIT4\r\n\r\n[" + m + "]\r\n\r\n[" + m + "\\0000]\r\n\"File\"=\"測定\\\\A.BNC\"\r\n"
                    "\"Select\"=dword:00000001\r\n\r\n[" + m + "\\0001]\r\n\"File\"=\"B\\\"Q.BNC\"\r\n"
                    "\"Select\"=dword:00000000\r\n\r\n");
    // Change the catalogue, then load the set: its entries come back, others stay.
    DeleteKeyTree(s.root(), "Measure\\0001");
    Entry(s, "0000", "OTHER.BNC", 0);
    Entry(s, "0002", "C.BNC", 1);
    ASSERT_TRUE(Import(s, text));
    EXPECT_EQ(Text(s, "Measure\\0000", "File"), "測定\\A.BNC");
    EXPECT_EQ(s.Raw("Measure\\0000", "Select"), std::string("\1\0\0\0", 4));
    EXPECT_EQ(Text(s, "Measure\\0001", "File"), "B\"Q.BNC");
    EXPECT_EQ(Text(s, "Measure\\0002", "File"), "C.BNC") << "keys the file does not name stay";
    DWORD type = 0;
    s.Raw("Measure\\0000", "File", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
}

TEST(ItemSet, EmptyOrMissingCatalogueStillExportsItsKey) {
    ScratchKey s;
    const std::string only = "REGEDIT4\r\n\r\n[" + Name(s) + "\\Measure]\r\n\r\n";
    EXPECT_EQ(ExportItemSet(s.root(), Name(s)), only);
    s.Sub("Measure");
    EXPECT_EQ(ExportItemSet(s.root(), Name(s)), only);
}

TEST(ItemSet, FilesTouchingAnythingButTheCatalogueAreRefusedWhole) {
    ScratchKey s;
    Entry(s, "0000", "KEEP.BNC", 1);
    const std::string m = Name(s) + "\\Measure";
    const std::string good = "[" + m + "\\0009]\r\n\"File\"=\"NEW.BNC\"\r\n";
    const std::pair<std::string, int> hostile[] = {
        {"REGEDIT4\r\n" + good + "[" + Name(s) + "\\Ini]\r\n\"Flag\"=hex:ff\r\n", 4},
        {"REGEDIT4\r\n" + good + "[HKEY_LOCAL_MACHINE\\Software\\x\\Measure]\r\n", 4},
        {"REGEDIT4\r\n" + good + "[" + m + "X]\r\n", 4},
        {"REGEDIT4\r\n" + good + "[" + m + "Ex\\0000]\r\n", 4},
        {"REGEDIT4\r\n" + good + "[-HKEY_CURRENT_USER\\Software]\r\n", 4},
        {"REGEDIT4\r\n" + good + "[-" + Name(s) + "]\r\n", 4},
        {"REGEDIT4\r\n" + good + "[" + m + "\\\\0003]\r\n", 4},
        {good, 1},  // no header
        {"REGEDIT4\r\n" + good + "[" + m + "\\0003\r\n", 4},
        {"REGEDIT4\r\n" + good + "\"File\"=\"open\r\n", 4},
        {"REGEDIT4\r\n" + good + "\"Select\"=dword:123456789\r\n", 4},
        {"REGEDIT4\r\n" + good + "\"Data\"=hex:01,zz\r\n", 4},
        {"REGEDIT4\r\n\"File\"=\"X.BNC\"\r\n", 2},  // a value before any key
        {"REGEDIT4\r\n" + good + "just words\r\n", 4},
        {"REGEDIT4\r\n" + good + "\"Data\"=hex(1x):00\r\n", 4},
    };
    for (const auto& h : hostile) {
        ItemSetFile f = ParseItemSet(Bytes(h.first), Name(s));
        EXPECT_FALSE(f.ok) << h.first;
        EXPECT_EQ(f.line, h.second) << h.first;
        EXPECT_TRUE(f.changes.empty());
        EXPECT_FALSE(f.reason.empty());
    }
    // Bytes that are no text at all.
    EXPECT_FALSE(ParseItemSet({0xFF, 0xFE, 0x52}, Name(s)).ok) << "odd-length UTF-16";
    EXPECT_FALSE(ParseItemSet(Bytes("REGEDIT4\r\n\x82"), Name(s)).ok) << "a lead byte without its trail";
    EXPECT_FALSE(ParseItemSet(Bytes("REGEDIT4\r\n" + good + "\"App\"=\"A\x82\"\r\n"), Name(s)).ok)
        << "a lead byte before a quote is no character";
    EXPECT_FALSE(ParseItemSet({}, Name(s)).ok);
    EXPECT_FALSE(ParseItemSet(std::vector<uint8_t>(kMaxItemSetFile + 1, ' '), Name(s)).ok);
    EXPECT_FALSE(s.Has("Measure\\0009", "File")) << "nothing was applied";
    EXPECT_EQ(Text(s, "Measure\\0000", "File"), "KEEP.BNC");

    // Deleting inside the catalogue is allowed: a key, a value, every case of the name.
    std::string upper = m;
    for (char& c : upper) c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    ASSERT_TRUE(Import(s, "REGEDIT4\r\n; a comment\r\n[" + upper + "\\0000]\r\n\"Select\"=-\r\n"));
    EXPECT_FALSE(s.Has("Measure\\0000", "Select"));
    ASSERT_TRUE(Import(s, "REGEDIT4\r\n[-" + m + "\\0000]\r\n"));
    RegKey gone;
    EXPECT_FALSE(gone.Open(s.root(), "Measure\\0000"));
}

TEST(ItemSet, VersionFiveFilesOfTheRegistryEditorAreRead) {
    ScratchKey from, to;
    Entry(from, "0000", "日本語.BNC", 1);
    {
        RegKey k = from.Sub("Measure\\0000");
        const BYTE multi[] = {'a', 0, 'b', 0, 0};
        k.WriteBinaryAs(REG_MULTI_SZ, "Multi", multi, sizeof multi);
        const BYTE raw[] = {1, 2, 3};
        k.WriteBinaryAs(REG_BINARY, "Raw", raw, sizeof raw);
    }
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string path = std::string(temp) + "zelbr-itemset.reg";
    DeleteFileA(path.c_str());
    std::string cmd = "regedit.exe /e \"" + path + "\" \"" + Name(from) + "\\Measure\"";
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    ASSERT_TRUE(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(f, INVALID_HANDLE_VALUE) << "the registry editor wrote no file";
    std::vector<uint8_t> bytes(65536);
    DWORD got = 0;
    ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
    CloseHandle(f);
    DeleteFileA(path.c_str());
    bytes.resize(got);
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF) << "version 5, UTF-16";
    // Read as if written for the other key: the same catalogue lands there.
    ItemSetFile set = ParseItemSet(bytes, Name(from));
    ASSERT_TRUE(set.ok) << set.reason << " line " << set.line;
    ASSERT_TRUE(ApplyItemSet(to.root(), set.changes));
    EXPECT_EQ(Text(to, "Measure\\0000", "File"), "日本語.BNC");
    EXPECT_EQ(to.Raw("Measure\\0000", "Select"), std::string("\1\0\0\0", 4));
    EXPECT_EQ(to.Raw("Measure\\0000", "Raw"), std::string("\1\2\3", 3));
    EXPECT_EQ(to.Raw("Measure\\0000", "Multi"), std::string("a\0b\0\0", 5));
}
