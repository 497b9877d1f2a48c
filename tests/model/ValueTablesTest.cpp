#include <gtest/gtest.h>

#include "BrakeFreqTable.h"
#include "CutOffTable.h"
#include "DriveFreqTable.h"

TEST(DriveFreqTable, EndsOfTheCurveRange)
{
    EXPECT_EQ(DriveFreqTable::KHz(12), "12.146kHz");
    EXPECT_EQ(DriveFreqTable::Step(12), 1);
    EXPECT_EQ(DriveFreqTable::BarPosition(12), 51);
    EXPECT_EQ(DriveFreqTable::KHz(63), "2.04kHz");
    EXPECT_EQ(DriveFreqTable::Step(63), 52);
    EXPECT_EQ(DriveFreqTable::BarPosition(63), 0);
    EXPECT_EQ(DriveFreqTable::KHz(16), "9.05kHz");
    EXPECT_EQ(DriveFreqTable::ValueOfPosition(47), 16);
    for (int v = 0; v < 12; ++v)
        EXPECT_EQ(DriveFreqTable::Text(v), "12.146");
}

TEST(DriveFreqTable, OutOfRangeValuesReadTheNearestEnd)
{
    EXPECT_EQ(DriveFreqTable::Text(-5), "12.146");
    EXPECT_EQ(DriveFreqTable::Text(64), "2.04");
    EXPECT_EQ(DriveFreqTable::Text(INT32_MAX), "2.04");
    EXPECT_EQ(DriveFreqTable::Text(INT32_MIN), "12.146");
}

TEST(BrakeFreqTable, TextsAndListItems)
{
    EXPECT_EQ(BrakeFreqTable::KHz(32), "0.964kHz");
    EXPECT_EQ(BrakeFreqTable::KHz(34), "0,908kHz");
    EXPECT_EQ(BrakeFreqTable::Text(12), "2.44");
    EXPECT_EQ(BrakeFreqTable::Text(63), "0.492");
    EXPECT_EQ(BrakeFreqTable::Text(0), "2.44");
    EXPECT_EQ(BrakeFreqTable::Text(500), "0.492");
    EXPECT_EQ(BrakeFreqTable::ItemOf(32), 20);
    EXPECT_EQ(BrakeFreqTable::ItemOf(12), 0);
    EXPECT_EQ(BrakeFreqTable::ItemOf(63), 51);
    EXPECT_EQ(BrakeFreqTable::ItemOf(11), -1);
    EXPECT_EQ(BrakeFreqTable::ItemOf(70), -1);
    EXPECT_EQ(BrakeFreqTable::ValueOfItem(51), 63);
}

TEST(CutOffTable, CodesItemsAndTexts)
{
    EXPECT_EQ(CutOffTable::ItemOfCode(100), 4);
    EXPECT_EQ(CutOffTable::ItemOfCode(80), 0);
    EXPECT_EQ(CutOffTable::ItemOfCode(195), 6);
    EXPECT_EQ(CutOffTable::ItemOfCode(90), 6);
    EXPECT_EQ(CutOffTable::CodeOfItem(5), 160);
    EXPECT_EQ(CutOffTable::CodeOfItem(-1), -1);
    EXPECT_EQ(CutOffTable::CodeOfItem(7), -1);
    EXPECT_EQ(CutOffTable::kTexts[0], "NiMH   4cell     2.6V");
    EXPECT_EQ(CutOffTable::kTexts[4], "NiMH   5-6cell  3.2V");
    EXPECT_EQ(CutOffTable::kTexts[6], "LiFe     2cell     6.0V");
}
