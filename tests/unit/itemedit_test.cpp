#include "items/itemedit.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "items/catalogue.h"
#include "items/measuretree.h"
#include "scratch_key.h"
#include "temp_dir.h"

using namespace items;

namespace {

void AddItem(const ScratchKey& s, const char* key, const char* file, DWORD select) {
    RegKey k = s.Sub((std::string("Measure\\") + key).c_str());
    k.WriteText("File", file);
    k.WriteDword("Select", select);
}

std::vector<std::string> Files(const std::vector<EditEntry>& list) {
    std::vector<std::string> files;
    for (const EditEntry& e : list) files.push_back(e.file + (e.selected ? "+" : "-"));
    return files;
}

// The subkeys of "Measure" in enumeration order, as "0000:FILE=select".
std::vector<std::string> StoredKeys(const ScratchKey& s) {
    std::vector<std::string> keys;
    RegKey measure;
    if (!measure.Open(s.root(), "Measure")) return keys;
    for (DWORD i = 0;; ++i) {
        char name[64];
        DWORD len = sizeof name;
        if (RegEnumKeyExA(measure.get(), i, name, &len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        RegKey item;
        item.Open(measure.get(), name);
        std::string file;
        DWORD select = 9;
        item.ReadText("File", &file);
        item.ReadDword("Select", &select);
        keys.push_back(std::string(name) + ":" + file + "=" + std::to_string(select));
    }
    return keys;
}

}  // namespace

TEST(ItemEditList, CatalogueFirstThenUncataloguedModulesUnticked) {
    ScratchKey s;
    TempDir dir;
    for (const char* f : {"B.BNC", "A.BNC", "NEW.BNC", "C.BNC", "NOTES.TXT"}) dir.Write(f);
    AddItem(s, "0000", "C.BNC", 0);
    AddItem(s, "0001", "GONE.BNC", 1);
    AddItem(s, "0002", "a.bnc", 1);  // the file is A.BNC
    AddItem(s, "0003", "B.BNC", 2);  // only 1 selects
    std::vector<std::string> missing;
    std::vector<EditEntry> list =
        BuildEditList(s.root(), dir.path, [&](const std::string& file) { missing.push_back(file); });
    // A.BNC is catalogued as a.bnc; NEW.BNC is not.
    EXPECT_EQ(Files(list), (std::vector<std::string>{"C.BNC-", "a.bnc+", "B.BNC-", "NEW.BNC-"}));
    EXPECT_EQ(missing, std::vector<std::string>{"GONE.BNC"});
}

TEST(ItemEditList, WithoutACatalogueEveryModuleIsNewAndTheKeyIsCreated) {
    ScratchKey s;
    TempDir dir;
    dir.Write("A.BNC");
    std::vector<EditEntry> list = BuildEditList(s.root(), dir.path, nullptr);
    EXPECT_EQ(Files(list), std::vector<std::string>{"A.BNC-"});
    EXPECT_TRUE(MeasureExists(s.root()));
}

TEST(ItemEditList, FileNamesMatchByWholeCharactersIgnoringCase) {
    EXPECT_TRUE(SameFileName("notepad.bnc", "NOTEPAD.BNC"));
    EXPECT_FALSE(SameFileName("NOTEPAD.BNC", "NOTEPAD2.BNC"));
    EXPECT_TRUE(SameFileName("ソフトa.BNC", "ソフトA.bnc"));
    // "ア" is 0x83 0x41 and "ヂ" 0x83 0x61: their second bytes are not letters.
    EXPECT_FALSE(SameFileName("ア.BNC", "ヂ.BNC"));
}

TEST(ItemEditApply, RenumbersFromZeroInListOrderAndDropsEveryOldKey) {
    ScratchKey s;
    AddItem(s, "0003", "OLD.BNC", 1);
    AddItem(s, "0009", "X.BNC", 1);
    s.Sub("Measure\\0009\\Nested");  // a key below an item goes too
    std::vector<EditEntry> list = {{"X.BNC", false}, {"B.BNC", true}, {"C.BNC", false}};
    ASSERT_TRUE(RewriteMeasure(s.root(), list));
    EXPECT_EQ(StoredKeys(s), (std::vector<std::string>{"0000:X.BNC=0", "0001:B.BNC=1", "0002:C.BNC=0"}));
    // Written from the list's 128-byte text buffer; Wine keeps only up to
    // the NUL.
    DWORD type = 0;
    std::string raw = s.Raw("Measure\\0001", "File", &type);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(raw.substr(0, raw.find('\0')), "B.BNC");
    EXPECT_EQ(s.Raw("Measure\\0001", "Select", &type), std::string("\1\0\0\0", 4));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
}

TEST(ItemEditApply, EmptyListEmptiesTheCatalogueAndMissingKeyWritesNothing) {
    ScratchKey s;
    AddItem(s, "0000", "A.BNC", 1);
    ASSERT_TRUE(RewriteMeasure(s.root(), {}));
    EXPECT_TRUE(MeasureExists(s.root()));
    EXPECT_TRUE(StoredKeys(s).empty());

    ScratchKey bare;
    EXPECT_FALSE(RewriteMeasure(bare.root(), {{"A.BNC", true}}));
    EXPECT_FALSE(MeasureExists(bare.root()));
}

TEST(ItemEditApply, ManyItemsKeepTheirOrderPastTen) {
    ScratchKey s;
    s.Sub("Measure");
    std::vector<EditEntry> list;
    for (int i = 0; i < 12; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "I%02d.BNC", 11 - i);
        list.push_back(EditEntry{name, i % 2 == 0});
    }
    ASSERT_TRUE(RewriteMeasure(s.root(), list));
    std::vector<std::string> keys = StoredKeys(s);
    ASSERT_EQ(keys.size(), 12u);
    EXPECT_EQ(keys[10], "0010:I01.BNC=1");
    EXPECT_EQ(keys[11], "0011:I00.BNC=0");
    std::vector<CatalogueEntry> read = ReadCatalogue(s.root(), "Z:\\nowhere\\");
    ASSERT_EQ(read.size(), 12u);
    EXPECT_EQ(read[0].file, "I11.BNC");
    EXPECT_TRUE(read[0].selected);
}

namespace {

std::vector<EditEntry> Numbered(const char* prefix, int n, bool selected) {
    std::vector<EditEntry> list;
    for (int i = 0; i < n; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "%s%03d.BNC", prefix, i);
        list.push_back(EditEntry{name, selected});
    }
    return list;
}

std::vector<std::string> Expected(const std::vector<EditEntry>& list) {
    std::vector<std::string> keys;
    for (size_t i = 0; i < list.size(); ++i) {
        char key[8];
        std::snprintf(key, sizeof key, "%04d", static_cast<int>(i));
        keys.push_back(std::string(key) + ":" + list[i].file + "=" + (list[i].selected ? "1" : "0"));
    }
    return keys;
}

}  // namespace

