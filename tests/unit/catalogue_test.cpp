#include "items/catalogue.h"

#include <gtest/gtest.h>

#include <cstring>

#include "items/measuretree.h"
#include "scratch_key.h"
#include "temp_dir.h"

using namespace items;

namespace {

void AddItem(const ScratchKey& s, const char* key, const char* file, const DWORD* select) {
    RegKey k = s.Sub((std::string("Measure\\") + key).c_str());
    k.WriteText("File", file);
    if (select) k.WriteDword("Select", *select);
}

const DWORD kOn = 1, kOff = 0, kTwo = 2;

std::vector<unsigned char> Description(const char* name, uint32_t version, size_t size = kDescriptionSize) {
    std::vector<unsigned char> d(size, 0);
    if (size >= kNameOffset + kNameSize) std::memcpy(&d[kNameOffset], name, std::min(std::strlen(name), kNameSize));
    if (size >= kVersionOffset + 4) std::memcpy(&d[kVersionOffset], &version, 4);
    return d;
}

}  // namespace

TEST(FileNames, OnlyBareNamesAreAccepted) {
    EXPECT_TRUE(IsPlainFileName("NOTEPAD.BNC"));
    EXPECT_TRUE(IsPlainFileName("ソフト.BNC"));  // second byte 0x5C is not a separator
    EXPECT_FALSE(IsPlainFileName("..\\EVIL.BNC"));
    EXPECT_FALSE(IsPlainFileName("sub\\X.BNC"));
    EXPECT_FALSE(IsPlainFileName("C:X.BNC"));
    EXPECT_FALSE(IsPlainFileName("/X.BNC"));
    EXPECT_FALSE(IsPlainFileName(".."));
    EXPECT_FALSE(IsPlainFileName(""));
    EXPECT_EQ(WithExtension("X.BNC", "MCR"), "X.MCR");
}

TEST(FileNames, DeviceNamesAreNeverPlainFiles) {
    for (const char* device : {"CON.BNC", "PRN.BNC", "AUX.BNC", "NUL.BNC", "COM1.BNC", "COM9.BNC", "LPT1.BNC",
                               "LPT9.BNC", "com1.bnc", "Aux.Bnc", "nul", "CON.TAR.GZ", "COM1 .BNC", "AUX  .BNC",
                               "LPT2..BNC", "PRN. .BNC", "CON "})
        EXPECT_FALSE(IsPlainFileName(device)) << device;
    for (const char* ordinary : {"COM10.BNC", "CONSOLE.BNC", "LPT0.BNC", "COM.BNC", "AUX1.BNC", "XCON.BNC",
                                 "COM1X.BNC", "NULL.BNC", "CON_.BNC"})
        EXPECT_TRUE(IsPlainFileName(ordinary)) << ordinary;
}

TEST(Catalogue, DeviceNamedEntryCountsAsMissing) {
    ScratchKey s;
    TempDir dir;
    AddItem(s, "0000", "COM1.BNC", &kOn);
    AddItem(s, "0001", "aux.bnc", &kOn);
    std::vector<CatalogueEntry> e = ReadCatalogue(s.root(), dir.path);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_FALSE(e[0].exists);
    EXPECT_FALSE(e[1].exists);
    EXPECT_TRUE(e[0].selected);
}

TEST(MeasureTree, ExistsOnlyOnceCreatedAndAskingCreatesNothing) {
    ScratchKey s;
    EXPECT_FALSE(MeasureExists(s.root()));
    EXPECT_FALSE(MeasureExists(s.root())) << "asking must not create the key";
    s.Sub("Measure");  // empty, as a user may leave it
    EXPECT_TRUE(MeasureExists(s.root()));
    TempDir dir;
    dir.Write("A.BNC");
    ScratchKey fresh;
    BuildMeasureTree(fresh.root(), dir.path);
    EXPECT_TRUE(MeasureExists(fresh.root()));
}

