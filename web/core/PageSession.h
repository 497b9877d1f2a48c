#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include <vector>

#include "BankBaseline.h"
#include "CurveEditing.h"
#include "DeviceBank.h"
#include "HistoryEntry.h"
#include "ModelBank.h"
#include "TransferHistory.h"
#include "UndoHistory.h"

// What the page's window holds and decides, in standard C++: the bank, the staging copy for the
// transfers and the curve editor, with one operation per thing the user does. The page forwards
// input here and draws the view that comes back; the window's rules live in the core's classes.
class PageSession {
public:
    explicit PageSession(int language);

    int Language() const { return language_; }
    ModelBank& Bank() { return bank_; }
    DeviceBank& Staging() { return staging_; }

    // The shown model as the editors show it, as one JSON object (see web/main.js, render). The
    // memo's text is in it only when it differs from the text the page was last given or sent:
    // a memo of megabytes would otherwise travel with every scroll and keystroke.
    std::string ViewJson();

    // Puts the bank into the editors after a transfer or a load: the curve editor takes the
    // shown model and the selection is cleared.
    void ShowBank();
    // A press on tab t (0..4) shows that model; the selection stays.
    void SelectTab(int tab);
    void Reset();

    // A number field committed (Enter or leaving it): 0 NBRK_EDIT, 1 PROG_EDIT.
    void TakeNumber(int field, std::string_view text);
    // A bar moved: 0 NBRK_BAR, 1 PROG_BAR.
    void MoveScalarBar(int field, int32_t position);
    void PickBrake(int item);
    void PickCutOff(int item);
    // The memo field's text, lines ending in LF.
    void SetMemo(std::string_view text);

    void EnterBar(int bar, bool shift);
    void KeyUpBar(int bar, bool shift);
    void ScrollBar(int bar, TScrollCode code, int32_t requested, bool shift);
    void ScrollAverage(int32_t requested);
    // Touch: a range chosen by a finger held on one bar and moved to another; a finger dragging
    // a bar (the selected range with it when the bar lies in it).
    void SelectRange(int anchor, int end);
    void DragBar(int bar, int32_t requested);

    // The straight line is shown while its question is open; the answer stores it or puts the
    // curve back, and the selection becomes its end.
    void ProposeLine();
    void AnswerLine(bool yes);

    // A settings file's bytes replace the bank, which is then shown: 0 loaded, 1 not a settings
    // file, 2 unreadable (why in `message`); a refused file changes nothing. What it loads counts
    // as kept (a file, a link, a history entry).
    int Load(std::string_view bytes, std::string_view name, std::string& message, size_t& replaced);
    // The bank as the desktop saves it.
    std::string SaveBytes() const;

    // Dragging tab `from` onto tab `to`: the question, empty when there is nothing to copy.
    std::string CopyQuestion(int from, int to) const;
    void Copy(int from, int to);

    // Undo and redo, with the core's steps: each edit above is noted, a whole action (Reset, the
    // straight line, a copy, a load, a read) is a step of its own; the page ends a gesture when
    // the pointer is released or the focus moves. After a transfer the page records what it did.
    void EndGesture() { undo_.EndGesture(); }
    void RecordAction() { undo_.Record(bank_); }
    void Undo();
    void Redo();

    // Edits that would be lost, as the window asks about them: by opening a file, a link or a
    // history entry, or leaving (kAnyEdit); by reading all models (kSettings: memos live only in
    // files, so a read keeps them); by reading or resetting the shown model (kShownSettings).
    enum Loss { kAnyEdit = 0, kSettings = 1, kShownSettings = 2 };
    bool WouldLose(int loss) const;
    // The bank was saved or shared as a link: nothing is lost any more.
    void Kept() { baseline_.Take(bank_); }

    // After a transfer (Kind as TransferHistory's): what it made safe, and the history entries it
    // adds, compared with the newest kept before (see SetHistoryPrevious).
    void Transferred(TransferHistory::Kind kind, int shown, const TransferResult& result,
                     const std::optional<ModelBank>& before, std::string_view port, int64_t timeMs);
    // The newest entry the page keeps, as its settings file's bytes.
    void SetHistoryPrevious(std::string_view settings);
    // The entries added since the last call, as a JSON array of {"time", "action", "model",
    // "port", "changed", "memo"}; their bytes by index in HistorySettings until the next call.
    std::string TakeHistoryJson();
    const std::string& HistorySettings(int index) const;

    // One side of a comparison: the editors' bank, or a settings file's bytes.
    struct Side {
        bool editors = true;
        std::string_view bytes;
        std::string_view name;
    };
    // Two setups, model (0..4) side by side, as one JSON object: {"status": as Load's for the
    // first side that does not load, "message", "differs": [5 bools], "rows": [{"title",
    // "left", "right", "differs"}], "left": [32 in Hz], "right": [32 in Hz]}. The bank is not
    // changed.
    std::string CompareJson(const Side& left, const Side& right, int model) const;

    // The setting sheet of the bank, as the window prints it, as one JSON object: the texts
    // ("title", "subtitle", "currentMark", "memoLabel", "plotTitle", "memoContinued", "made"),
    // the kHz axis ("axis": [min, max, step]) and "models": five of {"name", "current",
    // "settings": [{"label", "value", "outside"}], "memo", "curve": [32 of {"hz", "step",
    // "outside"}]}. title names the settings file ("" for none); made is YYYY-MM-DD.
    std::string SheetJson(std::string_view title, std::string_view made) const;

private:
    ModelSettings& Shown() { return bank_.Model(bank_.ShownIndex()); }
    const ModelSettings& Shown() const { return bank_.Model(bank_.ShownIndex()); }
    void StoreMoved(uint32_t moved);

    int language_;
    ModelBank bank_;
    DeviceBank staging_;
    CurveEditing curve_;
    CurveEditing::Positions proposal_{};
    bool proposing_ = false;
    int shownField_ = -1;  // the point the value fields show, -1 the average
    UndoHistory undo_;
    BankBaseline baseline_;
    std::optional<HistoryEntry> previous_;   // the newest history entry, compared with the next
    std::vector<HistoryEntry> added_;        // added by transfers, not yet taken by the page
    std::vector<HistoryEntry> taken_;        // taken last, for their bytes
    std::optional<std::string> pageMemo_;  // the memo the page's field holds, as stored
};
