#include <gtest/gtest.h>

#include "ModelBank.h"
#include "ModelCopy.h"

namespace {

TEST(ModelCopy, OnlyBetweenTwoOfTheFiveModels)
{
    ModelBank bank;
    bank.models[0].NBRK = 10;
    bank.models[1].NBRK = 20;
    const ModelBank before = bank;
    for (auto [from, to] : {std::pair{0, 0}, {-1, 2}, {0, -1}, {0, 5}, {5, 1}}) {
        EXPECT_FALSE(ModelCopy(from, to).Possible()) << from << " -> " << to;
        ModelCopy(from, to).Apply(bank);
        EXPECT_EQ(bank, before) << from << " -> " << to;
    }
    EXPECT_TRUE(ModelCopy(4, 0).Possible());
}

TEST(ModelCopy, QuestionNamesTheDraggedModelFirst)
{
    EXPECT_EQ(ModelCopy(1, 4).Question(0), "MODEL2をMODEL5にコピーしますか？");
}

}  // namespace
