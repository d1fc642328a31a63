// A build of the program whose file version (3.4.0.7) differs from its
// product version (2.6.0.9): each goes to its own record.
#include "../../res/resource.h"
#include "zelbr_fixture.h"

using namespace zelbr;

TEST_F(ZelbrTest, FileVersionAndProductVersionAreRecordedApart) {
    ASSERT_TRUE(gui::CopyInto(dir_, TestBinDir() + "ZELBRVER.EXE", "ZELBR.EXE"));
    MarkNotFirstStart();
    HWND main = StartMain();
    ASSERT_TRUE(main);
    // Most significant word first, each little-endian.
    EXPECT_EQ(Value(kIni, "Version"), (std::vector<uint8_t>{4, 0, 3, 0, 7, 0, 0, 0}));
    EXPECT_EQ(Value(kProduct, "Version"), (std::vector<uint8_t>{6, 0, 2, 0, 9, 0, 0, 0}));

    ASSERT_TRUE(gui::Click(main, IDC_ABOUT));
    HWND about = WaitDialog("クロノランのバージョン情報");
    ASSERT_TRUE(about);
    EXPECT_EQ(gui::ControlText(about, IDC_ABOUT_VERSION), "ZELBR ﾊﾞｰｼﾞｮﾝ 2.06");
    gui::Click(about, IDOK);
    EXPECT_TRUE(gui::WaitGone(about));
    CloseMain(main);
}
