#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "DriveFreqTable.h"
#include "ModelSettings.h"

// Kind of a scroll event of a curve bar; scEndScroll ends a button press or a thumb drag.
enum TScrollCode {
    scLineUp,
    scLineDown,
    scPageUp,
    scPageDown,
    scPosition,
    scTrack,
    scTop,
    scBottom,
    scEndScroll,
};

// What the drive-frequency curve editor decides, apart from how it draws it: the positions of
// the 32 bars and of the average bar, the selected range, and what a scroll, the average bar and
// the straight line do to them. A position runs from 0 (top, value 63) to 51 (bottom, value 12).
// Front ends show these positions and store the values of the points a call reports as moved
// into the shown model; nothing here touches a model.
class CurveEditing {
public:
    static constexpr int kPoints = ModelSettings::kFrqPoints;
    static constexpr int32_t kMaxPosition = 51;
    using Positions = std::array<int32_t, kPoints>;

    // Which bars a scroll moved (bit j for bar j), and the position the scrolled bar takes:
    // its current one when the move is refused.
    struct Scrolled {
        int32_t position = 0;
        uint32_t moved = 0;
        bool Moved(int bar) const { return bar >= 0 && bar < kPoints && (moved >> bar & 1u) != 0; }
    };

    // The texts of the value fields for a point or the average.
    struct PointTexts {
        std::string name;  // "FRQ1".."FRQ32" or "AVG"
        std::string step;  // 1..52
        std::string kHz;   // "9.05kHz"
    };

    // Each bar to the position of its point, limited to the bar's range. Writes nothing back:
    // a value the bar cannot show stays in the model until that point is edited.
    void Show(const std::array<int32_t, kPoints>& frq);
    // The average bar from the mean of the values the bars show (remainder dropped).
    void UpdateAverage();

    const Positions& BarPositions() const { return positions_; }
    // Position of bar i (0..31); any other index reads the average bar.
    int32_t Position(int i) const;
    int32_t AvgPosition() const { return avg_; }
    static int32_t ValueOf(int32_t position) { return DriveFreqTable::ValueOfPosition(position); }
    // Texts for bar index (0..31), or for the average (any other index, -1 by convention).
    PointTexts Texts(int index) const;

    int SelStart() const { return selStart_; }
    int SelEnd() const { return selEnd_; }
    // The selection as a range of valid bars. An anchor of -1 with a valid end (a bar entered
    // with Shift right after clearing) counts as the single bar at its end.
    std::optional<std::pair<int, int>> SelectedRange() const;
    // Whether gauge cell i is lit for the range between a and b; none when the lower end is -1.
    static bool GaugeLit(int a, int b, int cell);

    void ClearSelection();
    // A bar gains the focus: without Shift it becomes the anchor, and always the end.
    void Enter(int bar, bool shift);
    // A key comes up on a bar: without Shift the selection shrinks to that bar.
    void KeyUp(int bar, bool shift);
    // Left and Right never move a bar, they move the focus along the bars: Right on the last
    // bar and Left on the first (or on the average bar, which counts as index 0) go nowhere.
    static bool ArrowMovesFocus(int index, bool right) { return right ? index != kPoints - 1 : index != 0; }
    // After the straight line the selection is its end alone.
    void CollapseToEnd() { selStart_ = selEnd_; }
    // A range chosen without Shift (a finger held on one bar, then moved across others): the
    // anchor and the end at once. Nothing unless both are bars.
    void SelectRange(int anchor, int end);
    // Whether bar i lies in the selected range.
    bool InSelection(int bar) const;

    // A scroll of bar i to the requested position. Without Shift the selection first becomes
    // bar i. The end-of-scroll event moves nothing. Otherwise the selected range (and the
    // scrolled bar, should it lie outside it) moves by the same step, or nothing does when any
    // of them would leave 0..51.
    Scrolled Scroll(int bar, TScrollCode code, int32_t requested, bool shift);
    // A finger dragging bar i to the requested position: a bar of the selected range takes the
    // range with it, any other bar moves alone and becomes the selection. The same refusal at
    // the edges as a scroll.
    Scrolled Drag(int bar, int32_t requested);
    // The average bar scrolled to the requested position: every bar moves by the same step, or
    // none when any would leave 0..51. A move clears the selection.
    Scrolled ShiftAll(int32_t requested);

    // The straight line between the ends of the selected range as all 32 positions; the
    // selection's ends and the bars outside it keep theirs. Changes nothing until accepted.
    Positions ProposeLine() const;
    // Takes a proposal the user confirmed; false and no change if any position lies outside 0..51.
    bool Accept(const Positions& proposal);

    // Step k (0..n) of the line over n bars rising by d: the integer nearest to (d / n) * k, ties
    // to even, with the quotient and the product each rounded to a 64-bit mantissa as the x87
    // extended format does, so that the bars land where they always have. Exact for |d| < 2^31,
    // 1 <= n < 2^31; 0 outside that domain.
    static int32_t LineStep(int32_t d, int32_t n, int32_t k);

private:
    static bool InRange(int64_t position) { return position >= 0 && position <= kMaxPosition; }
    static bool IsBar(int i) { return i >= 0 && i < kPoints; }

    Positions positions_ = DefaultPositions();
    int32_t avg_ = DriveFreqTable::BarPosition(ModelSettings::kDefaultFRQ);
    int selStart_ = -1;
    int selEnd_ = -1;

    static Positions DefaultPositions()
    {
        Positions p{};
        p.fill(DriveFreqTable::BarPosition(ModelSettings::kDefaultFRQ));
        return p;
    }
};
