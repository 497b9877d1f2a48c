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

TEST(UndoHistory, AnEditGoingOnInOneFieldIsOneStepUntilItsGestureEnds)
{
    UndoHistory history;
    ModelBank bank = Defaults();
    const ModelBank start = bank;
    history.Start(bank);
    for (int v = 100; v < 110; ++v) {  // a bar dragged pixel by pixel
        bank.Model(0).NBRK = v;
        history.Note(bank);
    }
    const ModelBank dragged = bank;
    history.EndGesture();
    bank.Model(0).NBRK = 50;  // the same bar dragged again
    history.Note(bank);
    for (const char* typed : {"a", "ab", "abc"}) {  // typing in the memo
        bank.Model(0).MEMO = typed;
        history.Note(bank);
    }
    bank.Model(1).MEMO = "x";  // the same field of another model
    history.Note(bank);
    EXPECT_EQ(history.UndoSteps(), 4u);

    ASSERT_TRUE(history.Undo(bank));
    EXPECT_EQ(bank.Model(1).MEMO, "");
    ASSERT_TRUE(history.Undo(bank));
    EXPECT_EQ(bank.Model(0).MEMO, "");
    ASSERT_TRUE(history.Undo(bank));
    EXPECT_EQ(bank, dragged);
    ASSERT_TRUE(history.Undo(bank));
    EXPECT_EQ(bank, start);
    EXPECT_FALSE(history.Undo(bank));
    EXPECT_EQ(bank, start);
}

TEST(UndoHistory, AWholeActionIsAStepOfItsOwnAndOnlyWhenItChangedSomething)
{
    UndoHistory history;
    ModelBank bank = Defaults();
    history.Start(bank);
    bank.Model(2).NBRK = 10;
    history.Note(bank);
    bank.Model(2).NBRK = 20;  // a read of the shown model, touching the field being edited
    EXPECT_TRUE(history.Record(bank));
    bank.Model(2).NBRK = 30;  // and the edit going on after it
    history.Note(bank);
    EXPECT_FALSE(history.Record(bank));  // a read that found what the bank holds
    EXPECT_EQ(history.UndoSteps(), 3u);
    for (const int expected : {20, 10, 128}) {
        ASSERT_TRUE(history.Undo(bank));
        EXPECT_EQ(bank.Model(2).NBRK, expected);
    }
}

TEST(UndoHistory, ShowingAnotherModelIsNoStepButUndoShowsTheModelItChanges)
{
    UndoHistory history;
    ModelBank bank = Defaults();
    history.Start(bank);
    bank.ModelNumber = 2 * ModelBank::kModelStep;
    EXPECT_FALSE(history.Note(bank));
    bank.Model(2).FRQ[5] = 30;
    history.Note(bank);
    bank.ModelNumber = 4 * ModelBank::kModelStep;  // then MODEL5 shown
    history.Note(bank);
    const ModelBank edited = bank;

    ASSERT_TRUE(history.Undo(bank));
    EXPECT_EQ(bank.ShownIndex(), 2);
    EXPECT_EQ(bank.Model(2).FRQ[5], 16);
    ASSERT_TRUE(history.Redo(bank));
    EXPECT_EQ(bank, edited);  // undone and redone: the same bank, the model shown included
    EXPECT_EQ(history.UndoSteps(), 1u);
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
