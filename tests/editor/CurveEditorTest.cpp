#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>

#include "CurveHarness.h"
#include "DriveFreqTable.h"
#include "MessageDialog.h"

namespace {

using Curve = std::array<int32_t, ModelSettings::kFrqPoints>;

constexpr QRgb kLime = 0xFF00FF00;
constexpr QRgb kNavy = 0xFF000080;

int CellLeft(int i) { return 17 * i + 1 + 2 * (i / 8); }

Curve Flat(int32_t v)
{
    Curve c{};
    c.fill(v);
    return c;
}

// Positions of the bars, as FRQ values would be stored from them.
Curve FromPositions(const std::array<int, 32>& pos)
{
    Curve c{};
    for (size_t i = 0; i < c.size(); ++i)
        c[i] = 63 - pos[i];
    return c;
}

std::array<int, 32> Positions(const CurveHarness& h)
{
    std::array<int, 32> p{};
    for (int i = 0; i < 32; ++i)
        p[static_cast<size_t>(i)] = h.Pos(i);
    return p;
}

// Which gauge cells are lime; every pixel of a cell must agree, and every cell must be lime or navy.
std::vector<int> LimeCells(const QImage& img)
{
    std::vector<int> lime;
    for (int i = 0; i < 32; ++i) {
        const QRgb first = img.pixel(CellLeft(i), 1);
        for (int y = 1; y <= 5; ++y)
            for (int x = CellLeft(i); x < CellLeft(i) + 16; ++x)
                EXPECT_EQ(img.pixel(x, y), first) << "cell " << i << " at " << x << "," << y;
        EXPECT_TRUE(first == kLime || first == kNavy) << "cell " << i;
        if (first == kLime)
            lime.push_back(i);
    }
    return lime;
}

std::vector<int> Range(int lo, int hi)
{
    std::vector<int> r;
    for (int i = lo; i <= hi; ++i)
        r.push_back(i);
    return r;
}

class CurveEditorTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(h.active); }

    // A key typed as the keyboard delivers it: press and release each go to the focused widget.
    static void Type(Qt::Key key, Qt::KeyboardModifiers mods = {})
    {
        QTest::keyPress(QApplication::focusWidget(), key, mods);
        QTest::keyRelease(QApplication::focusWidget(), key, mods);
    }

    void Click(int i, Qt::KeyboardModifiers mods = {})
    {
        QTest::mouseClick(h.Bar(i), Qt::LeftButton, mods, CurveHarness::Thumb(h.Bar(i)));
    }

    CurveHarness h;
};

TEST_F(CurveEditorTest, ControlsCarryTheirNamesAndGeometry)
{
    for (int i = 0; i < 32; ++i) {
        QScrollBar* bar = h.page->findChild<QScrollBar*>(QStringLiteral("FRQ_%1").arg(i));
        ASSERT_EQ(bar, h.Bar(i));
        EXPECT_EQ(bar->geometry(), QRect(20 + 17 * i + 2 * (i / 8), 128, 16, 170)) << i;
        EXPECT_EQ(bar->orientation(), Qt::Vertical);
        EXPECT_EQ(bar->maximum(), 51);
        EXPECT_TRUE(bar->toolTip().isEmpty());
    }
    QScrollBar* avg = h.page->findChild<QScrollBar*>("AVG_BAR");
    ASSERT_EQ(avg, h.curve->AvgBar());
    EXPECT_GT(avg->x(), h.Bar(31)->geometry().right());
    EXPECT_EQ(avg->size(), QSize(20, 170));
    QLabel* gauge = h.page->findChild<QLabel*>("Select_Gage1");
    ASSERT_NE(gauge, nullptr);
    EXPECT_EQ(gauge->geometry(), QRect(19, 300, 551, 7));
    for (const char* name : {"FRQ_NUM", "FRQ_F", "FRQ_VAL"})
        EXPECT_NE(h.page->findChild<QLineEdit*>(name), nullptr) << name;

    // The focus order runs along the bars and on to the average bar.
    for (int i = 0; i < 31; ++i)
        EXPECT_EQ(h.Bar(i)->nextInFocusChain(), h.Bar(i + 1)) << i;
    EXPECT_EQ(h.Bar(31)->nextInFocusChain(), avg);
}