TEST(DirectoryListing, FindsWhatAFileSearchOnTheNameFinds) {
    TempDir dir;
    dir.Write("A.BNC");
    dir.Write("LongModuleName.BNC");
    dir.Write("ソフト.BNC");
    dir.Write("Ａ.BNC");  // full-width letter
    char shortPath[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameA((dir.path + "LongModuleName.BNC").c_str(), shortPath, MAX_PATH), 0u);
    std::string shortName = std::string(shortPath).substr(std::string(shortPath).rfind('\\') + 1);
    ASSERT_NE(shortName, "LongModuleName.BNC");
    DirectoryListing listing(dir.path);
    const char* names[] = {"A.BNC", "a.bnc", "A.BN", "A.BNC.X", "B.BNC", "LONGMODULENAME.BNC", "ソフト.bnc",
                           "ｿﾌﾄ.BNC", "ａ.bnc", "A.BNC.", "A.BNC ", "A.BNC. .", " "};
    for (const char* name : names) EXPECT_EQ(listing.Contains(name), FileExists(dir.path + name)) << name;
    EXPECT_TRUE(listing.Contains("a.bnc")) << "case does not matter";
    EXPECT_TRUE(listing.Contains("ａ.bnc")) << "nor for full-width letters";
    EXPECT_TRUE(listing.Contains(shortName)) << "the short name counts";
    EXPECT_FALSE(listing.Contains("B.BNC"));
    EXPECT_FALSE(listing.Contains("A.BN"));
    EXPECT_FALSE(DirectoryListing(dir.path + "none\\").Contains("A.BNC"));
}

// The check uses the ANSI search and folds only whole characters: 表 and
// ソ end in 0x5C, ポ in 0x7C, ャ (0x83 0x61) in what looks like an "a".
TEST(DirectoryListing, TrailBytesAreNeitherSeparatorsNorLetters) {
    TempDir dir;
    for (const char* f : {"表.BNC", "ソフト.BNC", "ポ.BNC", "ア.BNC"}) dir.Write(f);
    DirectoryListing listing(dir.path);
    EXPECT_TRUE(listing.Contains("表.bnc"));
    EXPECT_TRUE(listing.Contains("ソフト.BNC"));
    EXPECT_TRUE(listing.Contains("ポ.BNC"));
    EXPECT_TRUE(listing.Contains("ア.BNC"));
    EXPECT_FALSE(listing.Contains("ャ.BNC")) << "its trail byte was folded to that of ア";
    EXPECT_FALSE(listing.Contains("ヂ.BNC"));
    EXPECT_EQ(FoldName("ャa表ｂ"), "ャA表Ｂ");
    EXPECT_EQ(FoldName("ポ|"), "ポ|");
    std::vector<CatalogueEntry> e;
    ScratchKey s;
    AddItem(s, "0000", "表.BNC", &kOn);
    AddItem(s, "0001", "ャ.BNC", &kOn);
    e = ReadCatalogue(s.root(), dir.path);
    ASSERT_EQ(e.size(), 2u);
    EXPECT_TRUE(e[0].exists);
    EXPECT_FALSE(e[1].exists);
}

TEST(DirectoryListing, WildcardsNeverCountAsExisting) {
    TempDir dir;
    dir.Write("A.BNC");
    DirectoryListing listing(dir.path);
    for (const char* name : {"*", "*.BNC", "?.BNC", "A.BN?", "A.BN<", "A\".BNC"}) EXPECT_FALSE(listing.Contains(name)) << name;
    EXPECT_TRUE(listing.Contains("A.BNC"));
}

TEST(MeasureTree, FirstStartScanSelectsEveryModuleInOrder) {
    ScratchKey s;
    TempDir dir;
    dir.Write("A.BNC");
    dir.Write("B.BNC");
    dir.Write("README.TXT");
    BuildMeasureTree(s.root(), dir.path);
    DWORD type = 0;
    std::string file0 = s.Raw("Measure\\0000", "File", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    // Written with its whole 256-byte buffer; Wine keeps only up to the NUL.
    EXPECT_EQ(file0.substr(0, file0.find('\0')).substr(1), ".BNC");
    std::vector<CatalogueEntry> entries = ReadCatalogue(s.root(), dir.path);
    ASSERT_EQ(entries.size(), 2u);
    for (const CatalogueEntry& e : entries) {
        EXPECT_TRUE(e.exists);
        EXPECT_TRUE(e.selected);
    }
    EXPECT_NE(entries[0].file, entries[1].file);
    EXPECT_FALSE(s.Has("Measure\\0002", "File"));
}

TEST(MeasureTree, EmptyDirectoryLeavesMeasureEmptyAndOldKeysStay) {
    ScratchKey s;
    TempDir dir;
    BuildMeasureTree(s.root(), dir.path);
    EXPECT_TRUE(ReadCatalogue(s.root(), dir.path).empty());
    AddItem(s, "0005", "OLD.BNC", &kOn);
    dir.Write("NEW.BNC");
    BuildMeasureTree(s.root(), dir.path);
    std::vector<CatalogueEntry> entries = ReadCatalogue(s.root(), dir.path);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].file, "NEW.BNC");
    EXPECT_EQ(entries[1].file, "OLD.BNC");
    EXPECT_FALSE(entries[1].exists);
}

