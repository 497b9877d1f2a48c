#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>

#include "CurveHarness.h"
#include "DriveFreqTable.h"
#include "MessageDialog.h"

namespace {

using Curve = std::array<int32_t, 32>;
using Positions = std::array<int, 32>;

int CellLeft(int i) { return 17 * i + 1 + 2 * (i / 8); }

Curve Flat(int32_t v)
{
    Curve c{};
    c.fill(v);
    return c;
}

// Cells of the gauge painted lime; every other cell must be navy.
std::vector<int> LimeCells(const QImage& img)
{
    std::vector<int> lime;
    for (int i = 0; i < 32; ++i) {
        const QRgb c = img.pixel(CellLeft(i) + 8, 3);
        EXPECT_TRUE(c == qRgb(0, 255, 0) || c == qRgb(0, 0, 128)) << "cell " << i;
        if (c == qRgb(0, 255, 0))
            lime.push_back(i);
    }
    return lime;
}

class CurveEditorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(h.active); }

    // The curve the bars show, as FRQ values.
    Curve OnBars() const
    {
        Curve c{};
        for (int i = 0; i < 32; ++i)
            c[static_cast<size_t>(i)] = 63 - h.Pos(i);
        return c;
    }
    void SetBars(std::initializer_list<std::pair<int, int>> at)
    {
        Curve c = Flat(16);
        for (auto [i, p] : at)
            c[static_cast<size_t>(i)] = 63 - p;
        h.SetCurve(c);
    }
    // Press and release each go to the focused widget, as the keyboard delivers them.
    static void Type(Qt::Key key)
    {
        QTest::keyPress(QApplication::focusWidget(), key);
        QTest::keyRelease(QApplication::focusWidget(), key);
    }
    void Click(int i, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(h.Bar(i), Qt::LeftButton, mods, CurveHarness::Thumb(h.Bar(i)));
    }
    void Select(int a, int b)
    {
        Click(a);
        Click(b, Qt::ShiftModifier);
        ASSERT_EQ(h.curve->SelStart(), a);
        ASSERT_EQ(h.curve->SelEnd(), b);
    }

    CurveHarness h;
};

TEST_F(CurveEditorTest, ShowingLimitsBarsAndAveragesWhatTheBarsShow)
{
    EXPECT_EQ(h.curve->AvgBar()->value(), 47);  // the flat default curve
    EXPECT_EQ(h.curve->FRQ_NUM->text(), "AVG");
    EXPECT_EQ(h.curve->FRQ_F->text(), "5");
    EXPECT_EQ(h.curve->FRQ_VAL->text().toStdString(), DriveFreqTable::KHz(16));
    EXPECT_TRUE(LimeCells(h.curve->GaugeImage()).empty());

    Curve c = Flat(20);
    c[0] = 70;
    c[1] = 5;
    c[2] = 63;
    h.SetCurve(c);
    EXPECT_EQ(h.Pos(0), 0);
    EXPECT_EQ(h.Pos(1), 51);
    EXPECT_EQ(h.Shown().FRQ, c);                     // showing writes nothing back
    EXPECT_EQ(h.curve->AvgBar()->value(), 63 - 22);  // (63 + 12 + 63 + 29 * 20) / 32
}

TEST_F(CurveEditorTest, GaugeFramesStayAndOnlyTheRangeIsLime)
{
    QWidget page;
    EditorContext ctx{h.session, 1, {}, {}, {}};
    TCurveEditor fresh(&page, ctx);
    const QImage before = fresh.GaugeImage();
    ASSERT_EQ(before.size(), QSize(551, 7));
    for (int x0 : {0, 138, 276, 414}) {
        EXPECT_EQ(before.pixel(x0 + 70, 0), qRgb(128, 128, 128));
        EXPECT_EQ(before.pixel(x0, 6), qRgb(128, 128, 128));
        EXPECT_EQ(before.pixel(x0 + 1, 6), qRgb(255, 255, 255));
        EXPECT_EQ(before.pixel(x0 + 136, 3), qRgb(255, 255, 255));
        EXPECT_EQ(before.pixel(x0 + 17, 3), qRgb(255, 255, 255));  // after the first cell
        EXPECT_EQ(before.pixel(x0 + 1, 3), qRgb(0, 0, 0));
        EXPECT_EQ(before.pixel(std::min(x0 + 137, 550), 3), x0 < 414 ? qRgb(212, 208, 200) : qRgb(255, 255, 255));
    }
    fresh.DrawSelectGauge(12, 7);
    const QImage after = fresh.GaugeImage();
    EXPECT_EQ(LimeCells(after), (std::vector{7, 8, 9, 10, 11, 12}));
    int changed = 0;
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 551; ++x)
            changed += after.pixel(x, y) != before.pixel(x, y);
    EXPECT_EQ(changed, 32 * 16 * 5);  // every cell, nothing else
    EXPECT_EQ(fresh.Select_Gage1->grab().toImage().convertToFormat(QImage::Format_RGB32), after);
    fresh.DrawSelectGauge(-1, 9);
    EXPECT_TRUE(LimeCells(fresh.GaugeImage()).empty());
}

