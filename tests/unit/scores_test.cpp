#include "run/scores.h"

#include <gtest/gtest.h>

#include "run/moduleprocess.h"
#include "run/protocol.h"
#include "scratch_key.h"
#include "temp_dir.h"

using namespace run;

namespace {

ResultRecord Record(uint32_t runs, uint32_t reference, std::initializer_list<uint32_t> values) {
    ResultRecord r{};
    r.runs = runs;
    r.reference = reference;
    size_t i = 0;
    for (uint32_t v : values) r.values[i++] = v;
    for (uint32_t v : r.values) r.runSum += v;
    r.checkSum = r.runs + r.reference + r.runSum + r.runSum;
    return r;
}

void Store(const ScratchKey& s, const char* base, const ResultRecord& r) {
    s.Sub((std::string("Bench\\") + base).c_str()).WriteBinary("Result", &r, sizeof r);
}

}  // namespace

TEST(Rating, WorkedExamples) {
    ResultRecord one = Record(1, 500, {1000});
    EXPECT_EQ(one.checkSum, 2501u);
    EXPECT_EQ(RateRecord(one, 1), 5000);
    EXPECT_EQ(RateRecord(one, 10), kNoScore) << "too few runs for precise mode";

    ResultRecord ten = Record(10, 1000, {500, 500, 500, 500, 500, 500, 500, 500, 500, 500});
    EXPECT_EQ(ten.checkSum, 11010u);
    EXPECT_EQ(RateRecord(ten, 10), 20000);
    EXPECT_EQ(RateRecord(ten, 1), 20000);

    ResultRecord bad = ten;
    bad.checkSum += 1;
    EXPECT_EQ(RateRecord(bad, 10), kNoScore);
    bad = ten;
    bad.runSum += 1;
    bad.checkSum += 1;
    EXPECT_EQ(RateRecord(bad, 10), kNoScore);
}

TEST(Rating, OnlyTheFirstRunCountsInSimpleMode) {
    ResultRecord r = Record(10, 1000, {2000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000, 1000});
    EXPECT_EQ(RateRecord(r, 1), 5000);
    EXPECT_EQ(RateRecord(r, 10), 9090);  // 1000 / 1100 * 10000, truncated
}

TEST(Rating, DegenerateRecordsGiveNoScore) {
    EXPECT_EQ(RateRecord(Record(1, 0, {1000}), 1), kNoScore);  // zero reference
    EXPECT_EQ(RateRecord(Record(1, 500, {0}), 1), kNoScore);   // zero mean
    // A hand-made run count beyond the record's ten values, or zero.
    ResultRecord many = Record(50, 500, {1, 1, 1, 1, 1, 1, 1, 1, 1, 1});
    EXPECT_EQ(RateRecord(many, 11), kNoScore);
    EXPECT_EQ(RateRecord(many, 0), kNoScore);
    // Sums are taken modulo 2^32.
    ResultRecord wrap = Record(2, 0xFFFFFFF0u, {0xFFFFFFF0u, 0x20});
    EXPECT_EQ(RateRecord(wrap, 1), 10000);
    // A huge ratio saturates rather than overflowing.
    EXPECT_EQ(RateRecord(Record(1, 0xFFFFFFFFu, {1}), 1), 2147483647);
}

TEST(ItemScoreRegistry, ReadsBenchKeyByBaseName) {
    ScratchKey s;
    uint32_t reference = 0;
    EXPECT_EQ(ItemScore(s.root(), "", 1, &reference), kNoScore);
    ASSERT_FALSE(RegKey().Open(s.root(), "Bench"));
    EXPECT_EQ(ItemScore(s.root(), "X.MCR", 1, &reference), kNoScore);
    EXPECT_TRUE(RegKey().Open(s.root(), "Bench")) << "reading a score creates an empty \"Bench\"";
    Store(s, "X", Record(1, 500, {1000}));
    EXPECT_EQ(ItemScore(s.root(), "X.MCR", 1, &reference), 5000);
    EXPECT_EQ(reference, 500u);
    EXPECT_EQ(ItemScore(s.root(), "X.BNC", 1, nullptr), 5000);
    s.Sub("Bench\\Y").WriteBinary("Result", "short", 5);
    EXPECT_EQ(ItemScore(s.root(), "Y.BNC", 1, nullptr), kNoScore);
}

