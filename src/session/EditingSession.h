#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "BankBaseline.h"
#include "CurveEditing.h"
#include "DeviceBank.h"
#include "ModelBank.h"
#include "TransferHistory.h"
#include "TransferResult.h"
#include "UndoHistory.h"

// The editing session: the bank the user edits, the staging copy of the transfers and the curve
// editor's selection, with one operation per thing the user does. The window, the page and the
// command line forward input here and draw what it holds; every decision they share is made here:
// which undo step an operation is (each operation takes its own, no front end notes them), what
// an operation would lose, what a transfer or a save makes kept, how a memo's lines end and what
// opening a file warns about.
class EditingSession {
public:
    explicit EditingSession(int language);

    int Language() const { return language_; }
    ModelBank& Bank() { return bank_; }
    const ModelBank& Bank() const { return bank_; }
    DeviceBank& Staging() { return staging_; }
    const CurveEditing& Curve() const { return curve_; }

    // What the curve bars show: the straight line while its question is open, else the curve.
    const CurveEditing::Positions& BarPositions() const { return proposing_ ? proposal_ : curve_.BarPositions(); }
    // The point the value fields show, -1 the average.
    int ShownField() const { return shownField_; }

    // The bank into the editors after a transfer, a load or an undo: the curve editor takes the
    // shown model and the selection is cleared.
    void ShowBank();
    // The shown model's curve into the curve editor again (after the bank was replaced from
    // outside); the selection stays.
    void ShowModel();
    void ClearSelection();
    // Tab t (0..4) shown; no undo step, and the selection stays.
    void SelectTab(int tab);
    // The shown model to its defaults: one step.
    void Reset();

    // A number field committed (Enter or leaving it): 0 NBRK_EDIT, 1 PROG_EDIT.
    void TakeNumber(int field, std::string_view text);
    // A bar moved: 0 NBRK_BAR, 1 PROG_BAR; position as the bar shows it.
    void MoveScalarBar(int field, int32_t position);
    void PickBrake(int item);
    void PickCutOff(int item);
    // Text typed into the cut-off list: taken when it names an item (whether it did), else the
    // model keeps its value.
    bool TypeCutOff(std::string_view text);
    // The memo field's text, its lines ending in LF, CR LF or CR.
    void SetMemo(std::string_view fieldText);

    // The memo as the bank holds it: every line ended by CR LF, as a settings file reads it back,
    // so that a typed memo and the same memo from a file are equal. And back: the field's text,
    // LF line ends, without the last line's end. A round trip either way keeps every character.
    static std::string MemoFromField(std::string_view text);
    static std::string MemoToField(std::string_view memo);

    void EnterBar(int bar, bool shift);
    void KeyUpBar(int bar, bool shift);
    // A bar's scroll event; the position the bar takes comes back in the result.
    CurveEditing::Scrolled ScrollBar(int bar, TScrollCode code, int32_t requested, bool shift);
    CurveEditing::Scrolled ScrollAverage(int32_t requested);
    // Touch: a range chosen by a finger held on one bar and moved to another; a finger dragging
    // a bar (the selected range with it when the bar lies in it).
    void SelectRange(int anchor, int end);
    void DragBar(int bar, int32_t requested);

    // The straight line is shown while its question is open; the answer stores it (one step) or
    // puts the curve back, and the selection becomes its end.
    void ProposeLine();
    void AnswerLine(bool yes);
    bool Proposing() const { return proposing_; }

    // A setup from a settings file, a link or a history entry replaces the bank and is shown:
    // one step, and kept where it came from.
    void Open(const ModelBank& bank);
    // What to tell after opening a file: characters that could not be read (replaced of them)
    // and values outside their range, in one text; empty when there is nothing to tell.
    std::string OpenWarning(size_t replaced) const;
    // A settings file's bytes opened as Open opens a file: 0 loaded, 1 not a settings file, 2
    // unreadable (why in `message`); a refused file changes nothing. `warning` as OpenWarning.
    struct Loaded {
        int status = 0;
        std::string message;
        std::string warning;
    };
    Loaded Load(std::string_view bytes, std::string_view name);
    // The bank as a settings file.
    std::string SaveBytes() const;

    // Dragging tab `from` onto tab `to`: the question, empty when there is nothing to copy; the
    // copy is one step, and shows the model copied onto.
    std::string CopyQuestion(int from, int to) const;
    void Copy(int from, int to);

    // A gesture (a bar dragged, a field typed in) is one step until the pointer is released or
    // the focus moves.
    void EndGesture() { undo_.EndGesture(); }
    bool CanUndo() const { return undo_.CanUndo(); }
    bool CanRedo() const { return undo_.CanRedo(); }
    // Each shows the model the step changed; false when there was nothing to do.
    bool Undo();
    bool Redo();

    // Edits that would be lost: by opening a file, a link or a history entry, or leaving
    // (kAnyEdit); by reading all models (kSettings: memos live only in files, so a read keeps
    // them); by reading or resetting the shown model (kShownSettings).
    enum Loss { kAnyEdit = 0, kSettings = 1, kShownSettings = 2 };
    bool WouldLose(Loss loss) const;
    // The bank was saved or shared as a link: nothing is lost any more.
    void Kept() { baseline_.Take(bank_); }

    // Transfers. Before one: the gesture under way ends. When one has succeeded: what it made safe
    // on the controller (the settings it read or wrote; memos stay the files'). Once it has
    // ended, succeeded or not: the record of it that the history keeps entries of (the rule for
    // which entries is TransferHistory's), and the whole transfer one undo step.
    void BeginTransfer();
    void TransferSucceeded(TransferHistory::Kind kind, int shown);
    TransferHistory::Transfer Transferred(TransferHistory::Kind kind, int shown, const TransferResult& result,
                                          const std::optional<ModelBank>& before, std::string_view port,
                                          int64_t timeMs);

    // The time now, in milliseconds since 1970 (UTC), as the history keeps it.
    static int64_t NowMs();

private:
    ModelSettings& Shown() { return bank_.Model(bank_.ShownIndex()); }
    const ModelSettings& Shown() const { return bank_.Model(bank_.ShownIndex()); }
    void StoreMoved(uint32_t moved);
    // After an edit: the undo history notes it (a gesture's edits make one step).
    void Edited() { undo_.Note(bank_); }
    // Before and after a whole action: a step of its own.
    void BeginAction();
    void EndAction() { undo_.Record(bank_); }

    int language_;
    ModelBank bank_;
    DeviceBank staging_;
    CurveEditing curve_;
    CurveEditing::Positions proposal_{};
    bool proposing_ = false;
    int shownField_ = -1;
    UndoHistory undo_;
    BankBaseline baseline_;
};
