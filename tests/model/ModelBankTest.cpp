#include <gtest/gtest.h>

#include "ModelBank.h"

TEST(ModelBank, InitialiseGivesDefaultsToEveryModel)
{
    ModelBank bank;
    bank.models[2].NBRK = 7;
    bank.models[4].MEMO = "x";
    bank.ModelNumber = 120;
    bank.SYS_CUR = 3;
    bank.Initialise();
    for (const auto& m : bank.models) {
        EXPECT_EQ(m.NBRK, 128);
        EXPECT_EQ(m.BFREQ, 32);
        EXPECT_EQ(m.VLT, 100);
        EXPECT_EQ(m.PROG, 1);
        for (int v : m.FRQ)
            EXPECT_EQ(v, 16);
        EXPECT_TRUE(m.MEMO.empty());
    }
    EXPECT_EQ(bank.ModelNumber, 0);
    EXPECT_EQ(bank.SYS_CUR, 15);
}

TEST(ModelBank, ResetKeepsMemoAndOtherModels)
{
    ModelBank bank;
    for (auto& m : bank.models) {
        m.NBRK = 1;
        m.BFREQ = 50;
        m.VLT = 195;
        m.PROG = 12;
        m.FRQ.fill(60);
        m.MEMO = "note";
    }
    bank.ModelNumber = 80;
    bank.SYS_CUR = 9;
    bank.ResetShownModel(2);
    const ModelSettings& r = bank.models[2];
    EXPECT_EQ(r.NBRK, 128);
    EXPECT_EQ(r.BFREQ, 32);
    EXPECT_EQ(r.VLT, 100);
    EXPECT_EQ(r.PROG, 1);
    EXPECT_EQ(r.FRQ, ModelSettings::MakeDefaultCurve());
    EXPECT_EQ(r.MEMO, "note");
    for (int i : {0, 1, 3, 4}) {
        EXPECT_EQ(bank.models[i].NBRK, 1) << i;
        EXPECT_EQ(bank.models[i].FRQ[31], 60) << i;
    }
    EXPECT_EQ(bank.ModelNumber, 80);
    EXPECT_EQ(bank.SYS_CUR, 9);
}

TEST(ModelBank, ShownIndexStaysAmongTheFiveModels)
{
    ModelBank bank;
    const std::pair<int32_t, int> cases[] = {
        {0, 0}, {39, 0}, {40, 1}, {80, 2}, {160, 4}, {199, 4}, {200, 4}, {255, 4}, {-1, 0}, {INT32_MIN, 0}, {INT32_MAX, 4}};
    for (auto [number, index] : cases) {
        bank.ModelNumber = number;
        EXPECT_EQ(bank.ShownIndex(), index) << number;
    }
    EXPECT_EQ(&bank.Model(-3), &bank.models[0]);
    EXPECT_EQ(&bank.Model(9), &bank.models[4]);
}
