// The result report, through the clipboard and the text file, byte for byte.
#include "../../res/resource.h"
#include "zelbr_fixture.h"

using namespace zelbr;

namespace {

// The clipboard's text, up to its first zero byte; *terminated tells whether
// a zero byte follows it inside the block.
bool ClipboardText(std::string* text, bool* terminated = nullptr) {
    if (!OpenClipboard(nullptr)) return false;
    HANDLE h = GetClipboardData(CF_TEXT);
    bool ok = false;
    if (h) {
        const char* p = static_cast<const char*>(GlobalLock(h));
        SIZE_T size = GlobalSize(h);
        if (p) {
            size_t n = strnlen(p, size);
            *text = std::string(p, n);
            if (terminated) *terminated = n < size;
            GlobalUnlock(h);
            ok = true;
        }
    }
    CloseClipboard();
    return ok;
}

void PutOnClipboard(const std::string& text) {
    if (!OpenClipboard(nullptr)) return;
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
    std::memcpy(GlobalLock(h), text.c_str(), text.size() + 1);
    GlobalUnlock(h);
    SetClipboardData(CF_TEXT, h);
    CloseClipboard();
}

// A valid one-run result: the module took `value` against a reference of 1000.
void StoreResult(const std::string& base, uint32_t value) {
    uint32_t rec[14] = {1, 1000, value};
    rec[12] = value;
    rec[13] = 1 + 1000 + value + value;
    gui::RegWriteBinary(std::string(kRoot) + "\\Bench\\" + base, "Result", Bytes(rec, sizeof rec));
}


}  // namespace

class ReportTest : public ZelbrTest {
protected:
    // Presses the copy button and waits for the clipboard to change.
    std::string Copy(HWND main) {
        PutOnClipboard("before");
        EXPECT_TRUE(gui::Click(main, IDC_CLIPCOPY));
        std::string text;
        gui::WaitFor([&] { return ClipboardText(&text) && text != "before"; }, 5000);
        return text;
    }
};

TEST_F(ReportTest, ResultsListSelectedItemsInCatalogueOrderWithTheirScores) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x06});  // no clipboard question, display mode 0
    AddModule("ALPHA");
    AddModule("BETA");
    AddModule("GAMMA");
    AddCatalogue(0, "BETA.BNC");
    AddCatalogue(1, "ALPHA.BNC");
    AddCatalogue(2, "GAMMA.BNC", 0);  // not selected
    StoreResult("ALPHA", 800);        // 12500 points
    // BETA has no result.
    HWND main = StartMain();
    ASSERT_TRUE(main);
    std::string text;
    bool terminated = false;
    std::string copied = Copy(main);
    ASSERT_TRUE(ClipboardText(&text, &terminated));
    // The test module's description: "テスト項目", version 1.00.
    const std::string expected =
        "測定結果\r\n"
        "全項目の測定(Version 1.00)\t12500\t点\r\n"
        "テスト項目(Version 1.00)\t未測定\r\n"
        "テスト項目(Version 1.00)\t12500\t点\r\n"
        "\r\n";
    EXPECT_EQ(copied, expected);
    EXPECT_TRUE(terminated) << "the clipboard text ends in a zero byte";

    // Saved as a text file: the same bytes, nothing added.
    const std::string path = dir_ + "report.txt";
    HWND dlg = OpenDialog(main, IDC_SAVETEXT, "ﾃｷｽﾄﾌｧｲﾙで保存");
    ASSERT_TRUE(dlg);
    SaveShot(dlg, "save_text");
    AnswerFileDialog(dlg, path);
    ASSERT_TRUE(gui::WaitGone(dlg));
    EXPECT_TRUE(gui::WaitFor([&] { return ReadFileBytes(path) == expected; }, 5000)) << ReadFileBytes(path);
    CloseMain(main);
}

