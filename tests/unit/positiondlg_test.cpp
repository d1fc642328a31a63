#include "widgets/positiondlg.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {
const RECT kWork{100, 50, 1124, 790};
const SIZE kWin{640, 480};
}  // namespace

TEST(PositionChoice, KeepInsidePullsEachEdgeExactly) {
    settings::PositionRecord rec{2, 0, 0, 99, 49, 1};
    PositionChoice c = InitialPositionChoice(true, rec, kWork, kWin);
    EXPECT_EQ(c.x, 100);
    EXPECT_EQ(c.y, 50);  // no corner pixel here: that is the start-up's rule
    rec.specX = 1124 - 640;
    rec.specY = 790 - 480;
    c = InitialPositionChoice(true, rec, kWork, kWin);
    EXPECT_EQ(c.x, 484);
    EXPECT_EQ(c.y, 310);
    rec.specX = 1124 - 640 + 1;
    rec.specY = 790 - 480 + 1;
    c = InitialPositionChoice(true, rec, kWork, kWin);
    EXPECT_EQ(c.x, 484);
    EXPECT_EQ(c.y, 310);
}

TEST(PositionChoice, PositionsNearTheIntegerLimitArePulledInside) {
    settings::PositionRecord rec{2, 0, 0, 0x7FFFFFFF, 0x7FFFFFFF - 100, 1};
    PositionChoice c = InitialPositionChoice(true, rec, kWork, kWin);
    EXPECT_EQ(c.x, 484);
    EXPECT_EQ(c.y, 310);
    rec.keepInside = 0;
    c = InitialPositionChoice(true, rec, kWork, kWin);
    EXPECT_EQ(c.x, 0x7FFFFFFF);
}

namespace {
const PositionChoice kOpened{1, 300, 200, 0};
}  // namespace

TEST(PositionSave, NothingChangedWritesNothing) {
    PositionChoice shown = kOpened;
    EXPECT_FALSE(PositionSaveWrites(&shown, kOpened));
    EXPECT_EQ(shown.mode, 1);
    EXPECT_EQ(shown.keepInside, 0);
}

TEST(PositionSave, EachFieldOnItsOwnWrites) {
    PositionChoice shown = kOpened;
    EXPECT_TRUE(PositionSaveWrites(&shown, PositionChoice{2, 300, 200, 0})) << "mode";
    shown = kOpened;
    EXPECT_TRUE(PositionSaveWrites(&shown, PositionChoice{1, 301, 200, 0})) << "x";
    shown = kOpened;
    EXPECT_TRUE(PositionSaveWrites(&shown, PositionChoice{1, 300, 199, 0})) << "y";
    shown = kOpened;
    EXPECT_TRUE(PositionSaveWrites(&shown, PositionChoice{1, 300, 200, 1})) << "keep inside";
}

TEST(PositionSave, ModeAndFlagCompareWithTheLastSave) {
    PositionChoice shown = kOpened;
    ASSERT_TRUE(PositionSaveWrites(&shown, PositionChoice{0, 300, 200, 1}));
    EXPECT_EQ(shown.mode, 0);
    EXPECT_EQ(shown.keepInside, 1);
    // Saved once: the same again is nothing new.
    EXPECT_FALSE(PositionSaveWrites(&shown, PositionChoice{0, 300, 200, 1}));
    // Back to what the dialog opened with is a change again.
    EXPECT_TRUE(PositionSaveWrites(&shown, kOpened));
}

TEST(PositionSave, CoordinatesCompareWithWhatTheDialogOpenedWith) {
    PositionChoice shown = kOpened;
    ASSERT_TRUE(PositionSaveWrites(&shown, PositionChoice{1, 450, 200, 0}));
    EXPECT_EQ(shown.x, 300) << "a save does not move the opened coordinates";
    EXPECT_TRUE(PositionSaveWrites(&shown, PositionChoice{1, 450, 200, 0}));
    EXPECT_TRUE(PositionSaveWrites(&shown, PositionChoice{1, 300, 260, 0}));
    EXPECT_FALSE(PositionSaveWrites(&shown, kOpened));
}
