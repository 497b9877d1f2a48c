#include <gtest/gtest.h>

#include "CurveEditing.h"

namespace {

using Positions = CurveEditing::Positions;

// A curve at position 20 but for bar 4 at 51 (bottom) and bar 9 at 0 (top).
CurveEditing Curve()
{
    std::array<int32_t, 32> frq{};
    frq.fill(63 - 20);
    frq[4] = 12;
    frq[9] = 63;
    CurveEditing c;
    c.Show(frq);
    c.UpdateAverage();
    return c;
}

uint32_t Bits(int lo, int hi)
{
    uint32_t m = 0;
    for (int j = lo; j <= hi; ++j)
        m |= 1u << j;
    return m;
}

TEST(CurveEditing, ScrollMovesTheSelectionOrNothing)
{
    struct Case {
        int anchor, end;  // entered without, then with Shift
        int bar;
        TScrollCode code;
        int32_t requested;
        bool shift;
        int32_t position;  // what the scrolled bar takes
        uint32_t moved;
    };
    const Case cases[] = {
        {2, 3, 3, scLineDown, 21, true, 21, Bits(2, 3)},
        {3, 2, 2, scTrack, 15, true, 15, Bits(2, 3)},      // a dragged thumb jumps at once
        {2, 3, 7, scPageUp, 19, true, 19, Bits(2, 3) | Bits(7, 7)},
        {2, 5, 3, scLineDown, 21, true, 20, 0},            // bar 4 is at the bottom
        {8, 10, 8, scLineUp, 19, true, 20, 0},             // bar 9 is at the top
        {2, 5, 3, scLineDown, 21, false, 21, Bits(3, 3)},  // without Shift, the bar alone
        {2, 5, 3, scEndScroll, 25, true, 20, 0},
        {6, 6, 6, scBottom, 52, false, 20, 0},             // beyond the bar
        {6, 6, 6, scTop, -1, false, 20, 0},
    };
    for (const Case& t : cases) {
        CurveEditing c = Curve();
        c.Enter(t.anchor, false);
        c.Enter(t.end, true);
        const Positions before = c.BarPositions();
        const CurveEditing::Scrolled s = c.Scroll(t.bar, t.code, t.requested, t.shift);
        EXPECT_EQ(s.position, t.position) << t.anchor << ".." << t.end << " bar " << t.bar;
        EXPECT_EQ(s.moved, t.moved) << t.anchor << ".." << t.end << " bar " << t.bar;
        for (int j = 0; j < 32; ++j)
            EXPECT_EQ(c.Position(j), before[j] + (s.Moved(j) ? t.requested - 20 : 0)) << j;
        EXPECT_EQ(c.SelStart(), t.shift ? t.anchor : t.bar);
    }
}

TEST(CurveEditing, FingerChosenRangeAndDrag)
{
    struct Case {
        int anchor, end;   // chosen without Shift; -1 leaves the selection cleared
        int bar;           // dragged
        int32_t requested;
        int selStart, selEnd;  // afterwards
        uint32_t moved;
    };
    const Case cases[] = {
        {6, 2, 3, 18, 6, 2, Bits(2, 6)},     // inside the range: the range goes with it
        {2, 6, 6, 18, 2, 6, Bits(2, 6)},     // its end as well
        {2, 6, 7, 22, 7, 7, Bits(7, 7)},     // outside: the bar alone, and the selection is it
        {3, 5, 3, 22, 3, 5, 0},              // bar 4 at the bottom refuses a move of the range down
        {-1, 5, 5, 22, 5, 5, Bits(5, 5)},    // not a range: nothing chosen, the bar alone
        {5, 32, 5, 22, 5, 5, Bits(5, 5)},
    };
    for (const Case& t : cases) {
        CurveEditing c = Curve();
        c.ClearSelection();
        c.SelectRange(t.anchor, t.end);
        if (t.anchor < 0 || t.end > 31) {
            EXPECT_EQ(c.SelStart(), -1) << t.anchor << ".." << t.end;
            EXPECT_FALSE(c.InSelection(t.bar));
        }
        const Positions before = c.BarPositions();
        const CurveEditing::Scrolled s = c.Drag(t.bar, t.requested);
        EXPECT_EQ(s.moved, t.moved) << t.anchor << ".." << t.end << " bar " << t.bar;
        for (int j = 0; j < 32; ++j)
            EXPECT_EQ(c.Position(j), before[j] + (s.Moved(j) ? t.requested - before[t.bar] : 0)) << j;
        EXPECT_EQ(std::pair(c.SelStart(), c.SelEnd()), std::pair(t.selStart, t.selEnd)) << t.anchor << ".." << t.end;
    }
    // A half-set selection counts as its end.
    CurveEditing c = Curve();
    c.Enter(7, true);
    EXPECT_TRUE(c.InSelection(7));
    EXPECT_FALSE(c.InSelection(6));
    EXPECT_FALSE(c.InSelection(-1));
}

TEST(CurveEditing, LineIsAProposalUntilAccepted)
{
    CurveEditing c = Curve();
    c.Enter(8, false);
    c.Enter(4, true);  // from 51 up to 20, the anchor on the right
    const Positions line = c.ProposeLine();
    EXPECT_EQ((std::array{line[3], line[4], line[5], line[6], line[7], line[8], line[9]}),
              (std::array<int32_t, 7>{20, 51, 43, 35, 28, 20, 0}));  // 51 - 7.75k; -15.5 goes to -16
    EXPECT_EQ(c.Position(5), 20);
    Positions bad = line;
    bad[0] = 52;
    EXPECT_FALSE(c.Accept(bad));
    EXPECT_EQ(c.Position(5), 20);
    EXPECT_TRUE(c.Accept(line));
    EXPECT_EQ(c.BarPositions(), line);
    // Nothing selected: no bar moves.
    c.ClearSelection();
    EXPECT_EQ(c.ProposeLine(), c.BarPositions());
}

}  // namespace
