#include "UndoHistory.h"

#include <algorithm>
#include <utility>

namespace {
constexpr uint32_t kNbrk = 1, kBfreq = 2, kVlt = 4, kProg = 8, kFrq = 16, kMemo = 32;
}  // namespace

void UndoHistory::Start(const ModelBank& bank)
{
    current_ = bank;
    undo_.clear();
    redo_.clear();
    open_ = false;
    bytes_ = 0;
}

bool UndoHistory::SameContent(const ModelBank& a, const ModelBank& b)
{
    return a.models == b.models && a.SYS_CUR == b.SYS_CUR;
}

UndoHistory::Touch UndoHistory::Touched(const ModelBank& before, const ModelBank& after)
{
    Touch t;
    int models = 0;
    for (int i = 0; i < ModelBank::kModels; ++i) {
        const ModelSettings& a = before.Model(i);
        const ModelSettings& b = after.Model(i);
        if (a == b)
            continue;
        ++models;
        t.model = i;
        t.fields = (a.NBRK != b.NBRK ? kNbrk : 0u) | (a.BFREQ != b.BFREQ ? kBfreq : 0u) | (a.VLT != b.VLT ? kVlt : 0u) |
                   (a.PROG != b.PROG ? kProg : 0u) | (a.FRQ != b.FRQ ? kFrq : 0u) | (a.MEMO != b.MEMO ? kMemo : 0u);
    }
    if (models != 1 || before.SYS_CUR != after.SYS_CUR)
        return Touch{};
    return t;
}

bool UndoHistory::Note(const ModelBank& bank)
{
    if (SameContent(bank, current_)) {
        current_.ModelNumber = bank.ModelNumber;  // only another model shown
        return false;
    }
    const Touch touch = Touched(current_, bank);
    // Several models at once is never a typed or dragged edit: it stays a step of its own.
    const bool grows = open_ && touch.model >= 0 && touch == openTouch_ && !undo_.empty();
    if (!grows)
        Push(undo_, current_);
    for (const ModelBank& b : redo_)
        bytes_ -= SizeOf(b);
    redo_.clear();
    current_ = bank;
    open_ = true;
    openTouch_ = touch;
    Trim();
    return true;
}

bool UndoHistory::Record(const ModelBank& bank)
{
    open_ = false;
    const bool changed = Note(bank);
    open_ = false;
    return changed;
}

bool UndoHistory::Undo(ModelBank& current)
{
    Note(current);
    open_ = false;
    if (undo_.empty())
        return false;
    Push(redo_, current);
    current = std::move(undo_.back());
    undo_.pop_back();
    bytes_ -= SizeOf(current);
    ShowTouched(redo_.back(), current);
    current_ = current;
    return true;
}

bool UndoHistory::Redo(ModelBank& current)
{
    // An edit not yet noted would drop the steps to redo: it is taken first, as any edit is.
    Note(current);
    open_ = false;
    if (redo_.empty())
        return false;
    Push(undo_, current);
    current = std::move(redo_.back());
    redo_.pop_back();
    bytes_ -= SizeOf(current);
    current_ = current;
    return true;
}

void UndoHistory::ShowTouched(const ModelBank& from, ModelBank& to)
{
    // The model shown when a step began need not be the one it changed (a copy by drag begins on
    // the dragged tab): the model changed is the one to see.
    if (const Touch touch = Touched(from, to); touch.model >= 0)
        to.ModelNumber = touch.model * ModelBank::kModelStep;
}

size_t UndoHistory::SizeOf(const ModelBank& bank)
{
    size_t n = sizeof(ModelBank);
    for (const ModelSettings& m : bank.models)
        n += m.MEMO.size();
    return n;
}

void UndoHistory::Push(std::vector<ModelBank>& stack, ModelBank bank)
{
    bytes_ += SizeOf(bank);
    stack.push_back(std::move(bank));
}

void UndoHistory::Trim()
{
    size_t drop = 0;
    size_t bytes = bytes_;
    while (undo_.size() - drop > 1 && (undo_.size() - drop > kMaxSteps || bytes > kMaxBytes))
        bytes -= SizeOf(undo_[drop++]);
    undo_.erase(undo_.begin(), undo_.begin() + static_cast<std::ptrdiff_t>(drop));
    bytes_ = bytes;
}
