// The main window's placement in both display modes, for every control of
// the template, written out here from the layout's own tables (numbers,
// not the resource header's names, so a wrong id shows too).
#include "mainwnd/layout.h"

#include <gtest/gtest.h>

namespace {

struct Place {
    int id;
    POINT mode1, mode0;
};

const POINT kAway = {800, 600};

const Place kTools[] = {
    {1021, {3, 2}, {3, 2}},     {1022, {33, 2}, {155, 2}},    {1023, {72, 2}, kAway},
    {1024, {111, 2}, {307, 2}}, {1025, {141, 2}, {3, 30}},    {1026, {171, 2}, {155, 30}},
    {1027, {210, 2}, {307, 30}}, {1028, {240, 2}, {3, 58}},   {1029, {270, 2}, {155, 58}},
    {1116, {300, 2}, {307, 58}}, {57670, {339, 2}, {3, 86}},  {1031, {369, 2}, {155, 86}},
    {1, {408, 2}, {307, 86}},
};

const Place kStatics[] = {
    {1042, {3, 429}, kAway},   {1069, {48, 66}, kAway},   {1070, {240, 66}, kAway},
    {1071, {84, 89}, kAway},   {1072, {243, 89}, kAway},  {1073, {48, 113}, kAway},
    {1074, {9, 158}, kAway},   {1075, {65, 182}, kAway},  {1076, {9, 225}, kAway},
    {1077, {75, 249}, kAway},  {1078, {236, 249}, kAway}, {1079, {9, 294}, kAway},
    {1080, {9, 341}, kAway},   {1081, {56, 368}, kAway},  {1144, {544, 5}, kAway},
};

// Rows 0-10: item button, score display, level display.
struct Column {
    int firstId, x1, x0;
};
const Column kColumns[] = {{1008, 318, 8}, {1044, 380, 210}, {1055, 464, 294}};

int Row0Top(int k, int m) { return k <= m ? 120 + 35 * k : 120 + 35 * k + 100; }

::testing::AssertionResult PlacedAt(int id, int mode, int m, POINT want) {
    POINT got{-1, -1};
    if (!layout::ControlOrigin(id, mode, m, &got))
        return ::testing::AssertionFailure() << "id " << id << " mode " << mode << " not placed";
    if (got.x != want.x || got.y != want.y)
        return ::testing::AssertionFailure() << "id " << id << " mode " << mode << " items " << m << ": ("
                                             << got.x << ", " << got.y << ") instead of (" << want.x << ", "
                                             << want.y << ")";
    return ::testing::AssertionSuccess();
}

}  // namespace

TEST(LayoutTables, ToolButtonsAndStaticsInBothModes) {
    for (int m = 0; m <= 10; ++m) {
        for (const Place& p : kTools) {
            EXPECT_TRUE(PlacedAt(p.id, 1, m, p.mode1));
            EXPECT_TRUE(PlacedAt(p.id, 0, m, p.mode0));
        }
        for (const Place& p : kStatics) {
            EXPECT_TRUE(PlacedAt(p.id, 1, m, p.mode1));
            EXPECT_TRUE(PlacedAt(p.id, 0, m, p.mode0));
        }
    }
}

TEST(LayoutTables, EveryRowForEveryItemCount) {
    for (int m = 0; m <= 10; ++m) {
        for (const Column& c : kColumns) {
            for (int k = 0; k <= 10; ++k) {
                EXPECT_TRUE(PlacedAt(c.firstId + k, 1, m, POINT{c.x1, 36 + 35 * k}));
                EXPECT_TRUE(PlacedAt(c.firstId + k, 0, m, POINT{c.x0, Row0Top(k, m)}));
            }
        }
    }
}

TEST(LayoutTables, ClientSizes) {
    for (int m = 0; m <= 10; ++m) {
        SIZE s1 = layout::ClientSize(1, m);
        EXPECT_EQ(s1.cx, 633);
        EXPECT_EQ(s1.cy, 455);
        SIZE s0 = layout::ClientSize(0, m);
        EXPECT_EQ(s0.cx, 462) << m;
        EXPECT_EQ(s0.cy, 160 + 35 * m) << m;
    }
}

TEST(LayoutTables, IdsOutsideTheTemplateAreNotPlaced) {
    POINT p;
    for (int id : {0, 2, 9, 1007, 1019, 1020, 1030, 1043, 1066, 1068, 1082, 1115, 1117, 1143, 1145, 57669, 57671})
        for (int mode : {0, 1}) EXPECT_FALSE(layout::ControlOrigin(id, mode, 10, &p)) << id << " mode " << mode;
}
