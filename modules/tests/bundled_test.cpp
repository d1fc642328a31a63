// What the bundled modules check of their own workload: the pure parts by
// hand, and each module with new checks once against its real target.
#include <gtest/gtest.h>

#include <string>

#include "formatcheck.h"

using wordpad::ControlWords;
using wordpad::Expected;
using wordpad::Formatting;
using wordpad::Found;

TEST(WordPadFormatting, ControlWordsCountOnlyTheWordWithoutAParameter) {
    EXPECT_EQ(ControlWords("{\\rtf1{\\b x}\\b0 y\\b\\i z}", "b"), 2);
    EXPECT_EQ(ControlWords("\\b0\\b1\\b-1", "b"), 0);  // off, and numbered forms
    // Longer words that start alike are other words.
    EXPECT_EQ(ControlWords("\\blue255\\bin\\box\\ulnone\\uldb", "b"), 0);
    EXPECT_EQ(ControlWords("\\ulnone\\uldb\\ul x", "ul"), 1);
    // Escapes are no control words, even when a letter follows.
    EXPECT_EQ(ControlWords("\\\\b \\'82\\'b1 \\{b\\}", "b"), 0);
    EXPECT_EQ(ControlWords("ends in \\qc", "qc"), 1);
    EXPECT_EQ(ControlWords("\\", "b"), 0);
}

TEST(WordPadFormatting, EightParagraphsWithTheLastTwoChangesUndone) {
    Formatting f = Expected(8);
    EXPECT_EQ(f.bold, 3);       // paragraphs 1, 4, 7
    EXPECT_EQ(f.italic, 2);     // 2, 5 (8 undone)
    EXPECT_EQ(f.underline, 2);  // 3, 6
    EXPECT_EQ(f.centred, 3);
    EXPECT_EQ(f.right, 2);

    // The document as the rich edit control writes it.
    std::string rtf = "{\\rtf1\\ansi\\deff0{\\fonttbl{\\f0 Arial;}}\r\n";
    const char* align[] = {"\\qc", "\\qr", ""};
    const char* on[] = {"\\b", "\\i", "\\ul"};
    const char* off[] = {"\\b0", "\\i0", "\\ulnone"};
    for (int i = 0; i < 8; ++i) {
        rtf += i == 7 ? "" : std::string("\\pard") + align[i % 3] + " ";
        rtf += "P ";
        rtf += i == 7 ? "\\'91\\'aa\\'92\\'e8"
                      : std::string(on[i % 3]) + " \\'91\\'aa\\'92\\'e8" + off[i % 3];
        rtf += " rest\\par\r\n";
    }
    rtf += "Typing\\par}";
    EXPECT_TRUE(Found(rtf) == f) << wordpad::Describe(Found(rtf));
    // Each missing effect shows.
    for (const char* word : {"\\b ", "\\i ", "\\ul ", "\\qc ", "\\qr "}) {
        std::string less = rtf;
        less.erase(less.find(word), std::string(word).size() - 1);
        EXPECT_FALSE(Found(less) == f) << word;
    }
}

// WordPad's format commands from the shortcut keys in its executable.
#include <windows.h>

#include "accel.h"
#include "zbmodule.h"

namespace {

std::string WineWordPad() {
    std::string bytes;
    zb::ReadFileBytes(zb::ProgramFilesDir() + "Windows NT\\Accessories\\wordpad.exe", &bytes);
    return bytes;
}

}  // namespace

TEST(WordPadCommands, FromWinesWordPadTheNumbersItsMenusUse) {
    std::string exe = WineWordPad();
    ASSERT_FALSE(exe.empty());
    wordpad::FormatCommands c;
    ASSERT_TRUE(wordpad::FormatCommandsFromExe(exe, 0x0411, &c));
    EXPECT_EQ(c.bold, 1400);
    EXPECT_EQ(c.italic, 1401);
    EXPECT_EQ(c.underline, 1402);
    EXPECT_EQ(c.left, 1100);
    EXPECT_EQ(c.centre, 1101);
    EXPECT_EQ(c.right, 1102);
}

TEST(WordPadCommands, ADamagedFileGivesNoneAndIsNeverReadPast) {
    std::string exe = WineWordPad();
    ASSERT_FALSE(exe.empty());
    wordpad::FormatCommands c;
    // Cut anywhere: either the tables are still whole or there are none.
    for (size_t n = 0; n < exe.size(); n += 997) {
        std::string cut(exe, 0, n);
        cut.shrink_to_fit();
        if (wordpad::FormatCommandsFromExe(cut, 0x0411, &c)) {
            EXPECT_TRUE(c.Complete());
        }
    }
    EXPECT_FALSE(wordpad::FormatCommandsFromExe("MZ", 0x0411, &c));
    std::string noPe = exe;
    noPe[0x3C] = char(0xF0), noPe[0x3F] = char(0x7F);  // header far outside the file
    EXPECT_FALSE(wordpad::FormatCommandsFromExe(noPe, 0x0411, &c));
    // Without Ctrl+B anywhere there is no complete table.
    std::string noBold = exe;
    for (size_t i = 0; i + 6 <= noBold.size(); ++i)
        if (noBold[i] == 0x09 && noBold[i + 1] == 0 && noBold[i + 2] == 'B' && noBold[i + 3] == 0)
            noBold[i + 2] = 'Q';
    EXPECT_FALSE(wordpad::FormatCommandsFromExe(noBold, 0x0411, &c));
}