TEST(Catalogue, SelectionNeedsExactlyOneAndFilesAreChecked) {
    ScratchKey s;
    TempDir dir;
    dir.Write("A.BNC");
    dir.Write("B.BNC");
    dir.Write("C.BNC");
    AddItem(s, "0000", "A.BNC", &kOn);
    AddItem(s, "0001", "B.BNC", nullptr);  // no "Select": not selected
    AddItem(s, "0002", "C.BNC", &kTwo);
    AddItem(s, "0003", "GONE.BNC", &kOff);
    AddItem(s, "0004", "..\\A.BNC", &kOn);
    s.Sub("Measure\\0005");  // no "File": left out
    AddItem(s, "0006", "?.BNC", &kOn);
    AddItem(s, "0007", "a.bnc", &kOn);
    std::vector<CatalogueEntry> e = ReadCatalogue(s.root(), dir.path);
    ASSERT_EQ(e.size(), 7u);
    EXPECT_TRUE(e[0].exists);
    EXPECT_TRUE(e[0].selected);
    EXPECT_FALSE(e[1].selected);
    EXPECT_FALSE(e[2].selected);
    EXPECT_FALSE(e[3].exists);
    EXPECT_FALSE(e[4].exists) << "a path outside the program directory counts as missing";
    EXPECT_FALSE(e[5].exists) << "a wildcard is no module";
    EXPECT_TRUE(e[6].exists);
}

TEST(Catalogue, FileValueIsCutAtItsFirstNul) {
    ScratchKey s;
    TempDir dir;
    dir.Write("A.BNC");
    char buf[128] = "A.BNC";
    std::memcpy(buf + 10, "junk", 4);
    s.Sub("Measure\\0000").WriteBinaryAs(REG_SZ, "File", buf, sizeof buf);
    std::vector<CatalogueEntry> e = ReadCatalogue(s.root(), dir.path);
    ASSERT_EQ(e.size(), 1u);
    EXPECT_EQ(e[0].file, "A.BNC");
    EXPECT_TRUE(e[0].exists);
}

TEST(Description, NameAndVersionText) {
    TempDir dir;
    dir.Write("A.MCR", Description("テキスト編集", 0x00010005));
    std::string name, version;
    GetItemName(dir.path + "A.MCR", &name, &version);
    EXPECT_EQ(name, "テキスト編集");
    EXPECT_EQ(version, "(Version 1.05)");
    EXPECT_EQ(VersionText(0x0002007B), "(Version 2.123)");
}

TEST(Description, NameWithoutTerminatorIsCutAtItsField) {
    std::vector<unsigned char> d = Description("", 0);
    std::memset(&d[kNameOffset], 'N', kNameSize + 10);  // runs into the next field
    ItemDescription parsed = ParseItemDescription(d.data(), d.size());
    EXPECT_EQ(parsed.name, std::string(kNameSize, 'N'));
    EXPECT_TRUE(parsed.complete);
}

TEST(Description, ShortOrMissingFilesGiveNothingAndMissingOnesAreCreated) {
    TempDir dir;
    dir.Write("SHORT.MCR", Description("abc", 0x00010000, 100));
    std::string name = "x", version = "y";
    GetItemName(dir.path + "SHORT.MCR", &name, &version);
    EXPECT_EQ(name, "abc");
    EXPECT_EQ(version, "");
    GetItemName(dir.path + "NONE.MCR", &name, &version);
    EXPECT_EQ(name, "");
    EXPECT_EQ(version, "");
    EXPECT_TRUE(FileExists(dir.path + "NONE.MCR"));
    std::vector<uint8_t> buf;
    ASSERT_TRUE(ReadItemDescription(&buf, dir.path + "NONE.MCR"));
    EXPECT_TRUE(buf.empty());
    EXPECT_FALSE(ParseItemDescription(buf.data(), buf.size()).complete);
}
