#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ModelBank.h"

// Undo and redo of the editors' bank by whole-bank snapshots (a bank is a few kilobytes, so no
// edit needs an inverse of its own). The front ends tell it what the bank holds after each input
// and when a gesture ends; what makes one step is decided here:
// - an edit that goes on touching the same settings of the same model while its gesture lasts
//   (a bar dragged, a field typed in, a bar stepped by keys) is one step;
// - a whole action (Reset, the straight line, a copy, Open, a link, a read) is always a step of
//   its own;
// - switching the shown model is no step, but undo and redo show the model they change.
class UndoHistory {
public:
    // The bank as it stands is the start: nothing to undo or redo.
    void Start(const ModelBank& bank);

    // After input that may have edited the bank. Whether a step was added or extended.
    bool Note(const ModelBank& bank);
    // After a whole action; a step of its own when it changed anything. Whether it did.
    bool Record(const ModelBank& bank);
    // The gesture under way has ended (the mouse released, the focus moved): the next edit
    // begins a new step.
    void EndGesture() { open_ = false; }

    bool CanUndo() const { return !undo_.empty(); }
    bool CanRedo() const { return !redo_.empty(); }
    // current: the bank as it stands now, taken as an edit first if it is one. Gives the bank
    // before the last step, showing the model that step changed (or the model shown then, when it
    // changed several); false when there is nothing to undo.
    bool Undo(ModelBank& current);
    // The bank as it was before the last undo; false when there is nothing to redo. An edit
    // already made since then has dropped the steps to redo.
    bool Redo(ModelBank& current);

    size_t UndoSteps() const { return undo_.size(); }
    size_t RedoSteps() const { return redo_.size(); }

    // At most this many steps are kept, and snapshots of at most about this many bytes (long
    // memos); the oldest go first, the last step always stays.
    static constexpr size_t kMaxSteps = 500;
    static constexpr size_t kMaxBytes = size_t{64} << 20;

private:
    // What an edit touched: one model's fields (a bit each), or several models.
    struct Touch {
        int model = -1;  // -1: more than one model, or the system byte
        uint32_t fields = 0;
        bool operator==(const Touch&) const = default;
    };
    static Touch Touched(const ModelBank& before, const ModelBank& after);
    static bool SameContent(const ModelBank& a, const ModelBank& b);
    // to shows the one model a step between from and to changed, if it changed just one.
    static void ShowTouched(const ModelBank& from, ModelBank& to);
    static size_t SizeOf(const ModelBank& bank);
    void Push(std::vector<ModelBank>& stack, ModelBank bank);
    void Trim();

    ModelBank current_;
    std::vector<ModelBank> undo_;  // the bank before each step, oldest first
    std::vector<ModelBank> redo_;  // the bank after each undone step, last undone last
    bool open_ = false;            // the last step may still grow
    Touch openTouch_;
    size_t bytes_ = 0;
};