TEST_F(ReportTest, SystemSectionInItsModeAndAShorterReportLeavesNothingBehind) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x0E});  // no question, display mode 1
    gui::RegWriteString(std::string(kRoot) + "\\System", "Comment", "一行目\r\n二行目");
    gui::RegWriteString(std::string(kRoot) + "\\System", "Clock", "200");
    HWND main = StartMain();
    ASSERT_TRUE(main);
    std::string text = Copy(main);
    auto value = [&](int field) { return gui::ControlText(main, IDC_SYSINFO_FIRST + field); };
    const std::string system = "システム情報\r\n"
                               "CPU:\t" + value(0) + "\r\n"
                               "CPUｸﾛｯｸ:\t200 MHz\r\n"
                               "L1ｷｬｯｼｭ:\t" + value(2) + " KB\r\n"
                               "L2ｷｬｯｼｭ:\t" + value(3) + " KB\r\n"
                               "ﾒﾓﾘ:\t" + value(4) + " KB\r\n"
                               "ﾃﾞｨｽｸ ｺﾝﾄﾛｰﾗ:\t" + value(5) + "\r\n"
                               "ﾃﾞｨｽｸ:\t" + value(6) + "\r\n"
                               "ｸﾞﾗﾌｨｯｸ ｶｰﾄﾞ:\t" + value(7) + "\r\n"
                               "解像度:\t" + value(8) + "\r\n"
                               "色数:\t" + value(9) + "\r\n"
                               "ﾈｯﾄﾜｰｸ ｶｰﾄﾞ:\t" + value(10) + "\r\n"
                               "ｻｳﾝﾄﾞ ｶｰﾄﾞ:\t" + value(11) + "\r\n"
                               "ｺﾒﾝﾄ:\r\n"
                               "一行目\r\n二行目\r\n"
                               "\r\n";
    // No item selected: two result lines and the closing empty line.
    const std::string results = "測定結果\r\n全項目の測定(Version 1.00)\t未測定\r\n\r\n";
    EXPECT_EQ(text, system + results);

    // Normal display: the results alone, none of the longer report left.
    gui::RegWriteBinary(kIni, "Flag", {0x06});
    ASSERT_TRUE(gui::Click(main, IDC_SELDISP));
    HWND dlg = WaitDialog("表示モードの選択");
    ASSERT_TRUE(dlg);
    gui::Click(dlg, IDC_DISP_NORMAL);
    gui::WaitFor([&] { return gui::CheckState(dlg, IDC_DISP_NORMAL) == BST_CHECKED; }, 3000);
    gui::Click(dlg, IDOK);
    ASSERT_TRUE(gui::WaitGone(dlg));
    EXPECT_EQ(Copy(main), results);
    CloseMain(main);
}

TEST_F(ReportTest, DecliningTheQuestionLeavesTheClipboardAndAFailedSaveIsSaid) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x07});  // ask before copying
    HWND main = StartMain();
    ASSERT_TRUE(main);
    PutOnClipboard("keep me");
    ASSERT_TRUE(gui::Click(main, IDC_CLIPCOPY));
    HWND box = gui::WaitMessageBox(program_.pid);
    ASSERT_TRUE(box);
    EXPECT_EQ(gui::MessageBoxText(box), "クリップボードに測定結果\nを転送しますか？");
    gui::Answer(box, IDNO);
    ASSERT_TRUE(gui::WaitGone(box));
    std::string text;
    ASSERT_TRUE(ClipboardText(&text));
    EXPECT_EQ(text, "keep me");

    // Yes copies.
    ASSERT_TRUE(gui::Click(main, IDC_CLIPCOPY));
    box = gui::WaitMessageBox(program_.pid);
    ASSERT_TRUE(box);
    gui::Answer(box, IDYES);
    EXPECT_TRUE(gui::WaitFor([&] { return ClipboardText(&text) && text.rfind("測定結果\r\n", 0) == 0; }, 5000));

    // A file that cannot be created: a message, and the program goes on.
    HWND dlg = OpenDialog(main, IDC_SAVETEXT, "ﾃｷｽﾄﾌｧｲﾙで保存");
    ASSERT_TRUE(dlg);
    // A file another program holds open: the dialog asks before replacing
    // it, then it cannot be written.
    const std::string path = dir_ + "taken.txt";
    HANDLE f = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD done;
    WriteFile(f, "old", 3, &done, nullptr);
    AnswerFileDialog(dlg, path);
    // The file dialog's own question comes first, under its title.
    HWND question = gui::WaitMessageBox(program_.pid);
    ASSERT_TRUE(question) << "no overwrite question";
    EXPECT_EQ(gui::WindowText(question), "ﾃｷｽﾄﾌｧｲﾙで保存");
    EXPECT_NE(gui::MessageBoxText(question).find("上書きしますか"), std::string::npos) << gui::MessageBoxText(question);
    EXPECT_EQ(gui::MessageBoxText(question).find("保存できませんでした"), std::string::npos);
    ASSERT_TRUE(gui::Answer(question, IDYES));
    ASSERT_TRUE(gui::WaitGone(question));
    std::string message = AnswerBox();
    EXPECT_EQ(message, path + "\nに保存できませんでした。");
    CloseHandle(f);
    EXPECT_EQ(ReadFileBytes(path), "old") << "nothing lost";
    if (IsWindow(dlg) && IsWindowVisible(dlg)) {
        gui::Click(dlg, IDCANCEL);
        gui::WaitGone(dlg);
    }
    CloseMain(main);
}

