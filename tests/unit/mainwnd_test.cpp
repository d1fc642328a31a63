#include <gtest/gtest.h>

#include "app/clock.h"
#include "mainwnd/version.h"
#include "res/resource.h"
#include "widgets/positiondlg.h"

TEST(AboutVersion, MinorIsTwoDigitsAtLeast) {
    EXPECT_EQ(FormatAboutVersion(settings::Version{0x00010000, 0}), "ZELBR ﾊﾞｰｼﾞｮﾝ 1.00");
    EXPECT_EQ(FormatAboutVersion(settings::Version{0x00010005, 0}), "ZELBR ﾊﾞｰｼﾞｮﾝ 1.05");
    EXPECT_EQ(FormatAboutVersion(settings::Version{0x0001007B, 0}), "ZELBR ﾊﾞｰｼﾞｮﾝ 1.123");
    EXPECT_EQ(FormatAboutVersion(settings::Version{}), "ZELBR ﾊﾞｰｼﾞｮﾝ 0.00");
}

TEST(ExeVersion, ReadsOwnResourceAndReportsMissingOne) {
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, sizeof path);
    settings::Version file, product;
    ASSERT_EQ(ReadExeVersion(path, &file, &product), VersionRead::kOk);
    EXPECT_EQ(file.ms, static_cast<DWORD>(MAKELONG(ZELBR_VER_MINOR, ZELBR_VER_MAJOR)));
    EXPECT_EQ(file.ls, static_cast<DWORD>(MAKELONG(ZELBR_VER_REV, ZELBR_VER_BUILD)));
    EXPECT_EQ(ReadExeVersion("C:\\no\\such\\file.exe", &file, &product), VersionRead::kMissing);
    EXPECT_EQ(file.ms, 0u);
    EXPECT_EQ(product.ms, 0u);
}

TEST(Clock, MultimediaTimerBoundsAreExclusive) {
    EXPECT_FALSE(MultimediaTimerPlausible(190));
    EXPECT_TRUE(MultimediaTimerPlausible(191));
    EXPECT_TRUE(MultimediaTimerPlausible(299));
    EXPECT_FALSE(MultimediaTimerPlausible(300));
    EXPECT_FALSE(MultimediaTimerPlausible(0xFFFFFFF0u));  // wrapped backwards
}

TEST(Clock, SecondReadingCountsOnlyAfterMoreThan200Ticks) {
    CalibratedClock c;
    c.Begin(1000, 5000);
    EXPECT_FALSE(c.Sample(1250, 5200));
    EXPECT_FALSE(c.Calibrated());
    EXPECT_FALSE(c.UseMultimediaTimer()) << "the tick count until the second reading";
    EXPECT_TRUE(c.Sample(1250, 5201));
    EXPECT_TRUE(c.Calibrated());
    EXPECT_TRUE(c.UseMultimediaTimer());
    EXPECT_TRUE(c.Sample(1000, 9000));  // decided once
    EXPECT_TRUE(c.UseMultimediaTimer());

    const DWORD advance[][2] = {{190, 0}, {191, 1}, {299, 1}, {300, 0}};
    for (const auto& a : advance) {
        c.Begin(0, 0);
        ASSERT_TRUE(c.Sample(a[0], 201));
        EXPECT_EQ(c.UseMultimediaTimer(), a[1] != 0) << a[0];
    }
    // Both counters wrapping between the readings.
    c.Begin(0xFFFFFFA0u, 0xFFFFFF80u);
    EXPECT_FALSE(c.Sample(0x00000040u, 0x00000048u));
    ASSERT_TRUE(c.Sample(0x0000009Au, 0x00000049u));  // 250 and 201 ms
    EXPECT_TRUE(c.UseMultimediaTimer());
}

TEST(Clock, SecondReadingComesFromTheMessageLoop) {
    CalibratedClock c;
    c.Start();
    EXPECT_FALSE(c.Calibrated()) << "start-up must not wait for the calibration";
    EXPECT_FALSE(c.UseMultimediaTimer());
    DWORD start = GetTickCount();
    while (!c.Calibrated() && GetTickCount() - start < 10000) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG m;
        while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
    }
    EXPECT_TRUE(c.Calibrated());
}

TEST(PositionChoice, WithoutRecordCentresInWorkArea) {
    settings::PositionRecord rec;
    PositionChoice c = InitialPositionChoice(false, rec, RECT{0, 0, 1024, 741}, SIZE{641, 481});
    EXPECT_EQ(c.mode, 0);
    EXPECT_EQ(c.keepInside, 0);
    EXPECT_EQ(c.x, 512 - 320);
    EXPECT_EQ(c.y, 370 - 240);
}

TEST(PositionChoice, StoredModeOutOfRangeShowsCentreAndKeepInsidePulls) {
    settings::PositionRecord rec{7, 0, 0, -50, 900, 1};
    PositionChoice c = InitialPositionChoice(true, rec, RECT{0, 0, 1024, 740}, SIZE{640, 480});
    EXPECT_EQ(c.mode, 0);
    EXPECT_EQ(c.x, 0);
    EXPECT_EQ(c.y, 260);
    rec = settings::PositionRecord{2, 0, 0, -50, 900, 0};
    c = InitialPositionChoice(true, rec, RECT{0, 0, 1024, 740}, SIZE{640, 480});
    EXPECT_EQ(c.mode, 2);
    EXPECT_EQ(c.x, -50);
    EXPECT_EQ(c.y, 900);
}
