#include "app/settings.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

#include "scratch_key.h"

using namespace settings;

namespace {

FILETIME Time(DWORD low, DWORD high) { return FILETIME{low, high}; }

template <class T>
T As(const std::string& raw) {
    T v{};
    EXPECT_EQ(raw.size(), sizeof v);
    if (raw.size() == sizeof v) std::memcpy(&v, raw.data(), sizeof v);
    return v;
}

}  // namespace

TEST(RootKey, CreatedOnceThenOpened) {
    ScratchKey scratch;
    std::string path = scratch.path + "\\Root";
    HKEY root = nullptr;
    bool first = false;
    ASSERT_TRUE(CreateRootKey(HKEY_CURRENT_USER, path.c_str(), &root, &first));
    EXPECT_TRUE(first);
    RegCloseKey(root);
    ASSERT_TRUE(CreateRootKey(HKEY_CURRENT_USER, path.c_str(), &root, &first));
    EXPECT_FALSE(first);
    RegCloseKey(root);
}

TEST(FirstTime, WrittenToBothKeysOnceThenKept) {
    ScratchKey s;
    FILETIME first = ReadFirstTime(s.root(), Time(111, 222));
    EXPECT_EQ(first.dwLowDateTime, 111u);
    DWORD type = 0;
    FILETIME product = As<FILETIME>(s.Raw(kProductKey, "FirstTime", &type));
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    FILETIME ini = As<FILETIME>(s.Raw(kIniKey, "FirstTime"));
    EXPECT_EQ(product.dwLowDateTime, 111u);
    EXPECT_EQ(product.dwHighDateTime, 222u);
    EXPECT_EQ(ini.dwLowDateTime, 111u);

    // Second start: the stored product time wins, nothing is rewritten.
    s.Sub(kIniKey).WriteBinary("FirstTime", "marker!!", 8);
    FILETIME again = ReadFirstTime(s.root(), Time(999, 999));
    EXPECT_EQ(again.dwLowDateTime, 111u);
    EXPECT_EQ(s.Raw(kIniKey, "FirstTime"), "marker!!");
}

TEST(FirstTime, MalformedProductValueIsReplaced) {
    ScratchKey s;
    s.Sub(kProductKey).WriteBinary("FirstTime", "abc", 3);
    ReadFirstTime(s.root(), Time(5, 6));
    EXPECT_EQ(As<FILETIME>(s.Raw(kProductKey, "FirstTime")).dwLowDateTime, 5u);
    EXPECT_EQ(As<FILETIME>(s.Raw(kIniKey, "FirstTime")).dwLowDateTime, 5u);
}

TEST(Version, ComparesAsUnsignedPairMostSignificantFirst) {
    EXPECT_TRUE((Version{0x00010000, 0xFFFFFFFF}) < (Version{0x00010001, 0}));
    EXPECT_TRUE((Version{0x00010000, 4}) < (Version{0x00010000, 5}));
    EXPECT_TRUE((Version{0x7FFFFFFF, 0}) < (Version{0x80000000, 0}));
    EXPECT_FALSE((Version{1, 5}) < (Version{1, 5}));
    EXPECT_EQ((Version{0x0001000C, 0}).major(), 1);
    EXPECT_EQ((Version{0x0001000C, 0}).minor(), 12);
}

TEST(Version, OnlyGrows) {
    ScratchKey s;
    Version exe{0x00010000, 5};
    Version shown = UpdateVersion(s.root(), kProductKey, exe, Time(1, 1));
    EXPECT_TRUE(shown == exe);
    auto words = As<std::array<DWORD, 2>>(s.Raw(kProductKey, "Version"));
    EXPECT_EQ(words[0], 0x00010000u);
    EXPECT_EQ(words[1], 5u);
    EXPECT_EQ(As<FILETIME>(s.Raw(kProductKey, "VerUpTime")).dwLowDateTime, 1u);

    // An older program keeps the newer record and its time.
    Version older{0x00010000, 4};
    shown = UpdateVersion(s.root(), kProductKey, older, Time(2, 2));
    EXPECT_TRUE(shown == exe);
    EXPECT_EQ(As<FILETIME>(s.Raw(kProductKey, "VerUpTime")).dwLowDateTime, 1u);

    // The same version writes nothing either.
    UpdateVersion(s.root(), kProductKey, exe, Time(3, 3));
    EXPECT_EQ(As<FILETIME>(s.Raw(kProductKey, "VerUpTime")).dwLowDateTime, 1u);

    Version newer{0x00020000, 0};
    shown = UpdateVersion(s.root(), kProductKey, newer, Time(4, 4));
    EXPECT_TRUE(shown == newer);
    EXPECT_EQ(As<FILETIME>(s.Raw(kProductKey, "VerUpTime")).dwLowDateTime, 4u);
}

