#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "BankComparison.h"
#include "EditingSession.h"
#include "HistoryEntry.h"
#include "SettingsFile.h"

namespace {

using Kind = TransferHistory::Kind;
using Step = TransferResult::Step;

const ModelSettings& ShownModel(const EditingSession& s) { return s.Bank().Model(s.Bank().ShownIndex()); }

TransferResult Result(bool ok, Step step = Step::None)
{
    TransferResult r;
    r.ok = ok;
    r.step = step;
    return r;
}

// A setup as a file holds it: the session's bank saved and opened again in a new session.
EditingSession Reopened(const EditingSession& s)
{
    EditingSession other(s.Language());
    EXPECT_EQ(other.Load(s.SaveBytes(), "a.VXS").status, 0);
    return other;
}

TEST(EditingSessionMemo, TypedTextAndTheSameTextFromAFileAreOneMemo)
{
    struct Case {
        std::string typed;  // as the field gives it
        std::string field;  // as the field shows it again
    };
    const std::vector<Case> cases = {
        {"", ""},
        {"wet track", "wet track"},
        {"line 1\nline 2", "line 1\nline 2"},
        {"ends with Enter\n", "ends with Enter\n"},
        {"\n\nblank lines\n\n", "\n\nblank lines\n\n"},
        {"CR LF\r\nand CR\rmixed", "CR LF\nand CR\nmixed"},
        {"\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab", "\xe3\x83\x95\xe3\x82\xa1\xe3\x82\xa4\xe3\x83\xab"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        EditingSession typed(1);
        typed.SetMemo(c.typed);
        EXPECT_EQ(EditingSession::MemoToField(ShownModel(typed).MEMO), c.field);
        const EditingSession file = Reopened(typed);
        EXPECT_EQ(ShownModel(file).MEMO, ShownModel(typed).MEMO);
        EXPECT_FALSE(BankComparison::ModelDiffers(typed.Bank(), file.Bank(), 0));
        EXPECT_EQ(HistoryEntry::Differences(typed.Bank(), file.Bank()), 0);
        // Shown and typed again unchanged, it stays the same memo.
        EditingSession again(1);
        again.SetMemo(EditingSession::MemoToField(ShownModel(file).MEMO));
        EXPECT_EQ(ShownModel(again).MEMO, ShownModel(file).MEMO);
    }
}

// One operation of a user, its undo steps and what it leaves for the questions before a loss.
struct Operation {
    const char* name;
    std::function<void(EditingSession&)> run;
    size_t steps;      // undo steps it takes, from a session that shows MODEL2
    int shownAfterUndo;  // the model undoing it shows
    bool losesAny;     // kAnyEdit afterwards
    bool losesSettings;  // kSettings afterwards
};

TEST(EditingSessionOperations, EachOperationTakesItsOwnUndoStepsAndShowsTheModelItChanged)
{
    const std::vector<Operation> operations = {
        {"typed number", [](EditingSession& s) { s.TakeNumber(0, "40"); }, 1, 1, true, true},
        {"bar dragged then again", [](EditingSession& s) {
             s.MoveScalarBar(1, 3);
             s.MoveScalarBar(1, 4);
             s.EndGesture();
             s.MoveScalarBar(1, 5);
         }, 2, 1, true, true},
        {"brake and cut-off picked", [](EditingSession& s) {
             s.PickBrake(3);
             s.PickCutOff(1);
         }, 2, 1, true, true},
        {"memo typed letter by letter, then another model's", [](EditingSession& s) {
             for (const char* typed : {"r", "ra", "rain"})
                 s.SetMemo(typed);
             s.SelectTab(3);
             s.SetMemo("x");  // the same field of another model: a step of its own
         }, 2, 3, true, false},
        {"number typed, then another model shown", [](EditingSession& s) {
             s.TakeNumber(1, "3");
             s.SelectTab(4);
         }, 1, 1, true, true},
        {"curve bar stepped", [](EditingSession& s) { s.ScrollBar(5, scLineDown, 0, false); }, 1, 1, true, true},
        {"average shifted", [](EditingSession& s) { s.ScrollAverage(s.Curve().AvgPosition() + 3); }, 1, 1, true, true},
        {"straight line accepted", [](EditingSession& s) {
             s.ScrollBar(31, scTrack, CurveEditing::kMaxPosition, false);
             s.EnterBar(0, false);
             s.EnterBar(31, true);
             s.ProposeLine();
             s.AnswerLine(true);
         }, 2, 1, true, true},
        {"straight line refused", [](EditingSession& s) {
             s.EnterBar(0, false);
             s.EnterBar(31, true);
             s.ProposeLine();
             s.AnswerLine(false);
         }, 0, 1, false, false},
        {"reset", [](EditingSession& s) {
             s.TakeNumber(0, "1");
             s.Reset();
         }, 2, 1, false, false},
        {"tab switched", [](EditingSession& s) { s.SelectTab(4); }, 0, 4, false, false},
        {"copied by drag from the shown tab", [](EditingSession& s) {
             s.TakeNumber(0, "7");
             s.EndGesture();
             s.Copy(1, 3);
         }, 2, 3, true, true},
    };
    for (const Operation& op : operations) {
        SCOPED_TRACE(op.name);
        EditingSession s(1);
        s.SelectTab(1);
        const ModelBank start = s.Bank();
        op.run(s);
        EXPECT_EQ(s.WouldLose(EditingSession::kAnyEdit), op.losesAny);
        EXPECT_EQ(s.WouldLose(EditingSession::kSettings), op.losesSettings);
        if (op.steps == 0) {
            EXPECT_FALSE(s.CanUndo());
            EXPECT_EQ(s.Bank().ShownIndex(), op.shownAfterUndo);
            continue;
        }
        ASSERT_TRUE(s.Undo());
        EXPECT_EQ(s.Bank().ShownIndex(), op.shownAfterUndo);
        size_t steps = 1;
        while (s.Undo())
            ++steps;
        EXPECT_EQ(steps, op.steps);
        EXPECT_EQ(s.Bank().models, start.models);
        EXPECT_FALSE(s.WouldLose(EditingSession::kAnyEdit));
        while (s.Redo()) {
        }
        const ModelBank redone = s.Bank();
        EditingSession replay(1);
        replay.SelectTab(1);
        op.run(replay);
        EXPECT_EQ(redone.models, replay.Bank().models);
    }
}

TEST(EditingSessionTransfers, WhatATransferKeepsAndTheRecordTheHistoryTakes)
{
    struct Case {
        Kind kind;
        TransferResult result;
        bool keepsAll;    // the edits of every model's settings kept
        bool keepsShown;  // the shown model's settings kept
    };
    const std::vector<Case> cases = {
        {Kind::ReadAll, Result(true), true, true},
        {Kind::WriteAll, Result(true), true, true},
        {Kind::ReadShown, Result(true), false, true},
        {Kind::WriteShown, Result(true), false, true},
        {Kind::ReadAll, Result(false, Step::WriteModelNumber), true, true},
        {Kind::ReadAll, Result(false, Step::ReadModel), false, false},
        {Kind::WriteAll, Result(false, Step::WriteModelNumber), false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.kind));
        EditingSession s(0);
        s.SelectTab(2);
        s.TakeNumber(0, "9");   // MODEL3, shown
        s.SelectTab(3);
        s.TakeNumber(1, "3");   // MODEL4
        s.SetMemo("kept in files only");
        s.SelectTab(2);
        s.BeginTransfer();
        const TransferHistory::Transfer t = s.Transferred(c.kind, 2, c.result, std::nullopt, "COM3", 1234);
        EXPECT_EQ(t.kind, c.kind);
        EXPECT_EQ(t.model, 2);
        EXPECT_EQ(t.port, "COM3");
        EXPECT_EQ(t.timeMs, 1234);
        EXPECT_EQ(t.bank, s.Bank());
        EXPECT_EQ(s.WouldLose(EditingSession::kShownSettings), !c.keepsShown);
        EXPECT_EQ(s.WouldLose(EditingSession::kSettings), !c.keepsAll);
        EXPECT_TRUE(s.WouldLose(EditingSession::kAnyEdit));  // the memo
    }
}

TEST(EditingSessionFiles, OpeningTellsWhatItRefusedOrCouldNotShow)
{
    EditingSession s(1);
    s.TakeNumber(0, "12");
    const ModelBank edited = s.Bank();

    EditingSession::Loaded notSettings = s.Load("just text\r\n", "notes.txt");
    EXPECT_EQ(notSettings.status, 1);
    EXPECT_FALSE(notSettings.message.empty());
    EXPECT_EQ(s.Bank(), edited);

    EditingSession source(1);
    source.Bank().Model(4).NBRK = 999;  // outside its range, as a hand-edited file may hold it
    const EditingSession::Loaded outside = s.Load(source.SaveBytes(), "odd.VXS");
    EXPECT_EQ(outside.status, 0);
    EXPECT_NE(outside.warning.find("MODEL5"), std::string::npos) << outside.warning;
    EXPECT_FALSE(s.WouldLose(EditingSession::kAnyEdit));
    ASSERT_TRUE(s.Undo());  // opening is one step
    EXPECT_EQ(s.Bank().models, edited.models);

    EXPECT_TRUE(Reopened(s).Load(s.SaveBytes(), "plain.VXS").warning.empty());
}

}  // namespace
