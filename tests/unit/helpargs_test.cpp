// What the program hands the help viewer: the file and the partial key on
// its command line, and an item's help file beside the item.
#include <gtest/gtest.h>

#include "app/help.h"

TEST(HelpRequest, CommandLineNamesTheFileAndThePartialKey) {
    EXPECT_EQ(HelpViewerArgs("C:\\P\\ZELBR.HLP", HELP_FINDER, nullptr), "\"C:\\P\\ZELBR.HLP\"");
    EXPECT_EQ(HelpViewerArgs("C:\\P\\ZELBR.HLP", HELP_PARTIALKEY, "警告の設定"),
              "\"C:\\P\\ZELBR.HLP\" -key \"警告の設定\"");
    // No key: the contents. Quotes could not be passed: nothing is started.
    EXPECT_EQ(HelpViewerArgs("C:\\P\\ZELBR.HLP", HELP_PARTIALKEY, ""), "\"C:\\P\\ZELBR.HLP\"");
    EXPECT_EQ(HelpViewerArgs("C:\\P\\ZELBR.HLP", HELP_PARTIALKEY, "a\"b"), "");
    EXPECT_EQ(HelpViewerArgs("", HELP_FINDER, nullptr), "");
    EXPECT_EQ(HelpViewerArgs("C:\\P\\ZELBR.HLP", HELP_QUIT, nullptr), "");
    // The program's handle goes last, after the key, as a decimal number.
    EXPECT_EQ(HelpViewerArgs("C:\\P\\ZELBR.HLP", HELP_PARTIALKEY, "警告", reinterpret_cast<HANDLE>(0x1a4)),
              "\"C:\\P\\ZELBR.HLP\" -key \"警告\" -owner 420");
    EXPECT_EQ(HelpViewerArgs("C:\\P\\ZELBR.HLP", HELP_FINDER, nullptr, reinterpret_cast<HANDLE>(8)),
              "\"C:\\P\\ZELBR.HLP\" -owner 8");
    EXPECT_EQ(HelpViewerArgs("C:\\P\\ZELBR.HLP", HELP_QUIT, nullptr, reinterpret_cast<HANDLE>(8)), "");
}

TEST(HelpRequest, ItemHelpFileReplacesTheLastThreeCharacters) {
    EXPECT_EQ(ItemHelpPath("C:\\P\\", "NOTEPAD.BNC"), "C:\\P\\NOTEPAD.HLP");
    EXPECT_EQ(ItemHelpPath("C:\\P\\", "X.MCR"), "C:\\P\\X.HLP");
    EXPECT_EQ(ItemHelpPath("C:\\P\\", "AB"), "");
}
