#include <gtest/gtest.h>

#include <string>

#include "ModelBank.h"
#include "UndoHistory.h"

namespace {

ModelBank Defaults()
{
    ModelBank bank;
    bank.Initialise();
    return bank;
}

// Undoes everything, counting the steps.
int UndoAll(UndoHistory& history, ModelBank& bank)
{
    int steps = 0;
    while (history.Undo(bank))
        ++steps;
    return steps;
}

TEST(UndoHistory, AnEditAfterUndoDropsTheStepsToRedoEvenIfNotYetNoted)
{
    UndoHistory history;
    ModelBank bank = Defaults();
    history.Start(bank);
    bank.Model(0).PROG = 5;
    history.Record(bank);
    bank.Model(0).PROG = 6;
    history.Record(bank);
    ASSERT_TRUE(history.Undo(bank));
    ASSERT_TRUE(history.Undo(bank));
    EXPECT_EQ(history.RedoSteps(), 2u);
    ASSERT_TRUE(history.Redo(bank));
    EXPECT_EQ(bank.Model(0).PROG, 5);

    bank.Model(0).VLT = 90;  // edited, and redo pressed before the edit was noted
    EXPECT_FALSE(history.Redo(bank));
    EXPECT_EQ(bank.Model(0).VLT, 90);
    EXPECT_EQ(bank.Model(0).PROG, 5);
    ASSERT_TRUE(history.Undo(bank));  // the edit itself is a step
    EXPECT_EQ(bank.Model(0).VLT, 100);
}

TEST(UndoHistory, TheOldestStepsGoFirstAndTheLastAlwaysStays)
{
    UndoHistory history;
    ModelBank bank = Defaults();
    history.Start(bank);
    for (size_t i = 0; i < UndoHistory::kMaxSteps + 10; ++i) {
        bank.Model(0).NBRK = static_cast<int32_t>(i % 256);
        bank.Model(0).PROG = static_cast<int32_t>(i % 13);
        history.Record(bank);
    }
    EXPECT_EQ(history.UndoSteps(), UndoHistory::kMaxSteps);
    EXPECT_EQ(UndoAll(history, bank), static_cast<int>(UndoHistory::kMaxSteps));
    EXPECT_EQ(bank.Model(0).NBRK, 9);  // the bank before the eleventh step

    // Memos so long that two snapshots exceed the budget: only the last step is kept.
    history.Start(Defaults());
    bank = Defaults();
    for (char c : std::string("abc")) {
        bank.Model(0).MEMO.assign(UndoHistory::kMaxBytes / 2 + 1, c);
        history.Record(bank);
    }
    EXPECT_EQ(history.UndoSteps(), 1u);
    ASSERT_TRUE(history.Undo(bank));
    EXPECT_EQ(bank.Model(0).MEMO[0], 'b');
}

}  // namespace