// The apply stopped dead (as by a kill) after every k-th registry change,
// then the next start: the old catalogue or the new one, never a mix.
TEST(ItemEditApply, AKillAtAnyStepLeavesTheOldCatalogueOrTheNew) {
    ScratchKey s;
    s.Sub("Measure");
    const std::vector<EditEntry> before = Numbered("OLD", 200, true), after = Numbered("NEW", 200, false);
    const std::vector<std::string> oldKeys = Expected(before), newKeys = Expected(after);
    int old = 0, fresh = 0, mixed = 0, runs = 0;
    for (int stop = 1;; stop += 23) {
        ASSERT_TRUE(RewriteMeasure(s.root(), before));
        StopReplaceAfterForTest(stop);
        const bool finished = RewriteMeasure(s.root(), after);
        StopReplaceAfterForTest(0);
        RecoverMeasure(s.root());  // the next start
        ++runs;
        std::vector<std::string> keys = StoredKeys(s);
        if (keys == oldKeys) ++old;
        else if (keys == newKeys) ++fresh;
        else {
            ++mixed;
            ADD_FAILURE() << "stopped after " << stop << ": " << keys.size() << " keys, first "
                          << (keys.empty() ? "none" : keys.front());
        }
        if (finished) break;
    }
    std::printf("apply of 200 items stopped after every 23rd step (%d runs): %d old, %d new, %d mixed\n", runs, old,
                fresh, mixed);
    EXPECT_GT(old, 10);
    EXPECT_GT(fresh, 10);
    EXPECT_EQ(mixed, 0);
}

TEST(ItemEditApply, StartUpFinishesACompleteSiblingAndDropsAHalfBuiltOne) {
    ScratchKey s;
    s.Sub("Measure");
    ASSERT_TRUE(RewriteMeasure(s.root(), {{"OLD.BNC", true}}));
    // Half built, never marked complete: dropped, the old catalogue stays.
    s.Sub((std::string(kMeasureNextKey) + "\\0000").c_str()).WriteText("File", "HALF.BNC");
    RecoverMeasure(s.root());
    EXPECT_EQ(StoredKeys(s), std::vector<std::string>{"0000:OLD.BNC=1"});
    RegKey next;
    EXPECT_FALSE(next.Open(s.root(), kMeasureNextKey));
    // Complete and marked, "Measure" half rewritten: rolled forward.
    {
        RegKey item = s.Sub((std::string(kMeasureNextKey) + "\\0000").c_str());
        item.WriteText("File", "NEW.BNC");
        item.WriteDword("Select", 0);
        s.Sub((std::string(kMeasureNextKey) + "\\0001").c_str()).WriteText("File", "TWO.BNC");
    }
    s.key.WriteDword(kMeasureSwapValue, 1);
    DeleteKeyTree(s.root(), "Measure\\0000");
    AddItem(s, "0005", "REMNANT.BNC", 1);
    RecoverMeasure(s.root());
    EXPECT_EQ(StoredKeys(s), (std::vector<std::string>{"0000:NEW.BNC=0", "0001:TWO.BNC=9"}));
    EXPECT_FALSE(s.Has("", kMeasureSwapValue));
    EXPECT_FALSE(next.Open(s.root(), kMeasureNextKey));
    // Nothing to do: nothing changes.
    RecoverMeasure(s.root());
    EXPECT_EQ(StoredKeys(s).size(), 2u);
}