TEST(Overall, ReferenceWeightedMeanOfSelectedScoredItems) {
    Rated pair[] = {{100, 5000}, {300, 10000}};
    EXPECT_EQ(WeightedScore(pair, 2), 8750);
    EXPECT_EQ(WeightedScore(pair, 0), kNoScore);

    ScratchKey s;
    TempDir dir;
    for (const char* f : {"A.BNC", "B.BNC", "C.BNC", "D.BNC"}) dir.Write(f);
    auto add = [&](const char* key, const char* file, DWORD select) {
        RegKey k = s.Sub((std::string("Measure\\") + key).c_str());
        k.WriteText("File", file);
        k.WriteDword("Select", select);
    };
    add("0000", "A.BNC", 1);
    add("0001", "B.BNC", 1);
    add("0002", "C.BNC", 0);     // not selected: left out
    add("0003", "D.BNC", 1);     // no record: left out
    add("0004", "GONE.BNC", 1);  // missing module: reported
    Store(s, "A", Record(1, 100, {200}));  // 5000
    Store(s, "B", Record(1, 300, {300}));  // 10000
    Store(s, "C", Record(1, 900, {100}));
    std::vector<std::string> missing;
    int overall = OverallScore(s.root(), dir.path, 1, [&](const std::string& f) { missing.push_back(f); });
    EXPECT_EQ(overall, 8750);
    EXPECT_EQ(missing, std::vector<std::string>{"GONE.BNC"});
    EXPECT_EQ(OverallScore(s.root(), dir.path, 10, [](const std::string&) {}), kNoScore);
    EXPECT_EQ(ScoreText(8750), "8750");
    EXPECT_EQ(ScoreText(kNoScore), "");
}

TEST(Walk, PassesOverSelectedExistingItemsAndWraps) {
    ScratchKey s;
    TempDir dir;
    dir.Write("A.BNC");
    dir.Write("C.BNC");
    auto add = [&](const char* key, const char* file, DWORD select) {
        RegKey k = s.Sub((std::string("Measure\\") + key).c_str());
        k.WriteText("File", file);
        k.WriteDword("Select", select);
    };
    add("0000", "A.BNC", 1);
    add("0001", "B.BNC", 1);  // module missing
    add("0002", "C.BNC", 1);
    std::vector<std::string> missing;
    auto onMissing = [&](const std::string& f) { missing.push_back(f); };
    AllItemsWalk walk;
    std::vector<std::string> ran;
    int pass = NextSelectedItem(s.root(), dir.path, 2, 0, &walk, onMissing);
    while (pass < 2) {
        ran.push_back(walk.current + "@" + std::to_string(pass));
        pass = NextSelectedItem(s.root(), dir.path, 2, pass, &walk, onMissing);
    }
    EXPECT_EQ(ran, (std::vector<std::string>{"A.BNC@0", "C.BNC@0", "A.BNC@1", "C.BNC@1"}));
    EXPECT_EQ(pass, 2);
    EXPECT_EQ(missing.size(), 2u) << "once per pass";
}

TEST(Walk, EmptyOrUnselectedCatalogueEndsAtOnce) {
    ScratchKey s;
    TempDir dir;
    AllItemsWalk walk;
    auto none = [](const std::string&) {};
    EXPECT_EQ(NextSelectedItem(s.root(), dir.path, 10, 0, &walk, none), 11);
    RegKey k = s.Sub("Measure\\0000");
    k.WriteText("File", "A.BNC");
    k.WriteDword("Select", 0);
    dir.Write("A.BNC");
    walk = AllItemsWalk{};
    EXPECT_EQ(NextSelectedItem(s.root(), dir.path, 10, 0, &walk, none), 10);
}

TEST(HandOver, ValuesAreWrittenAsDwords) {
    ScratchKey s;
    ASSERT_TRUE(WriteHandOver(s.root(), 3, reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1234))));
    DWORD type = 0;
    EXPECT_EQ(s.Raw("Ini\\zelBr", "hWnd", &type), std::string("\x34\x12\x00\x00", 4));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    type = 0;
    EXPECT_EQ(s.Raw("Ini\\zelBr", "Count", &type), std::string("\x03\x00\x00\x00", 4));
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    // A new measurement starts counting again from its first run.
    ASSERT_TRUE(WriteHandOver(s.root(), 0, reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x1234))));
    EXPECT_EQ(s.Raw("Ini\\zelBr", "Count"), std::string("\x00\x00\x00\x00", 4));
    ASSERT_TRUE(WriteSuspension(s.root(), 1));
    EXPECT_EQ(s.Raw("Ini\\zelBr", "Suspension"), std::string("\x01\x00\x00\x00", 4));
    EXPECT_EQ(ModulePath("C:\\P\\", "X.MCR"), "C:\\P\\X.BNC");
    EXPECT_EQ(ModulePath("C:\\P\\", "..\\X.MCR"), "");
    ModuleProcess none;
    EXPECT_FALSE(none.Start("C:\\no\\such\\module.BNC"));
    EXPECT_EQ(none.Poll(), ModuleState::kNone);
}