TEST_F(CurveEditorTest, ShiftSelectedRangeMovesInParallel)
{
    Curve c = Flat(30);
    c[3] = 40;
    h.SetCurve(c);
    Click(3);
    EXPECT_EQ(h.curve->FRQ_NUM->text(), "FRQ4");
    EXPECT_EQ(h.curve->FRQ_F->text(), "29");
    EXPECT_EQ(LimeCells(h.curve->GaugeImage()), (std::vector{3}));

    Select(2, 6);
    EXPECT_EQ(LimeCells(h.curve->GaugeImage()), (std::vector{2, 3, 4, 5, 6}));
    QTest::keyPress(h.Bar(6), Qt::Key_Down, Qt::ShiftModifier);
    for (int j = 2; j <= 6; ++j)
        c[static_cast<size_t>(j)] -= 1;
    EXPECT_EQ(h.Shown().FRQ, c);
    EXPECT_EQ(OnBars(), c);
    EXPECT_EQ(h.curve->AvgBar()->value(), 63 - 30);  // (27 * 30 + 4 * 29 + 39) / 32

    // Shift still held: the bar's arrow button moves the range again; a Shift-click on another
    // bar's arrow first makes that bar the end of the range.
    QTest::mouseClick(h.Bar(6), Qt::LeftButton, Qt::ShiftModifier, CurveHarness::DownArrow(h.Bar(6)));
    QTest::mouseClick(h.Bar(3), Qt::LeftButton, Qt::ShiftModifier, CurveHarness::DownArrow(h.Bar(3)));
    c[2] -= 2, c[3] -= 2, c[4] -= 1, c[5] -= 1, c[6] -= 1;
    EXPECT_EQ(h.Shown().FRQ, c);
    EXPECT_EQ(OnBars(), c);

    // Releasing Shift reduces the selection to the focused bar; a plain scroll moves one bar.
    QTest::keyRelease(h.Bar(3), Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(LimeCells(h.curve->GaugeImage()), (std::vector{3}));
    Select(2, 6);
    QTest::keyClick(h.Bar(6), Qt::Key_Up);
    c[6] += 1;
    EXPECT_EQ(h.Shown().FRQ, c);
    EXPECT_EQ(h.curve->SelStart(), 6);
}

TEST_F(CurveEditorTest, DraggedThumbAppliesEveryStepAtOnce)
{
    const QPoint start = CurveHarness::Thumb(h.Bar(1));
    QTest::mousePress(h.Bar(1), Qt::LeftButton, {}, start);
    QTest::mouseMove(h.Bar(1), start - QPoint(0, 40));
    const int during = h.Pos(1);
    EXPECT_LT(during, 47);
    EXPECT_EQ(h.Shown().FRQ[1], 63 - during);  // before the release
    EXPECT_EQ(h.curve->FRQ_F->text(), QString::number(52 - during));
    QTest::mouseRelease(h.Bar(1), Qt::LeftButton, {}, start - QPoint(0, 40));
    EXPECT_EQ(h.Shown().FRQ[1], 63 - during);
}

TEST_F(CurveEditorTest, NoBarOutsideTheCurveIsAddressed)
{
    // Right after clearing, a bar entered with Shift held sets only the selection's end; such a
    // half-set selection acts on its end alone.
    h.curve->SetShiftQuery([] { return true; });
    h.Bar(5)->setFocus(Qt::TabFocusReason);
    h.curve->SetShiftQuery({});
    ASSERT_EQ(h.curve->SelStart(), -1);
    ASSERT_EQ(h.curve->SelEnd(), 5);
    QTest::keyPress(h.Bar(5), Qt::Key_Down, Qt::ShiftModifier);
    Curve c = Flat(16);
    c[5] = 15;
    EXPECT_EQ(h.Shown().FRQ, c);
    EXPECT_EQ(OnBars(), c);

    // A Shift-scrolled bar outside the range moves with it, and its point with the bar.
    Select(2, 3);
    h.curve->SetShiftQuery([] { return true; });
    int pos = h.Pos(10) + 1;
    h.curve->FRQScroll(h.Bar(10), scLineDown, pos);
    EXPECT_EQ(pos, 48);
    c[2] = c[3] = c[10] = 15;
    EXPECT_EQ(h.Shown().FRQ, c);
    EXPECT_EQ(OnBars(), c);
}

TEST_F(CurveEditorTest, AverageBarShiftsTheWholeCurveOrNothing)
{
    SetBars({{7, 33}, {9, 51}});
    Curve c = h.Shown().FRQ;
    Click(3);
    h.curve->AvgBar()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(h.curve->AvgBar(), Qt::Key_Down);  // bar 9 is at the bottom
    EXPECT_EQ(h.curve->AvgBar()->value(), 47);
    EXPECT_EQ(h.Shown().FRQ, c);
    EXPECT_EQ(h.curve->SelStart(), 3);

    QTest::keyClick(h.curve->AvgBar(), Qt::Key_Up);
    for (auto& v : c)
        v += 1;
    EXPECT_EQ(h.Shown().FRQ, c);
    EXPECT_EQ(OnBars(), c);
    EXPECT_EQ(h.curve->AvgBar()->value(), 46);
    EXPECT_EQ(h.curve->SelStart(), -1);
    EXPECT_EQ(h.curve->FRQ_NUM->text(), "AVG");
    EXPECT_EQ(h.curve->FRQ_F->text(), "6");
    EXPECT_TRUE(LimeCells(h.curve->GaugeImage()).empty());
}

TEST_F(CurveEditorTest, HorizontalArrowsMoveTheFocusNeverABar)
{
    Click(0);
    Type(Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), h.Bar(0));
    Click(31);
    Type(Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), h.Bar(31));
    Type(Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), h.curve->AvgBar());
    Type(Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), h.curve->AvgBar());
    Click(3);
    Type(Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), h.Bar(4));
    EXPECT_EQ(h.curve->FRQ_NUM->text(), "FRQ5");
    Type(Qt::Key_Left);
    Type(Qt::Key_Left);
    EXPECT_EQ(h.curve->SelStart(), 2);
    QTest::keyPress(h.Bar(2), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyPress(h.Bar(3), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(h.curve->SelStart(), 2);
    EXPECT_EQ(h.curve->SelEnd(), 4);
    EXPECT_EQ(OnBars(), Flat(16));
    EXPECT_EQ(h.Shown().FRQ, Flat(16));
}

TEST_F(CurveEditorTest, InterpolationIsShownWhileAskedAndRoundsTiesToEven)
{
    SetBars({{0, 10}, {4, 20}});
    Select(0, 4);
    Curve whileAsked{};
    h.presenter.onPresent = [&](const MessageRequest&) { whileAsked = OnBars(); };
    h.presenter.answers = {DialogResult::Yes};
    h.curve->SpeedButton1Click();
    ASSERT_EQ(h.presenter.requests.size(), 1u);
    EXPECT_EQ(h.presenter.requests[0].text, "Okay?");
    EXPECT_EQ(h.presenter.requests[0].style, 0x20u + 4u);  // question, Yes and No
    // Positions 10, 12 (2.5 gives 2), 15, 18 (7.5 gives 8), 20.
    EXPECT_EQ((std::array{whileAsked[1], whileAsked[2], whileAsked[3]}), (std::array{63 - 12, 63 - 15, 63 - 18}));
    EXPECT_EQ(h.Shown().FRQ, whileAsked);
    EXPECT_EQ(LimeCells(h.curve->GaugeImage()), (std::vector{4}));
    EXPECT_EQ(h.curve->FRQ_NUM->text(), "FRQ5");
}

TEST_F(CurveEditorTest, InterpolationAnswerDecidesWhatIsStored)
{
    Curve c{};
    for (int i = 0; i < 32; ++i)
        c[static_cast<size_t>(i)] = 12 + (i * 7) % 52;
    c[30] = 70;  // shown at the top of its bar
    h.SetCurve(c);
    const Curve before = OnBars();
    Select(3, 20);
    h.presenter.answers = {DialogResult::No};
    h.curve->SpeedButton1Click();
    EXPECT_EQ(OnBars(), before);
    EXPECT_EQ(h.Shown().FRQ, c);

    Select(3, 20);
    h.curve->SpeedButton1Click();
    EXPECT_NE(OnBars(), before);
    EXPECT_EQ(h.Shown().FRQ, OnBars());  // every point is stored from its bar, 30 included
    EXPECT_EQ(h.bank.Model(1).FRQ, Flat(16));

    // Without a selection nothing moves, but the question is still asked.
    h.curve->ClearFrqSelection();
    const Curve now = OnBars();
    h.curve->SpeedButton1Click();
    EXPECT_EQ(h.presenter.requests.size(), 3u);
    EXPECT_EQ(OnBars(), now);
    EXPECT_EQ(h.curve->FRQ_NUM->text(), "AVG");
}

}  // namespace