TEST_F(CurveEditorTest, FlatDefaultCurveShowsTheAverage)
{
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(h.Pos(i), 47);
    EXPECT_EQ(h.curve->AvgBar()->value(), 47);
    EXPECT_EQ(h.curve->FRQ_NUM->text(), "AVG");
    EXPECT_EQ(h.curve->FRQ_F->text(), "5");
    EXPECT_EQ(h.curve->FRQ_VAL->text().toStdString(), DriveFreqTable::KHz(16));
    EXPECT_EQ(h.curve->SelStart(), -1);
    EXPECT_EQ(h.curve->SelEnd(), -1);
    EXPECT_TRUE(LimeCells(h.curve->GaugeImage()).empty());
}

TEST_F(CurveEditorTest, ShowingLimitsBarsWithoutTouchingTheModel)
{
    Curve c = Flat(20);
    c[0] = 70;   // above the top of the bar
    c[1] = 5;    // below its bottom
    c[2] = 63;
    h.SetCurve(c);
    EXPECT_EQ(h.Pos(0), 0);
    EXPECT_EQ(h.Pos(1), 51);
    EXPECT_EQ(h.Pos(2), 0);
    EXPECT_EQ(h.Pos(3), 43);
    EXPECT_EQ(h.Shown().FRQ, c);
    // The average reads the bars: (63 + 12 + 63 + 29 * 20) / 32 = 22 (718 / 32, remainder dropped).
    EXPECT_EQ(h.curve->AvgBar()->value(), 63 - 22);
}

TEST_F(CurveEditorTest, GaugePictureHasFourSunkenFrames)
{
    // A fresh editor shows the initial picture: nothing drawn over it yet.
    QWidget page;
    EditorContext ctx{h.bank, 1, {}, {}, {}};
    TCurveEditor fresh(&page, ctx);
    const QImage img = fresh.GaugeImage();
    ASSERT_EQ(img.size(), QSize(551, 7));
    const QRgb background = qRgb(212, 208, 200), grey = qRgb(128, 128, 128), white = qRgb(255, 255, 255),
               black = qRgb(0, 0, 0);
    for (int g = 0; g < 4; ++g) {
        const int x0 = 138 * g, x1 = x0 + 136;
        for (int x = x0; x <= x1; ++x)
            EXPECT_EQ(img.pixel(x, 0), grey) << x;
        for (int y = 0; y < 7; ++y)
            EXPECT_EQ(img.pixel(x0, y), grey) << x0 << "," << y;
        for (int x = x0 + 1; x <= x1; ++x)
            EXPECT_EQ(img.pixel(x, 6), white) << x;
        for (int y = 1; y < 7; ++y)
            EXPECT_EQ(img.pixel(x1, y), white) << x1 << "," << y;
        for (int c = 0; c < 8; ++c) {
            const int cx = x0 + 1 + 17 * c;
            for (int y = 1; y <= 5; ++y) {
                EXPECT_EQ(img.pixel(cx, y), black);
                EXPECT_EQ(img.pixel(cx + 15, y), black);
                EXPECT_EQ(img.pixel(cx + 16, y), white) << "separator after cell " << c;
            }
        }
        if (g < 3) {
            for (int y = 0; y < 7; ++y)
                EXPECT_EQ(img.pixel(x1 + 1, y), background);
        }
    }
    // Cell i of the formula lies inside frame i div 8.
    EXPECT_EQ(CellLeft(8), 139);
    EXPECT_EQ(CellLeft(31) + 15, 549);
}

TEST_F(CurveEditorTest, GaugeMarksExactlyTheRangeAndKeepsItsFrames)
{
    QWidget page;
    EditorContext ctx{h.bank, 1, {}, {}, {}};
    TCurveEditor fresh(&page, ctx);
    const QImage before = fresh.GaugeImage();
    fresh.DrawSelectGauge(12, 7);  // either order
    const QImage after = fresh.GaugeImage();
    EXPECT_EQ(LimeCells(after), Range(7, 12));
    // Nothing outside the cells changed.
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 551; ++x) {
            bool inCell = false;
            for (int i = 0; i < 32; ++i)
                inCell = inCell || (y >= 1 && y <= 5 && x >= CellLeft(i) && x < CellLeft(i) + 16);
            if (!inCell) {
                ASSERT_EQ(after.pixel(x, y), before.pixel(x, y)) << x << "," << y;
            }
        }
    // The picture on screen is the picture drawn.
    EXPECT_EQ(fresh.Select_Gage1->grab().toImage().convertToFormat(QImage::Format_RGB32), after);

    fresh.DrawSelectGauge(-1, 9);
    EXPECT_TRUE(LimeCells(fresh.GaugeImage()).empty());
    fresh.DrawSelectGauge(31, 31);
    EXPECT_EQ(LimeCells(fresh.GaugeImage()), Range(31, 31));
}

