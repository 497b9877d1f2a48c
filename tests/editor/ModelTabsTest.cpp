#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>

#include "CurveHarness.h"
#include "MessageDialog.h"

namespace {

class ModelTabsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(h.active);
        ModelSettings& m = h.bank.Model(0);  // differs from the defaults in every field
        m = {10, 40, 160, 5, {}, "first line\r\nsecond line"};
        for (int i = 0; i < 32; ++i)
            m.FRQ[static_cast<size_t>(i)] = 20 + i;
        h.ShowModel();
        h.shows = 0;
        before = h.bank;
    }

    // Press on a point, move towards another in steps, release there (tab-bar coordinates).
    static void Drag(CurveHarness& on, QPoint from, QPoint to)
    {
        QTest::mousePress(on.tabs, Qt::LeftButton, {}, from);
        for (int k = 1; k <= 4; ++k)
            QTest::mouseMove(on.tabs, from + (to - from) * k / 4);
        QTest::mouseRelease(on.tabs, Qt::LeftButton, {}, to);
    }
    Qt::CursorShape Cursor() const
    {
        return QGuiApplication::overrideCursor() ? QGuiApplication::overrideCursor()->shape() : Qt::BitmapCursor;
    }

    CurveHarness h;
    ModelBank before;
};

TEST_F(ModelTabsTest, PressWithoutDragOnlySwitchesTheModel)
{
    h.bank.Model(2).FRQ.fill(30);
    const QPoint at = h.TabCentre(2) + QPoint(std::max(0, QApplication::startDragDistance() - 2), 0);
    Drag(h, h.TabCentre(2), at);
    EXPECT_TRUE(h.presenter.requests.empty());
    EXPECT_EQ(h.tabs->currentIndex(), 2);
    EXPECT_EQ(h.bank.ModelNumber, 80);
    EXPECT_EQ(h.Pos(0), 33);  // model 3's curve is shown
    EXPECT_EQ(h.bank.Model(0), before.Model(0));
}

TEST_F(ModelTabsTest, PressCommitsATypedNumberIntoThePreviousModel)
{
    h.numberEdit->setFocus();
    h.numberEdit->setText("77");
    QTest::mouseClick(h.tabs, Qt::LeftButton, {}, h.TabCentre(2));
    EXPECT_EQ(h.bank.Model(0).NBRK, 77);
    EXPECT_EQ(h.bank.Model(2).NBRK, ModelSettings::kDefaultNBRK);
    EXPECT_EQ(h.tabs->currentIndex(), 2);
    // Any button, also on the tab already shown.
    h.numberEdit->setFocus();
    h.numberEdit->setText("99");
    QTest::mouseClick(h.tabs, Qt::RightButton, {}, h.TabCentre(2));
    EXPECT_EQ(h.bank.Model(2).NBRK, 99);
    EXPECT_TRUE(h.panel4->hasFocus());
    // And on the page body beside every control, where no tab is: the shown model stays.
    h.numberEdit->setFocus();
    h.numberEdit->setText("55");
    const QPoint body = h.page->mapTo(&h.window, QPoint(560, 60));
    ASSERT_EQ(h.window.childAt(body), h.page);
    QTest::mouseClick(h.window.windowHandle(), Qt::LeftButton, {}, body);
    EXPECT_EQ(h.bank.Model(2).NBRK, 55);
    EXPECT_EQ(h.tabs->currentIndex(), 2);
    EXPECT_EQ(h.bank.ModelNumber, 80);
    EXPECT_TRUE(h.panel4->hasFocus());
    EXPECT_TRUE(h.presenter.requests.empty());
}