// The dialog offers "qz" and adds ".TXT" to a name typed without one.
TEST_F(ReportTest, SaveDialogOffersQzAndAddsTheTextExtension) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x06});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    HWND dlg = OpenDialog(main, IDC_SAVETEXT, "ﾃｷｽﾄﾌｧｲﾙで保存");
    ASSERT_TRUE(dlg);
    HWND nameBox = GetDlgItem(dlg, 0x47c);
    ASSERT_TRUE(nameBox);
    EXPECT_EQ(gui::WindowText(nameBox), "qz");
    AnswerFileDialog(dlg, dir_ + "named");
    ASSERT_TRUE(gui::WaitGone(dlg));
    EXPECT_TRUE(gui::WaitFor([&] { return ReadFileBytes(dir_ + "named.TXT").rfind("測定結果\r\n", 0) == 0; }, 5000))
        << ReadFileBytes(dir_ + "named.TXT");
    EXPECT_EQ(ReadFileBytes(dir_ + "named"), "<missing>");
    CloseMain(main);
}

// A name the file dialog refuses (longer than a path may be) closes it as a
// cancel would; both save commands say why. A name of only spaces is
// refused the same way by some versions of the dialog and taken as a name
// by others: either way the command may not end without a file and without
// a word.
TEST_F(ReportTest, SaveCommandsSayWhyTheDialogRefusedTheName) {
    MarkNotFirstStart();
    gui::RegWriteBinary(kIni, "Flag", {0x06});
    HWND main = StartMain();
    ASSERT_TRUE(main);
    const std::string base = dir_ + "long";
    const struct {
        int tool;
        const char* caption;
        const char* extension;
    } commands[] = {{IDC_SAVETEXT, "ﾃｷｽﾄﾌｧｲﾙで保存", ".txt"}, {IDC_SAVEITEM, "測定項目の保存", ".reg"}};
    for (const auto& command : commands) {
        for (size_t length : {size_t(260), size_t(263), size_t(265), size_t(0)}) {
            const bool spaces = length == 0;
            std::string name = spaces ? "     " : base + std::string(length - base.size() - 4, 'x') + command.extension;
            SCOPED_TRACE(std::string(command.caption) + " " + std::to_string(name.size()));
            HWND dlg = OpenDialog(main, command.tool, command.caption);
            ASSERT_TRUE(dlg);
            AnswerFileDialog(dlg, name);
            HWND box = gui::WaitMessageBox(program_.pid, spaces ? 3000 : 10000);
            if (spaces && !box) {
                EXPECT_NE(ReadFileBytes(dir_ + name + command.extension), "<missing>") << "nothing saved, nothing said";
                DeleteFileA((dir_ + name + command.extension).c_str());
                continue;
            }
            ASSERT_TRUE(box) << "nothing said";
            EXPECT_EQ(gui::MessageBoxText(box), "ファイル名が長すぎるか、正しくありません。\n保存できませんでした。");
            EXPECT_EQ(gui::WindowText(box), "ZELBR");
            gui::Answer(box, IDOK);
            ASSERT_TRUE(gui::WaitGone(box));
            EXPECT_TRUE(gui::WaitGone(dlg));
        }
    }
    // A cancel stays silent.
    HWND dlg = OpenDialog(main, IDC_SAVETEXT, "ﾃｷｽﾄﾌｧｲﾙで保存");
    ASSERT_TRUE(dlg);
    gui::Click(dlg, IDCANCEL);
    ASSERT_TRUE(gui::WaitGone(dlg));
    EXPECT_FALSE(gui::WaitMessageBox(program_.pid, 1000));
    CloseMain(main);
}

