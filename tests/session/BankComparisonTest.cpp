#include <gtest/gtest.h>

#include "BankComparison.h"
#include "ModelBank.h"

namespace {

TEST(BankComparison, RowsMarkWhatDiffersAsTheWindowShowsItAndCurvesReadInKHz)
{
    ModelBank a;
    a.Initialise();
    ModelBank b = a;
    b.Model(1).BFREQ = 40;
    b.Model(1).VLT = 90;  // no cut-off code
    b.Model(1).FRQ[4] = 63;
    b.Model(1).MEMO = "wet\r\nTsukuba\r\n";
    EXPECT_FALSE(BankComparison::ModelDiffers(a, b, 0));
    EXPECT_TRUE(BankComparison::ModelDiffers(a, b, 1));

    const auto rows = BankComparison::ModelRows(a, b, 1, 1);
    ASSERT_EQ(rows.size(), 4u + 32u + 1u);
    std::vector<std::string> marked;
    for (const auto& r : rows)
        if (r.differs)
            marked.push_back(r.title + ": " + r.left + " | " + r.right);
    EXPECT_EQ(marked, (std::vector<std::string>{"BrakeFreq: 0.964kHz | " + *BankComparison::BrakeKHz(40),
                                                 "LowVoltCut: " + *BankComparison::CutOff(100) + " | ? 90",
                                                 "DriveFreq 5: 5  9.05kHz | 52  2.04kHz",
                                                 "Memo:  | wet\nTsukuba\n"}));
    EXPECT_EQ(BankComparison::ModelRows(a, b, 1, 0)[0].title, "ニュートラルブレーキの状態");

    const auto curve = BankComparison::CurveKHz(a.Model(0));
    EXPECT_DOUBLE_EQ(curve[0], 9.05);  // the default point, "9.05kHz" in the window
    EXPECT_DOUBLE_EQ(BankComparison::CurveKHz(b.Model(1))[4], 2.04);
    ModelSettings outside;
    outside.FRQ[0] = 5;
    outside.FRQ[1] = 70;
    EXPECT_DOUBLE_EQ(BankComparison::CurveKHz(outside)[0], 12.146);  // the nearest end of the table
    EXPECT_DOUBLE_EQ(BankComparison::CurveKHz(outside)[1], 2.04);
}

}  // namespace
