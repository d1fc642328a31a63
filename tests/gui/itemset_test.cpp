// Saving and loading item sets through the main window's file dialogs.
#include "../../res/resource.h"
#include "zelbr_fixture.h"

using namespace zelbr;


class ItemSetTest : public ZelbrTest {
protected:
    // Presses a tool button and answers its file dialog with path.
    void ChooseFile(HWND main, int tool, const char* caption, const std::string& path) {
        HWND dlg = OpenDialog(main, tool, caption);
        ASSERT_TRUE(dlg) << caption;
        AnswerFileDialog(dlg, path);
        ASSERT_TRUE(gui::WaitGone(dlg));
    }
    int ClientHeight(HWND main) {
        RECT r;
        GetClientRect(main, &r);
        return r.bottom;
    }
};

TEST_F(ItemSetTest, SavedSetComesBackAndAForeignFileChangesNothing) {
    MarkNotFirstStart();
    AddModule("ALPHA");
    AddModule("BETA");
    AddCatalogue(0, "ALPHA.BNC");
    AddCatalogue(1, "BETA.BNC");
    HWND main = StartMain();
    ASSERT_TRUE(main);
    EXPECT_EQ(ClientHeight(main), 160 + 2 * 35);
    const std::string set = dir_ + "my items.reg";  // a space in the name
    ChooseFile(main, IDC_SAVEITEM, "測定項目の保存", set);
    const std::string m = std::string("[HKEY_CURRENT_USER\\") + kRoot + "\\Measure";
    EXPECT_TRUE(gui::WaitFor([&] { return ReadFileBytes(set).rfind("REGEDIT4\r\n\r\n" + m + "]\r\n", 0) == 0; }, 5000))
        << ReadFileBytes(set);
    EXPECT_NE(ReadFileBytes(set).find(m + "\\0001]\r\n\"File\"=\"BETA.BNC\"\r\n\"Select\"=dword:00000001\r\n"),
              std::string::npos);

    // A set that takes the second item away: the window shrinks to one row.
    const std::string smaller = dir_ + "smaller.reg";
    WriteFileBytes(smaller, "REGEDIT4\r\n\r\n[-" + m.substr(1) + "\\0001]\r\n");
    ChooseFile(main, IDC_LOADITEM, "測定項目の呼び出し", smaller);
    EXPECT_TRUE(gui::WaitFor([&] { return ClientHeight(main) == 160 + 35; }, 5000));
    EXPECT_FALSE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST + 2));

    const std::string foreign = dir_ + "foreign.reg";
    WriteFileBytes(foreign, "REGEDIT4\r\n\r\n" + m + "\\0005]\r\n\"File\"=\"ALPHA.BNC\"\r\n\r\n"
                      "[HKEY_CURRENT_USER\\" + kRoot + "\\Ini\\zelBr]\r\n\"Precision\"=dword:00000009\r\n");
    ChooseFile(main, IDC_LOADITEM, "測定項目の呼び出し", foreign);
    std::string message = AnswerBox();
    EXPECT_NE(message.find("読み込みませんでした"), std::string::npos) << message;
    EXPECT_NE(message.find("6 行目"), std::string::npos) << message;
    EXPECT_FALSE(gui::RegKeyExists(std::string(kRoot) + "\\Measure\\0005")) << "nothing of it was applied";
    DWORD precision = 0;
    gui::RegReadDword(kIni, "Precision", &precision);
    EXPECT_EQ(precision, 1u);

    EXPECT_EQ(ClientHeight(main), 160 + 35);

    // The saved set brings the second item back.
    ChooseFile(main, IDC_LOADITEM, "測定項目の呼び出し", set);
    EXPECT_TRUE(gui::WaitFor([&] { return ClientHeight(main) == 160 + 2 * 35; }, 5000))
        << "the window grows back to two rows";
    EXPECT_TRUE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST + 2));
    std::string file;
    EXPECT_TRUE(gui::RegReadString(std::string(kRoot) + "\\Measure\\0001", "File", &file));
    EXPECT_EQ(file, "BETA.BNC");
    CloseMain(main);
}