TEST_F(ModelTabsTest, DragWithYesCopiesTheWholeModelAndShowsTheTarget)
{
    h.bank.Model(1).NBRK = 200;
    const QPoint start = h.TabCentre(0), target = h.TabCentre(2);
    QTest::mousePress(h.tabs, Qt::LeftButton, {}, start);
    QTest::mouseMove(h.tabs, (start + target) / 2);
    QTest::mouseMove(h.tabs, target);
    EXPECT_EQ(Cursor(), Qt::DragCopyCursor);
    h.presenter.answers = {DialogResult::Yes};
    QTest::mouseRelease(h.tabs, Qt::LeftButton, {}, target);

    ASSERT_EQ(h.presenter.requests.size(), 1u);
    EXPECT_EQ(h.presenter.requests[0].text, "Copy? MODEL1 -> MODEL3");
    EXPECT_EQ(h.presenter.requests[0].style, 0x20u + 4u);  // question, Yes and No
    EXPECT_EQ(h.bank.Model(2), h.bank.Model(0));
    EXPECT_EQ(h.bank.Model(0), before.Model(0));
    EXPECT_EQ(h.bank.Model(1).NBRK, 200);
    EXPECT_EQ(h.bank.Model(3), before.Model(3));
    EXPECT_EQ(h.bank.ModelNumber, 80);
    EXPECT_EQ(h.tabs->currentIndex(), 2);
    EXPECT_EQ(h.Pos(5), 63 - 25);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(ModelTabsTest, DragWithNoChangesNothing)
{
    h.presenter.answers = {DialogResult::No};
    Drag(h, h.TabCentre(0), h.TabCentre(2));
    ASSERT_EQ(h.presenter.requests.size(), 1u);
    EXPECT_EQ(h.bank, before);
    EXPECT_EQ(h.tabs->currentIndex(), 0);
    EXPECT_EQ(h.Pos(5), 63 - 25);
}

TEST_F(ModelTabsTest, CursorFollowsTheDragAndDropOnTheSourceDoesNothing)
{
    const QPoint start = h.TabCentre(1);
    QTest::mousePress(h.tabs, Qt::LeftButton, {}, start);
    QTest::mouseMove(h.tabs, h.TabCentre(3));
    EXPECT_EQ(Cursor(), Qt::DragCopyCursor);
    QTest::mouseMove(h.tabs, QPoint(start.x(), 200));  // on the page: still the tab control
    EXPECT_EQ(Cursor(), Qt::DragCopyCursor);
    QTest::mouseMove(h.tabs, QPoint(start.x(), 430));  // outside it
    EXPECT_EQ(Cursor(), Qt::ForbiddenCursor);
    QTest::mouseMove(h.tabs, start + QPoint(1, 0));
    EXPECT_EQ(Cursor(), Qt::ArrowCursor);
    QTest::mouseRelease(h.tabs, Qt::LeftButton, {}, start + QPoint(1, 0));
    EXPECT_TRUE(h.presenter.requests.empty());
    EXPECT_EQ(h.bank.Model(1), before.Model(1));
    EXPECT_EQ(h.tabs->currentIndex(), 1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(ModelTabsTest, NoTabMeansNoModel)
{
    const QPoint beside(h.tabs->width() - 2, h.TabCentre(0).y());
    ASSERT_EQ(h.tabs->tabAt(beside), -1);
    Drag(h, h.TabCentre(0), QPoint(h.TabCentre(0).x(), 430));  // released outside the tab control
    Drag(h, h.TabCentre(0), QPoint(h.TabCentre(2).x(), 200));  // on the page
    Drag(h, h.TabCentre(0), beside);
    QTest::mouseClick(h.tabs, Qt::LeftButton, {}, h.TabCentre(3));
    const int shows = h.shows;
    Drag(h, beside, h.TabCentre(1));  // no source model
    EXPECT_TRUE(h.presenter.requests.empty());
    EXPECT_EQ(h.tabs->currentIndex(), 3);
    EXPECT_EQ(h.bank.ModelNumber, 120);
    EXPECT_EQ(h.shows, shows);
    before.ModelNumber = 120;
    EXPECT_EQ(h.bank, before);
}

TEST_F(ModelTabsTest, CurveSelectionSurvivesASwitch)
{
    h.bank.Model(1).FRQ.fill(40);
    QTest::mouseClick(h.Bar(2), Qt::LeftButton, {}, CurveHarness::Thumb(h.Bar(2)));
    QTest::mouseClick(h.Bar(6), Qt::LeftButton, Qt::ShiftModifier, CurveHarness::Thumb(h.Bar(6)));
    QTest::mouseClick(h.tabs, Qt::LeftButton, {}, h.TabCentre(1));
    EXPECT_EQ(h.curve->SelStart(), 2);
    EXPECT_EQ(h.curve->SelEnd(), 6);
    EXPECT_EQ(h.curve->FRQ_NUM->text(), "FRQ3");
    EXPECT_EQ(h.curve->FRQ_F->text(), "29");  // the anchor's point of the model now shown
    const QImage gauge = h.curve->GaugeImage();
    for (int i = 0; i < 32; ++i)
        EXPECT_EQ(gauge.pixel(17 * i + 9 + 2 * (i / 8), 3), i >= 2 && i <= 6 ? qRgb(0, 255, 0) : qRgb(0, 0, 128)) << i;
}

TEST_F(ModelTabsTest, OnlyPressesAndShowingSwitchTabs)
{
    EXPECT_EQ(h.tabs->focusPolicy(), Qt::NoFocus);
    h.tabs->setFocus();
    QTest::keyClick(h.tabs, Qt::Key_Right);
    QWheelEvent wheel(QPointF(h.TabCentre(0)), QPointF(h.tabs->mapToGlobal(h.TabCentre(0))), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(h.tabs, &wheel);
    EXPECT_EQ(h.tabs->currentIndex(), 0);
    EXPECT_EQ(h.shows, 0);
    // Should the tab change any other way, the shown model follows it.
    h.tabs->setCurrentIndex(3);
    EXPECT_EQ(h.bank.ModelNumber, 120);
    EXPECT_EQ(h.shows, 1);
    EXPECT_EQ(h.Pos(0), 47);
}

}  // namespace
