#include <gtest/gtest.h>

#include "TextTable.h"

TEST(TextTable, BrakeFiguresThenBilingualPairs)
{
    EXPECT_EQ(TextTable::Entry(34), "0,908");
    EXPECT_EQ(TextTable::Entry(64), "ニュートラルブレーキの状態");
    EXPECT_EQ(TextTable::Entry(65), "AutomaticBrake");
    EXPECT_EQ(TextTable::Message(70, 0), "LowVoltCut");
    EXPECT_EQ(TextTable::Message(70, 1), "LowVoltCut");
    EXPECT_EQ(TextTable::Message(98, 1), "COM* dose not exist");
    EXPECT_EQ(TextTable::Entry(121), "LinerAdjust");
    EXPECT_EQ(TextTable::Message(TextTable::kCauseNotSerial, 1), "* is not a serial device.");
    EXPECT_EQ(TextTable::Entry(TextTable::kLastEntry + 1), "");
    EXPECT_EQ(TextTable::Message(TextTable::kNotSettingsFile, 0), "設定ファイルではありません");
    EXPECT_EQ(TextTable::Message(TextTable::kNotSettingsFile, 1), "Not a settings file");
    EXPECT_EQ(TextTable::Entry(-1), "");
}

TEST(TextTable, HintsByTag)
{
    EXPECT_EQ(TextTable::Hint(0, 1), "Write All");
    EXPECT_EQ(TextTable::Hint(4, 0), "終了");
    EXPECT_EQ(TextTable::Hint(4, 1), "Exit");
    EXPECT_EQ(TextTable::Hint(8, 0), "直線補間");
}

TEST(TextTable, ReplaceStarFillsPlaceholdersInOrder)
{
    EXPECT_EQ(TextTable::ReplaceStar(TextTable::Message(96, 1), 3), "COM3 OK");
    EXPECT_EQ(TextTable::ReplaceStar(TextTable::Message(98, 0), 12), "COM12は使用できません");
    const std::string copy = TextTable::ReplaceStar(TextTable::ReplaceStar(TextTable::Message(92, 1), 2), 5);
    EXPECT_EQ(copy, "Copy? MODEL2 -> MODEL5");
    EXPECT_EQ(TextTable::ReplaceStar(TextTable::ReplaceStar(TextTable::Message(92, 0), 2), 5), "MODEL2をMODEL5にコピーしますか？");
    EXPECT_EQ(TextTable::ReplaceStar("no star", 1), "no star");
    // A "*" brought in by a value (a device path) is not taken for the next placeholder.
    EXPECT_EQ(TextTable::ReplaceStars("* of * (*)", {"/dev/a*", "g"}), "/dev/a* of g (*)");
}