TEST(Version, WrongSizedRecordIsRewritten) {
    ScratchKey s;
    s.Sub(kIniKey).WriteBinary("Version", "\xFF\xFF\xFF\xFF", 4);
    Version exe{0x00010000, 5};
    EXPECT_TRUE(UpdateVersion(s.root(), kIniKey, exe, Time(7, 7)) == exe);
    EXPECT_EQ(s.Raw(kIniKey, "Version").size(), 8u);
}

TEST(RunCount, MissingOrMalformedBecomesOneStoredValueKept) {
    ScratchKey s;
    int runs = 0;
    ASSERT_TRUE(LoadRunCount(s.root(), &runs));
    EXPECT_EQ(runs, 1);
    DWORD type = 0;
    EXPECT_EQ(As<DWORD>(s.Raw(kIniKey, "Precision", &type)), 1u);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));

    s.Sub(kIniKey).WriteBinary("Precision", "\x0a\x00", 2);
    ASSERT_TRUE(LoadRunCount(s.root(), &runs));
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(s.Raw(kIniKey, "Precision").size(), 4u);

    // Any count from 1 to 10 stands, the ends included.
    for (DWORD stored : {1u, 5u, 10u}) {
        s.Sub(kIniKey).WriteDword("Precision", stored);
        ASSERT_TRUE(LoadRunCount(s.root(), &runs));
        EXPECT_EQ(runs, static_cast<int>(stored));
        EXPECT_EQ(As<DWORD>(s.Raw(kIniKey, "Precision")), stored);
    }
}

TEST(RunCount, CountsOutsideOneToTenAndOtherTypesAreRepaired) {
    ScratchKey s;
    int runs = 0;
    for (DWORD stored : {0u, 11u, 0xFFFFFFFFu, 0x80000000u}) {
        s.Sub(kIniKey).WriteDword("Precision", stored);
        runs = 0;
        ASSERT_TRUE(LoadRunCount(s.root(), &runs));
        EXPECT_EQ(runs, 1) << stored;
        EXPECT_EQ(As<DWORD>(s.Raw(kIniKey, "Precision")), 1u) << stored;
    }
    // Four bytes that read as 5, but not as a number.
    const DWORD five = 5;
    for (DWORD type : {static_cast<DWORD>(REG_SZ), static_cast<DWORD>(REG_BINARY)}) {
        s.Sub(kIniKey).WriteBinaryAs(type, "Precision", &five, sizeof five);
        runs = 0;
        ASSERT_TRUE(LoadRunCount(s.root(), &runs));
        EXPECT_EQ(runs, 1) << type;
        DWORD written = 0;
        EXPECT_EQ(As<DWORD>(s.Raw(kIniKey, "Precision", &written)), 1u) << type;
        EXPECT_EQ(written, static_cast<DWORD>(REG_DWORD)) << type;
    }
}

TEST(Flag, DefaultsToSevenAndKeepsOtherBits) {
    ScratchKey s;
    BYTE flag = 0;
    ReadFlag(s.root(), &flag);
    EXPECT_EQ(flag, 7);
    EXPECT_EQ(s.Raw(kIniKey, "Flag"), std::string("\x07", 1));

    s.Sub(kIniKey).WriteBinary("Flag", "\x01\x00", 2);
    ReadFlag(s.root(), &flag);
    EXPECT_EQ(flag, 7);
    EXPECT_EQ(s.Raw(kIniKey, "Flag").size(), 1u);

    WriteFlag(s.root(), 0xF2);
    ChangeFlagBits(s.root(), kFlagDisplayMode, false);
    ReadFlag(s.root(), &flag);
    EXPECT_EQ(flag, 0xF2);
    ChangeFlagBits(s.root(), kFlagConfirmStart, true);
    ReadFlag(s.root(), &flag);
    EXPECT_EQ(flag, 0xF6);
}