TEST_F(CurveEditorTest, ClickingABarSelectsItAndShowsItsValue)
{
    Curve c = Flat(16);
    c[3] = 40;
    h.SetCurve(c);
    Click(3);
    EXPECT_EQ(QApplication::focusWidget(), h.Bar(3));
    EXPECT_EQ(h.curve->FRQ_NUM->text(), "FRQ4");
    EXPECT_EQ(h.curve->FRQ_F->text(), "29");
    EXPECT_EQ(h.curve->FRQ_VAL->text().toStdString(), DriveFreqTable::KHz(40));
    EXPECT_EQ(h.curve->SelStart(), 3);
    EXPECT_EQ(h.curve->SelEnd(), 3);
    EXPECT_EQ(LimeCells(h.curve->GaugeImage()), Range(3, 3));
    EXPECT_EQ(h.Shown().FRQ, c);  // a click without movement stores nothing new
}

TEST_F(CurveEditorTest, ShiftClickExtendsAndShiftScrollMovesTheRangeInParallel)
{
    Curve c = Flat(30);
    c[4] = 40;
    h.SetCurve(c);
    const auto before = Positions(h);
    Click(2);
    Click(6, Qt::ShiftModifier);
    EXPECT_EQ(h.curve->SelStart(), 2);
    EXPECT_EQ(h.curve->SelEnd(), 6);
    EXPECT_EQ(LimeCells(h.curve->GaugeImage()), Range(2, 6));

    QTest::keyPress(h.Bar(6), Qt::Key_Down, Qt::ShiftModifier);
    auto expected = before;
    for (int j = 2; j <= 6; ++j)
        expected[static_cast<size_t>(j)] += 1;
    EXPECT_EQ(Positions(h), expected);
    Curve stored = c;
    for (int j = 2; j <= 6; ++j)
        stored[static_cast<size_t>(j)] -= 1;
    EXPECT_EQ(h.Shown().FRQ, stored);
    EXPECT_EQ(h.curve->FRQ_NUM->text(), "FRQ7");
    // (31 * 30 + 40 - 5) / 32 = 30
    EXPECT_EQ(h.curve->AvgBar()->value(), 63 - 30);

    // Shift still held: the bar's down arrow moves the same range again.
    QTest::mouseClick(h.Bar(6), Qt::LeftButton, Qt::ShiftModifier, CurveHarness::DownArrow(h.Bar(6)));
    for (int j = 2; j <= 6; ++j)
        expected[static_cast<size_t>(j)] += 1;
    EXPECT_EQ(Positions(h), expected);
    EXPECT_EQ(h.Shown().FRQ, FromPositions(expected));

    // Shift-clicking the arrow of another bar first makes it the end of the range: 2 to 3 move.
    QTest::mouseClick(h.Bar(3), Qt::LeftButton, Qt::ShiftModifier, CurveHarness::DownArrow(h.Bar(3)));
    EXPECT_EQ(h.curve->SelStart(), 2);
    EXPECT_EQ(h.curve->SelEnd(), 3);
    expected[2] += 1;
    expected[3] += 1;
    EXPECT_EQ(Positions(h), expected);
    EXPECT_EQ(h.Shown().FRQ, FromPositions(expected));
}

TEST_F(CurveEditorTest, ReleasingShiftReducesTheSelectionToTheFocusedBar)
{
    Click(2);
    Click(5, Qt::ShiftModifier);
    ASSERT_EQ(h.curve->SelStart(), 2);
    QTest::keyRelease(h.Bar(5), Qt::Key_Shift, Qt::ShiftModifier);
    EXPECT_EQ(h.curve->SelStart(), 5);
    EXPECT_EQ(h.curve->SelEnd(), 5);
    EXPECT_EQ(LimeCells(h.curve->GaugeImage()), Range(5, 5));
}