class ReportKillTest : public ReportTest {
protected:
    // Starts on a catalogue of one measured item, old.txt holding an older
    // report, and answers the save dialog up to its overwrite question.
    HWND SaveOver(const std::string& path, bool missingModule) {
        MarkNotFirstStart();
        gui::RegWriteBinary(kIni, "Flag", {0x06});
        AddModule("ALPHA");
        AddCatalogue(0, "ALPHA.BNC");
        if (missingModule) AddCatalogue(1, "GONE.BNC");
        StoreResult("ALPHA", 800);
        WriteFileBytes(path, old_);
        Start();
        HWND main = nullptr;
        // The missing module is said while the window fills.
        gui::WaitFor([&] {
            if (HWND box = gui::WaitMessageBox(program_.pid, 10)) gui::Answer(box, IDOK);
            main = gui::WaitWindow(program_.pid, "#32770", kTitle, 10);
            return main && !gui::WaitMessageBox(program_.pid, 300);
        }, 20000);
        if (!main) return nullptr;
        WaitForInputIdle(program_.process, 5000);
        HWND dlg = OpenDialog(main, IDC_SAVETEXT, "ﾃｷｽﾄﾌｧｲﾙで保存");
        if (!dlg) return nullptr;
        AnswerFileDialog(dlg, path);
        return gui::WaitMessageBox(program_.pid, 10000);
    }
    const std::string old_ = "old report\r\n";
    const std::string new_ = "測定結果\r\n全項目の測定(Version 1.00)\t12500\t点\r\n"
                             "テスト項目(Version 1.00)\t12500\t点\r\n\r\n";
};

TEST_F(ReportKillTest, KillWhileTheMissingModuleIsSaidLeavesTheOldReport) {
    const std::string path = dir_ + "old.txt";
    HWND question = SaveOver(path, true);
    ASSERT_TRUE(question);
    gui::Answer(question, IDYES);
    ASSERT_TRUE(gui::WaitGone(question));
    HWND missing = gui::WaitMessageBox(program_.pid, 10000);
    ASSERT_TRUE(missing);
    EXPECT_NE(gui::MessageBoxText(missing).find("GONE.BNC"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(path), old_) << "the old report is gone before the new one is built";
    TerminateProcess(program_.process, 9);
    WaitForSingleObject(program_.process, 5000);
    EXPECT_EQ(ReadFileBytes(path), old_);
}

// Kills swept across the save: the file holds the old report or the new one,
// whole, every time.
TEST_F(ReportKillTest, KillsSweptAcrossTheSaveNeverLeaveAPartReport) {
    int oldIntact = 0, newComplete = 0, lost = 0;
    for (DWORD delay = 0; delay <= 57; delay += 3) {
        program_.Close();
        dir_ = gui::MakeProgramDir("ReportKillTest.Sweep" + std::to_string(delay));
        ASSERT_TRUE(gui::CopyInto(dir_, DistDir() + "ZELBR.EXE"));
        gui::RegDeleteTree(kRoot);
        const std::string path = dir_ + "old.txt";
        HWND question = SaveOver(path, false);
        ASSERT_TRUE(question) << "delay " << delay;
        gui::Answer(question, IDYES);
        if (delay) Sleep(delay);
        TerminateProcess(program_.process, 9);
        WaitForSingleObject(program_.process, 5000);
        std::string now = ReadFileBytes(path);
        if (now == old_)
            ++oldIntact;
        else if (now == new_)
            ++newComplete;
        else
            ++lost;
        EXPECT_TRUE(now == old_ || now == new_) << "delay " << delay << " ms: " << now.size() << " bytes";
    }
    std::printf("kill sweep: %d old intact, %d new complete, %d lost\n", oldIntact, newComplete, lost);
    RecordProperty("old_intact", oldIntact);
    RecordProperty("new_complete", newComplete);
    RecordProperty("lost", lost);
}