TEST(Flag, UnopenableKeyLeavesValueUnchanged) {
    BYTE flag = 0x42;
    // A closed handle cannot open subkeys.
    ReadFlag(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(0x7777)), &flag);
    EXPECT_EQ(flag, 0x42);
}

TEST(Position, RecordRoundTripsAsTwentyFourBytes) {
    ScratchKey s;
    PositionRecord rec{2, -5, 6, 70, 80, 1};
    ASSERT_TRUE(WritePosition(s.root(), rec));
    std::string raw = s.Raw(kIniKey, "Position");
    ASSERT_EQ(raw.size(), 24u);
    int32_t fields[6];
    std::memcpy(fields, raw.data(), 24);
    EXPECT_EQ(fields[0], 2);
    EXPECT_EQ(fields[1], -5);
    EXPECT_EQ(fields[3], 70);
    EXPECT_EQ(fields[5], 1);
    PositionRecord back;
    ASSERT_TRUE(ReadPosition(s.root(), &back));
    EXPECT_EQ(back.specY, 80);

    s.Sub(kIniKey).WriteBinary("Position", raw.data(), 20);
    EXPECT_FALSE(ReadPosition(s.root(), &back));
}

namespace {
const RECT kWork{0, 0, 1024, 740};
const SIZE kWin{640, 480};
}  // namespace

// A work area away from the screen's origin, so that an edge taken from the
// wrong side or a size taken from the other axis shows.
namespace {
const RECT kOffsetWork{100, 50, 1124, 790};
// Kept inside, from the exit position (mode 1) or the specified one (2).
POINT StartAt(int32_t mode, int32_t x, int32_t y) {
    PositionRecord rec{mode, 0, 0, 0, 0, 1};
    (mode == 1 ? rec.exitX : rec.specX) = x;
    (mode == 1 ? rec.exitY : rec.specY) = y;
    return StartPosition(rec, kOffsetWork, kWin);
}
}  // namespace

TEST(StartPosition, RightAndBottomEdgesPullBackExactly) {
    for (int32_t mode : {1, 2}) {
        auto at = [&](int32_t x, int32_t y) { return StartAt(mode, x, y); };
        // Flush with the right and bottom edges: stays.
        POINT p = at(1124 - 640, 790 - 480);
        EXPECT_EQ(p.x, 484) << mode;
        EXPECT_EQ(p.y, 310) << mode;
        // One pixel past: pulled back to the edge.
        p = at(1124 - 640 + 1, 790 - 480 + 1);
        EXPECT_EQ(p.x, 484) << mode;
        EXPECT_EQ(p.y, 310) << mode;
        p = at(5000, 300);
        EXPECT_EQ(p.x, 484) << mode;
        EXPECT_EQ(p.y, 300) << mode;
        p = at(200, 5000);
        EXPECT_EQ(p.x, 200) << mode;
        EXPECT_EQ(p.y, 310) << mode;
    }
}

TEST(StartPosition, LeftAndTopEdgesPullExactlyAndTheCornerGetsOnePixel) {
    for (int32_t mode : {1, 2}) {
        auto at = [&](int32_t x, int32_t y) { return StartAt(mode, x, y); };
        POINT p = at(99, 200);  // one pixel left of the work area
        EXPECT_EQ(p.x, 100) << mode;
        EXPECT_EQ(p.y, 200) << mode;
        p = at(300, 49);  // one pixel above
        EXPECT_EQ(p.x, 300) << mode;
        EXPECT_EQ(p.y, 50) << mode;
        p = at(100, 50);  // the corner itself: one pixel right of it
        EXPECT_EQ(p.x, 101) << mode;
        EXPECT_EQ(p.y, 50) << mode;
        p = at(100, 51);  // on the left edge only: kept
        EXPECT_EQ(p.x, 100) << mode;
        EXPECT_EQ(p.y, 51) << mode;
        // Pulled into the corner from outside: one pixel right of it.
        p = at(-4000, -4000);
        EXPECT_EQ(p.x, 101) << mode;
        EXPECT_EQ(p.y, 50) << mode;
        p = at(100, -1);
        EXPECT_EQ(p.x, 101) << mode;
        EXPECT_EQ(p.y, 50) << mode;
        p = at(99, 50);
        EXPECT_EQ(p.x, 101) << mode;
        EXPECT_EQ(p.y, 50) << mode;
    }
    // A window exactly as wide as the work area, pulled from the right, lands
    // on the left edge: the corner rule applies there too.
    PositionRecord rec{2, 0, 0, 700, 10, 1};
    POINT p = StartPosition(rec, kOffsetWork, SIZE{1024, 480});
    EXPECT_EQ(p.x, 101);
    EXPECT_EQ(p.y, 50);
}