TEST_F(CurveEditorTest, ScrollWithoutShiftMovesOnlyThatBar)
{
    Click(2);
    Click(6, Qt::ShiftModifier);
    QTest::keyClick(h.Bar(6), Qt::Key_Up);
    EXPECT_EQ(h.curve->SelStart(), 6);
    EXPECT_EQ(h.curve->SelEnd(), 6);
    EXPECT_EQ(h.Pos(6), 46);
    EXPECT_EQ(h.Shown().FRQ[6], 17);
    for (int j = 0; j < 32; ++j) {
        if (j != 6) {
            EXPECT_EQ(h.Pos(j), 47) << j;
        }
    }
}

TEST_F(CurveEditorTest, MoveLeavingTheRangeIsRefusedAsAWhole)
{
    Curve c = Flat(30);
    c[4] = 12;  // bar 4 at the bottom
    c[5] = 63;  // bar 5 at the top
    h.SetCurve(c);
    const auto before = Positions(h);
    Click(2);
    Click(6, Qt::ShiftModifier);
    QTest::keyClick(h.Bar(6), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(Positions(h), before);
    EXPECT_EQ(h.Shown().FRQ, c);

    Click(2);
    Click(6, Qt::ShiftModifier);
    QTest::keyClick(h.Bar(6), Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(Positions(h), before);
    EXPECT_EQ(h.Shown().FRQ, c);
}

TEST_F(CurveEditorTest, DraggedThumbAppliesEveryStepAtOnce)
{
    Click(1);
    QScrollBar* bar = h.Bar(1);
    const QPoint start = CurveHarness::Thumb(bar);
    QTest::mousePress(bar, Qt::LeftButton, {}, start);
    // Upwards (towards higher FRQ values): the model follows while the button is still held.
    QTest::mouseMove(bar, start - QPoint(0, 40));
    const int during = bar->value();
    EXPECT_LT(during, 47);
    EXPECT_EQ(h.Shown().FRQ[1], 63 - during);
    EXPECT_EQ(h.curve->FRQ_F->text(), QString::number(52 - during));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, start - QPoint(0, 40));
    EXPECT_EQ(bar->value(), during);
    EXPECT_EQ(h.Shown().FRQ[1], 63 - during);
    EXPECT_EQ(h.Shown().FRQ[0], 16);
}

TEST_F(CurveEditorTest, HalfSetSelectionActsOnItsEndOnly)
{
    // Right after clearing, a bar entered with Shift held sets only the end of the selection.
    h.curve->SetShiftQuery([] { return true; });
    h.Bar(5)->setFocus(Qt::TabFocusReason);
    ASSERT_EQ(h.curve->SelStart(), -1);
    ASSERT_EQ(h.curve->SelEnd(), 5);
    EXPECT_TRUE(LimeCells(h.curve->GaugeImage()).empty());
    h.curve->SetShiftQuery({});

    QTest::keyPress(h.Bar(5), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(h.Pos(5), 48);
    EXPECT_EQ(h.Shown().FRQ[5], 15);
    for (int j = 0; j < 32; ++j) {
        if (j != 5) {
            EXPECT_EQ(h.Pos(j), 47) << j;
        }
    }

    h.presenter.answers = {DialogResult::Yes};
    h.curve->LinearAdjust();
    EXPECT_EQ(h.presenter.requests.size(), 1u);
    EXPECT_EQ(h.Pos(5), 48);
}

TEST_F(CurveEditorTest, ShiftScrollOfABarOutsideTheRangeKeepsBarAndPointTogether)
{
    Click(2);
    Click(4, Qt::ShiftModifier);
    h.curve->SetShiftQuery([] { return true; });
    int pos = h.Pos(10) + 1;
    h.curve->FRQScroll(h.Bar(10), scLineDown, pos);
    EXPECT_EQ(pos, 48);
    for (int j : {2, 3, 4, 10}) {
        EXPECT_EQ(h.Pos(j), 48) << j;
        EXPECT_EQ(h.Shown().FRQ[static_cast<size_t>(j)], 15) << j;
    }
    EXPECT_EQ(h.Pos(5), 47);
    EXPECT_EQ(h.Shown().FRQ[5], 16);
}

TEST_F(CurveEditorTest, AverageBarShiftsTheWholeCurve)
{
    Curve c = Flat(20);
    c[7] = 30;
    h.SetCurve(c);
    Click(3);
    h.curve->AvgBar()->setFocus(Qt::TabFocusReason);
    const int avg = h.curve->AvgBar()->value();
    QTest::keyClick(h.curve->AvgBar(), Qt::Key_Down);
    EXPECT_EQ(h.curve->AvgBar()->value(), avg + 1);
    Curve lowered = c;
    for (auto& v : lowered)
        v -= 1;
    EXPECT_EQ(h.Shown().FRQ, lowered);
    EXPECT_EQ(h.Pos(7), 34);
    EXPECT_EQ(h.curve->SelStart(), -1);
    EXPECT_EQ(h.curve->SelEnd(), -1);
    EXPECT_EQ(h.curve->FRQ_NUM->text(), "AVG");
    EXPECT_EQ(h.curve->FRQ_F->text(), QString::number(52 - (avg + 1)));
    EXPECT_TRUE(LimeCells(h.curve->GaugeImage()).empty());
}

TEST_F(CurveEditorTest, AverageBarRefusesWhenOneBarIsAtTheBottom)
{
    Curve c = Flat(20);
    c[9] = 12;
    h.SetCurve(c);
    Click(3);
    const auto before = Positions(h);
    const int avg = h.curve->AvgBar()->value();
    h.curve->AvgBar()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(h.curve->AvgBar(), Qt::Key_Down);
    EXPECT_EQ(h.curve->AvgBar()->value(), avg);
    EXPECT_EQ(Positions(h), before);
    EXPECT_EQ(h.Shown().FRQ, c);
    // Refused means nothing at all: the selection stays too.
    EXPECT_EQ(h.curve->SelStart(), 3);
}

TEST_F(CurveEditorTest, HorizontalArrowsMoveTheFocusNeverABar)
{
    Click(0);
    QTest::keyClick(h.Bar(0), Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), h.Bar(0));
    Click(31);
    QTest::keyClick(h.Bar(31), Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), h.Bar(31));

    Click(3);
    Type(Qt::Key_Right);
    EXPECT_EQ(QApplication::focusWidget(), h.Bar(4));
    EXPECT_EQ(h.curve->SelStart(), 4);
    EXPECT_EQ(h.curve->SelEnd(), 4);
    EXPECT_EQ(h.curve->FRQ_NUM->text(), "FRQ5");
    Type(Qt::Key_Left);
    Type(Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), h.Bar(2));
    EXPECT_EQ(h.curve->SelStart(), 2);

    // Shift with the arrows extends the selection from the anchor.
    QTest::keyPress(h.Bar(2), Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyPress(h.Bar(3), Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(h.curve->SelStart(), 2);
    EXPECT_EQ(h.curve->SelEnd(), 4);

    QScrollBar* avg = h.curve->AvgBar();
    avg->setFocus(Qt::TabFocusReason);
    Type(Qt::Key_Left);
    EXPECT_EQ(QApplication::focusWidget(), avg);
    Type(Qt::Key_Right);
    EXPECT_NE(QApplication::focusWidget(), avg);

    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(h.Pos(i), 47) << i;
    EXPECT_EQ(avg->value(), 47);
    EXPECT_EQ(h.Shown().FRQ, Flat(16));
}

class CurveInterpolationTest : public CurveEditorTest {
protected:
    // Positions from a list; the rest stay at 47.
    void SetPositions(std::initializer_list<std::pair<int, int>> at)
    {
        std::array<int, 32> p{};
        p.fill(47);
        for (auto [i, v] : at)
            p[static_cast<size_t>(i)] = v;
        h.SetCurve(FromPositions(p));
    }

    void Select(int a, int b)
    {
        Click(a);
        Click(b, Qt::ShiftModifier);
        ASSERT_EQ(h.curve->SelStart(), a);
        ASSERT_EQ(h.curve->SelEnd(), b);
    }
};

TEST_F(CurveInterpolationTest, TiesGoToTheEvenInteger)
{
    SetPositions({{0, 10}, {4, 20}});
    Select(0, 4);
    std::array<int, 32> shownWhileAsked{};
    h.presenter.onPresent = [&](const MessageRequest&) { shownWhileAsked = Positions(h); };
    h.presenter.answers = {DialogResult::Yes};
    h.curve->SpeedButton1Click();

    ASSERT_EQ(h.presenter.requests.size(), 1u);
    EXPECT_EQ(h.presenter.requests[0].text, "Okay?");
    EXPECT_EQ(h.presenter.requests[0].kind, DialogKind::Question);
    EXPECT_EQ(h.presenter.requests[0].buttons, DialogButtons::YesNo);
    EXPECT_EQ(shownWhileAsked[0], 10);
    EXPECT_EQ(shownWhileAsked[1], 12);  // 2.5 gives 2
    EXPECT_EQ(shownWhileAsked[2], 15);
    EXPECT_EQ(shownWhileAsked[3], 18);  // 7.5 gives 8
    EXPECT_EQ(shownWhileAsked[4], 20);
    EXPECT_EQ(Positions(h), shownWhileAsked);
    EXPECT_EQ(h.Shown().FRQ, FromPositions(shownWhileAsked));

    // Afterwards the selection is its end alone.
    EXPECT_EQ(h.curve->SelStart(), 4);
    EXPECT_EQ(h.curve->SelEnd(), 4);
    EXPECT_EQ(h.curve->FRQ_NUM->text(), "FRQ5");
    EXPECT_EQ(LimeCells(h.curve->GaugeImage()), Range(4, 4));
}

TEST_F(CurveInterpolationTest, ExtendedPrecisionProductJustBelowAHalf)
{
    SetPositions({{1, 20}, {29, 30}});
    Select(29, 1);  // from the end backwards: the same range
    h.presenter.answers = {DialogResult::Yes};
    h.curve->LinearAdjust();
    EXPECT_EQ(h.Pos(1), 20);
    EXPECT_EQ(h.Pos(22), 27);  // 10/28 * 21 lies just below 7.5 in the extended format
    EXPECT_EQ(h.Pos(15), 25);
    EXPECT_EQ(h.Pos(29), 30);
    EXPECT_EQ(h.Pos(0), 47);
    EXPECT_EQ(h.Pos(30), 47);
    // The line never falls back.
    for (int i = 2; i <= 29; ++i)
        EXPECT_GE(h.Pos(i), h.Pos(i - 1)) << i;
}

TEST_F(CurveInterpolationTest, NoRestoresEveryBarExactly)
{
    Curve c = Flat(16);
    for (int i = 0; i < 32; ++i)
        c[static_cast<size_t>(i)] = 12 + (i * 7) % 52;
    h.SetCurve(c);
    const auto before = Positions(h);
    const int avg = h.curve->AvgBar()->value();
    Select(3, 20);
    h.presenter.answers = {DialogResult::No};
    h.curve->SpeedButton1Click();
    EXPECT_EQ(Positions(h), before);
    EXPECT_EQ(h.Shown().FRQ, c);
    EXPECT_EQ(h.curve->AvgBar()->value(), avg);
}

TEST_F(CurveInterpolationTest, YesStoresAllPointsFromTheBars)
{
    Curve c = Flat(20);
    c[30] = 70;  // shown at the top of its bar, outside the range being interpolated
    c[2] = 12;
    c[6] = 32;
    h.SetCurve(c);
    Select(2, 6);
    h.presenter.answers = {DialogResult::Yes};
    h.curve->SpeedButton1Click();
    EXPECT_EQ(h.Shown().FRQ[30], 63);
    EXPECT_EQ(h.Shown().FRQ[0], 20);
    EXPECT_EQ(h.Shown().FRQ[2], 12);
    EXPECT_EQ(h.Shown().FRQ[4], 22);
    EXPECT_EQ(h.Shown().FRQ[6], 32);
    EXPECT_EQ(h.Shown().FRQ, FromPositions(Positions(h)));
    // Only the shown model is written.
    EXPECT_EQ(h.bank.Model(1).FRQ, Flat(16));
}

TEST_F(CurveInterpolationTest, WithoutSelectionNothingMovesButTheQuestionIsAsked)
{
    SetPositions({{0, 5}, {31, 40}});
    const auto before = Positions(h);
    h.curve->ClearFrqSelection();
    h.presenter.answers = {DialogResult::Yes};
    h.curve->SpeedButton1Click();
    EXPECT_EQ(h.presenter.requests.size(), 1u);
    EXPECT_EQ(Positions(h), before);
    EXPECT_EQ(h.curve->SelStart(), -1);
    EXPECT_EQ(h.curve->FRQ_NUM->text(), "AVG");
}

TEST(CurveEditorLanguage, JapaneseQuestion)
{
    CurveHarness h(0);
    h.presenter.answers = {DialogResult::No};
    h.curve->LinearAdjust();
    ASSERT_EQ(h.presenter.requests.size(), 1u);
    EXPECT_EQ(h.presenter.requests[0].text, "よろしいですか？");
    EXPECT_EQ(h.presenter.requests[0].caption, "確認");
}

}  // namespace
