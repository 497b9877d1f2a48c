#include <gtest/gtest.h>

#include "ModelFieldRules.h"

namespace {

TEST(ModelFieldRules, TypedTextIsAnIntegerLimitedToTheRangeOrTheCurrentValue)
{
    struct Case {
        const char* text;
        int32_t nbrk;  // taken while the bar stands at 7
        int32_t prog;
    };
    const Case cases[] = {
        {"+5", 5, 5}, {"008", 8, 8}, {"13", 13, 12},
        {"\xE3\x80\x80" "9\t", 9, 9},  // a full-width blank typed in Japanese
        {"2147483647", 255, 12}, {"-2147483648", 0, 0},
        // No integer: the bar's position stays.
        {"abc", 7, 7}, {"", 7, 7}, {"1x", 7, 7}, {"99999999999", 7, 7}, {"2147483648", 7, 7},
        {"+", 7, 7}, {"-", 7, 7}, {"+-5", 7, 7}, {"1 2", 7, 7}, {"\xEF\xBC\x95", 7, 7},  // full-width 5
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ModelFieldRules::kNbrk.Take(c.text, 7), c.nbrk) << c.text;
        EXPECT_EQ(ModelFieldRules::kProg.Take(c.text, 7), c.prog) << c.text;
    }
}

TEST(ModelFieldRules, ListsTakeOnlyTheirItems)
{
    EXPECT_EQ(ModelFieldRules::BrakeItemText(22), "0,908kHz");
    EXPECT_EQ(ModelFieldRules::BrakeOfItem(51), 63);
    EXPECT_EQ(ModelFieldRules::BrakeOfItem(-1), std::nullopt);
    EXPECT_EQ(ModelFieldRules::BrakeOfItem(52), std::nullopt);
    EXPECT_EQ(ModelFieldRules::CutOffItemText(7), "");
    EXPECT_EQ(ModelFieldRules::CutOffCodeOfText("NiMH   5-6cell  3.2V"), 100);
    for (const char* typed : {"NiMH 5-6cell 3.2V", "nimh   5-6cell  3.2V", "LiPo     1cell     2.9", ""})
        EXPECT_EQ(ModelFieldRules::CutOffCodeOfText(typed), std::nullopt) << typed;
}

}  // namespace