TEST(StartPosition, PositionsNearTheIntegerLimitArePulledInside) {
    const int32_t big = 0x7FFFFFFF, nearBig = 0x7FFFFFFF - 100;
    for (int32_t mode : {1, 2}) {
        PositionRecord rec{mode, big, nearBig, big, nearBig, 1};
        POINT p = StartPosition(rec, kOffsetWork, kWin);
        EXPECT_EQ(p.x, 484) << mode;
        EXPECT_EQ(p.y, 310) << mode;
        rec = PositionRecord{mode, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, 1};
        p = StartPosition(rec, kOffsetWork, kWin);
        EXPECT_EQ(p.x, 101) << mode;
        EXPECT_EQ(p.y, 50) << mode;
    }
    // Without keep-inside the stored position stands.
    PositionRecord rec{2, 0, 0, big, nearBig, 0};
    POINT p = StartPosition(rec, kOffsetWork, kWin);
    EXPECT_EQ(p.x, big);
    EXPECT_EQ(p.y, nearBig);
}

TEST(StartPosition, ModeOneUsesExitPosition) {
    PositionRecord rec{1, 100, 50, 0, 0, 0};
    POINT p = StartPosition(rec, kWork, kWin);
    EXPECT_EQ(p.x, 100);
    EXPECT_EQ(p.y, 50);
    // Without keep-inside an off-screen exit position stays off-screen.
    rec.exitX = -300;
    EXPECT_EQ(StartPosition(rec, kWork, kWin).x, -300);
}

TEST(StartPosition, MinimisedExitPositionIsPulledInsideAnyway) {
    PositionRecord rec{1, 3000, 3000, 0, 0, 0};
    POINT p = StartPosition(rec, kWork, kWin);
    EXPECT_EQ(p.x, 1024 - 640);
    EXPECT_EQ(p.y, 740 - 480);
}

TEST(StartPosition, KeepInsideClampsEachEdge) {
    PositionRecord rec{2, 0, 0, -10, -20, 1};
    POINT p = StartPosition(rec, kWork, kWin);
    // Clamped to the corner, then one pixel right of it.
    EXPECT_EQ(p.x, 1);
    EXPECT_EQ(p.y, 0);
    rec.specX = 900;
    rec.specY = 600;
    p = StartPosition(rec, kWork, kWin);
    EXPECT_EQ(p.x, 384);
    EXPECT_EQ(p.y, 260);
}

TEST(StartPosition, SpecifiedCornerMovesOnePixelRightEitherWay) {
    RECT work{10, 20, 1024, 740};
    PositionRecord rec{2, 0, 0, 10, 20, 0};
    EXPECT_EQ(StartPosition(rec, work, kWin).x, 11);
    rec.keepInside = 1;
    EXPECT_EQ(StartPosition(rec, work, kWin).x, 11);
}

TEST(StartPosition, WideWindowGoesLeftOfWorkAreaOnlyFromTheRight) {
    SIZE wide{1200, 300};
    PositionRecord rec{2, 0, 0, 50, 100, 1};
    EXPECT_EQ(StartPosition(rec, kWork, wide).x, 1024 - 1200);
    rec.specX = -5;  // below work left: clamped to the left edge only
    EXPECT_EQ(StartPosition(rec, kWork, wide).x, 0);
}

TEST(ExitRecord, KeepsStoredFieldsOrStartsFresh) {
    RECT win{3000, 3000, 3160, 3030};
    PositionRecord stored{2, 1, 1, 44, 55, 1};
    PositionRecord r = ExitRecord(true, stored, win);
    EXPECT_EQ(r.mode, 2);
    EXPECT_EQ(r.exitX, 3000);
    EXPECT_EQ(r.exitY, 3000);
    EXPECT_EQ(r.specX, 44);
    EXPECT_EQ(r.keepInside, 1);
    r = ExitRecord(false, stored, RECT{12, 34, 100, 100});
    EXPECT_EQ(r.mode, 0);
    EXPECT_EQ(r.specX, 12);
    EXPECT_EQ(r.specY, 34);
    EXPECT_EQ(r.exitX, 12);
    EXPECT_EQ(r.keepInside, 0);
}
