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
    AddItems({"ALPHA", "BETA"});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    EXPECT_EQ(ClientHeight(main), 160 + 2 * 35);
    const std::string set = dir_ + "my items.reg";  // a space in the name
    ChooseFile(main, IDC_SAVEITEM, "測定項目の保存", set);
    const std::string m = std::string("[HKEY_CURRENT_USER\\") + kRoot + "\\Measure";
    // Opened by the deletion of the catalogue: loading it replaces, here and in regedit.
    EXPECT_TRUE(gui::WaitFor(
        [&] { return ReadFileBytes(set).rfind("REGEDIT4\r\n\r\n[-" + m.substr(1) + "]\r\n" + m + "]\r\n", 0) == 0; },
        5000))
        << ReadFileBytes(set);
    EXPECT_NE(ReadFileBytes(set).find(m + "\\0001]\r\n\"File\"=\"BETA.BNC\"\r\n\"Select\"=dword:00000001\r\n"),
              std::string::npos);

    // A set that takes the second item away: the window shrinks to one row.
    const std::string smaller = dir_ + "smaller.reg";
    WriteFileBytes(smaller, "REGEDIT4\r\n\r\n[-" + m.substr(1) + "\\0001]\r\n\r\n");
    ChooseFile(main, IDC_LOADITEM, "測定項目の呼び出し", smaller);
    std::string done = AnswerBox();
    EXPECT_NE(done.find("測定項目を呼び出しました"), std::string::npos) << "a load that succeeds says so: " << done;
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
    EXPECT_NE(AnswerBox().find("測定項目を呼び出しました"), std::string::npos);
    EXPECT_TRUE(gui::WaitFor([&] { return ClientHeight(main) == 160 + 2 * 35; }, 5000))
        << "the window grows back to two rows";
    EXPECT_TRUE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST + 2));
    std::string file;
    EXPECT_TRUE(gui::RegReadString(std::string(kRoot) + "\\Measure\\0001", "File", &file));
    EXPECT_EQ(file, "BETA.BNC");
    CloseMain(main);
}

// Two sets loaded in a row: the second replaces the first, no item of the
// first stays on a button. A cut, an oversize and an unwritable file are
// each refused with what is wrong.
TEST_F(ItemSetTest, ASecondLoadReplacesTheFirstAndBadFilesSayWhy) {
    MarkNotFirstStart();
    for (const char* base : {"ALPHA", "BETA", "GAMMA"}) AddModule(base);
    AddCatalogue(0, "ALPHA.BNC");
    HWND main = StartMain();
    ASSERT_TRUE(main);
    const std::string m = std::string("HKEY_CURRENT_USER\\") + kRoot + "\\Measure";
    const std::string first = dir_ + "first.reg", second = dir_ + "second.reg";
    WriteFileBytes(first, "REGEDIT4\r\n\r\n[-" + m + "]\r\n[" + m + "\\0000]\r\n\"File\"=\"BETA.BNC\"\r\n"
                          "\"Select\"=dword:00000001\r\n[" + m + "\\0001]\r\n\"File\"=\"GAMMA.BNC\"\r\n"
                          "\"Select\"=dword:00000001\r\n[" + m + "\\0002]\r\n\"File\"=\"ALPHA.BNC\"\r\n"
                          "\"Select\"=dword:00000001\r\n\r\n");
    WriteFileBytes(second, "REGEDIT4\r\n\r\n[-" + m + "]\r\n[" + m + "\\0000]\r\n\"File\"=\"GAMMA.BNC\"\r\n"
                           "\"Select\"=dword:00000001\r\n\r\n");
    ChooseFile(main, IDC_LOADITEM, "測定項目の呼び出し", first);
    HWND notice = gui::WaitMessageBox(program_.pid, 15000);
    ASSERT_TRUE(notice);
    SaveShot(notice, "itemset_loaded");
    EXPECT_NE(AnswerBox().find("呼び出しました"), std::string::npos);
    EXPECT_TRUE(gui::WaitFor([&] { return ClientHeight(main) == 160 + 3 * 35; }, 5000));
    ChooseFile(main, IDC_LOADITEM, "測定項目の呼び出し", second);
    EXPECT_NE(AnswerBox().find("呼び出しました"), std::string::npos);
    EXPECT_TRUE(gui::WaitFor([&] { return ClientHeight(main) == 160 + 35; }, 5000)) << "one item, one row";
    EXPECT_FALSE(gui::IsControlEnabled(main, IDC_ITEMBTN_FIRST + 2));
    EXPECT_FALSE(gui::RegKeyExists(std::string(kRoot) + "\\Measure\\0001"));
    EXPECT_FALSE(gui::RegKeyExists(std::string(kRoot) + "\\Measure\\0002"));

    // Cut inside a value: refused at its line, nothing changed.
    const std::string cut = dir_ + "cut.reg";
    const std::string whole = ReadFileBytes(first);
    WriteFileBytes(cut, whole.substr(0, whole.find("dword:0000", whole.find("ALPHA")) + 10));
    ChooseFile(main, IDC_LOADITEM, "測定項目の呼び出し", cut);
    std::string message = AnswerBox();
    EXPECT_NE(message.find("途中で切れています"), std::string::npos) << message;
    EXPECT_NE(message.find("(12 行目)"), std::string::npos) << message;
    EXPECT_FALSE(gui::RegKeyExists(std::string(kRoot) + "\\Measure\\0001")) << "the cut file was applied";

    // Over the size cap: it says so.
    const std::string big = dir_ + "big.reg";
    WriteFileBytes(big, "REGEDIT4\r\n" + std::string(1100000, ';') + "\r\n");
    ChooseFile(main, IDC_LOADITEM, "測定項目の呼び出し", big);
    message = AnswerBox();
    EXPECT_NE(message.find("大きすぎます"), std::string::npos) << message;

    // A save whose file cannot be written: the overwrite question, then the failure.
    const std::string locked = dir_ + "locked.reg";
    WriteFileBytes(locked, "x");
    HANDLE hold = CreateFileA(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(hold, INVALID_HANDLE_VALUE);
    HWND dlg = OpenDialog(main, IDC_SAVEITEM, "測定項目の保存");
    ASSERT_TRUE(dlg);
    AnswerFileDialog(dlg, locked);
    AnswerBox(IDYES);  // replace it?
    ASSERT_TRUE(gui::WaitGone(dlg));
    message = AnswerBox();
    CloseHandle(hold);
    EXPECT_NE(message.find("に保存できませんでした"), std::string::npos) << message;
    EXPECT_EQ(ReadFileBytes(locked), "x");
    CloseMain(main);
}
