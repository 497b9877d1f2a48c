#include <gtest/gtest.h>

#include <QCursor>
#include <QGuiApplication>
#include <QLineEdit>

#include "CurveHarness.h"
#include "MessageDialog.h"

namespace {

class ModelTabsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(h.active);
        // Model 1 differs from the defaults in every field.
        ModelSettings& m = h.bank.Model(0);
        m.NBRK = 10;
        m.BFREQ = 40;
        m.VLT = 160;
        m.PROG = 5;
        for (int i = 0; i < 32; ++i)
            m.FRQ[static_cast<size_t>(i)] = 20 + i;
        m.MEMO = "first line\r\nsecond line";
        h.ShowModel();
        h.shows = 0;
        defaults = h.bank;
    }

    // Press on tab `from`, move in small steps to `to` (a point in tab-bar coordinates), release.
    void Drag(int from, QPoint to, Qt::MouseButton button = Qt::LeftButton)
    {
        const QPoint start = h.TabCentre(from);
        QTest::mousePress(h.tabs, button, {}, start);
        for (int k = 1; k <= 4; ++k)
            QTest::mouseMove(h.tabs, start + (to - start) * k / 4);
        QTest::mouseRelease(h.tabs, button, {}, to);
    }

    CurveHarness h;
    ModelBank defaults;
};

TEST_F(ModelTabsTest, PlainPressOnlySwitchesTheModel)
{
    h.bank.Model(2).FRQ.fill(30);
    QTest::mouseClick(h.tabs, Qt::LeftButton, {}, h.TabCentre(2));
    EXPECT_TRUE(h.presenter.requests.empty());
    EXPECT_EQ(h.tabs->currentIndex(), 2);
    EXPECT_EQ(h.bank.ModelNumber, 80);
    EXPECT_EQ(h.shows, 1);
    EXPECT_EQ(h.Pos(0), 33);  // the curve of model 3 is shown
    EXPECT_EQ(h.bank.Model(0), defaults.Model(0));
    EXPECT_EQ(h.modelTabs->DragFrom(), 2);
    EXPECT_EQ(h.modelTabs->DragTo(), 2);
    EXPECT_FALSE(h.modelTabs->Dragging());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(ModelTabsTest, MovementBelowTheThresholdIsAPlainPress)
{
    const QPoint start = h.TabCentre(0);
    const int small = std::max(0, QApplication::startDragDistance() - 2);
    QTest::mousePress(h.tabs, Qt::LeftButton, {}, start);
    QTest::mouseMove(h.tabs, start + QPoint(small, 0));
    EXPECT_FALSE(h.modelTabs->Dragging());
    QTest::mouseRelease(h.tabs, Qt::LeftButton, {}, start + QPoint(small, 0));
    EXPECT_TRUE(h.presenter.requests.empty());
    EXPECT_EQ(h.bank, defaults);
}

TEST_F(ModelTabsTest, PressCommitsTypedNumberIntoThePreviousModel)
{
    h.numberEdit->setFocus();
    ASSERT_TRUE(h.numberEdit->hasFocus());
    h.numberEdit->setText("77");
    QTest::mouseClick(h.tabs, Qt::LeftButton, {}, h.TabCentre(2));
    EXPECT_EQ(h.bank.Model(0).NBRK, 77);
    EXPECT_EQ(h.bank.Model(2).NBRK, ModelSettings::kDefaultNBRK);
    EXPECT_EQ(h.tabs->currentIndex(), 2);
    EXPECT_TRUE(h.panel4->hasFocus());

    // Any button, also on the tab already shown.
    h.numberEdit->setFocus();
    h.numberEdit->setText("99");
    QTest::mouseClick(h.tabs, Qt::RightButton, {}, h.TabCentre(2));
    EXPECT_EQ(h.bank.Model(2).NBRK, 99);
    EXPECT_TRUE(h.panel4->hasFocus());
}

TEST_F(ModelTabsTest, DragWithYesCopiesEveryFieldAndShowsTheTarget)
{
    h.bank.Model(1).NBRK = 200;
    QPoint during;
    Qt::CursorShape cursorOverTarget = Qt::BlankCursor;
    const QPoint target = h.TabCentre(2);
    const QPoint start = h.TabCentre(0);
    QTest::mousePress(h.tabs, Qt::LeftButton, {}, start);
    QTest::mouseMove(h.tabs, start + (target - start) / 2);
    QTest::mouseMove(h.tabs, target);
    EXPECT_TRUE(h.modelTabs->Dragging());
    cursorOverTarget = h.modelTabs->DragCursor();
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), cursorOverTarget);
    h.presenter.answers = {DialogResult::Yes};
    QTest::mouseRelease(h.tabs, Qt::LeftButton, {}, target);

    EXPECT_EQ(cursorOverTarget, Qt::DragCopyCursor);
    ASSERT_EQ(h.presenter.requests.size(), 1u);
    EXPECT_EQ(h.presenter.requests[0].text, "Copy? MODEL1 -> MODEL3");
    EXPECT_EQ(h.presenter.requests[0].kind, DialogKind::Question);
    EXPECT_EQ(h.presenter.requests[0].buttons, DialogButtons::YesNo);
    EXPECT_EQ(h.bank.Model(2), h.bank.Model(0));
    EXPECT_EQ(h.bank.Model(0), defaults.Model(0));
    EXPECT_EQ(h.bank.Model(1).NBRK, 200);
    EXPECT_EQ(h.bank.Model(3), defaults.Model(3));
    EXPECT_EQ(h.bank.ModelNumber, 80);
    EXPECT_EQ(h.tabs->currentIndex(), 2);
    EXPECT_EQ(h.Pos(5), 63 - 25);
    EXPECT_FALSE(h.modelTabs->Dragging());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(ModelTabsTest, DragWithNoChangesNothing)
{
    h.presenter.answers = {DialogResult::No};
    Drag(0, h.TabCentre(2));
    ASSERT_EQ(h.presenter.requests.size(), 1u);
    EXPECT_EQ(h.bank, defaults);
    EXPECT_EQ(h.tabs->currentIndex(), 0);
    EXPECT_EQ(h.bank.ModelNumber, 0);
    EXPECT_EQ(h.Pos(5), 63 - 25);
}

TEST_F(ModelTabsTest, DraggedTabNumberComesFirstInJapaneseToo)
{
    CurveHarness jp(0);
    ASSERT_TRUE(jp.active);
    jp.bank.Model(1).PROG = 9;
    jp.presenter.answers = {DialogResult::Yes};
    const QPoint start = jp.TabCentre(1);
    const QPoint target = jp.TabCentre(4);
    QTest::mousePress(jp.tabs, Qt::LeftButton, {}, start);
    QTest::mouseMove(jp.tabs, (start + target) / 2);
    QTest::mouseMove(jp.tabs, target);
    QTest::mouseRelease(jp.tabs, Qt::LeftButton, {}, target);
    ASSERT_EQ(jp.presenter.requests.size(), 1u);
    EXPECT_EQ(jp.presenter.requests[0].text, "MODEL2をMODEL5にコピーしますか？");
    EXPECT_EQ(jp.bank.Model(4).PROG, 9);
    EXPECT_EQ(jp.bank.ModelNumber, 160);
}

TEST_F(ModelTabsTest, CursorFollowsTheDragAndDropOnTheSourceDoesNothing)
{
    const QPoint start = h.TabCentre(1);
    QTest::mousePress(h.tabs, Qt::LeftButton, {}, start);
    QTest::mouseMove(h.tabs, h.TabCentre(3));
    ASSERT_TRUE(h.modelTabs->Dragging());
    EXPECT_EQ(h.modelTabs->DragCursor(), Qt::DragCopyCursor);
    // Below the tabs but still on the tab control.
    QTest::mouseMove(h.tabs, QPoint(start.x(), 200));
    EXPECT_EQ(h.modelTabs->DragCursor(), Qt::DragCopyCursor);
    // Outside the tab control: nothing accepts the drop.
    QTest::mouseMove(h.tabs, QPoint(start.x(), 430));
    EXPECT_EQ(h.modelTabs->DragCursor(), Qt::ForbiddenCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ForbiddenCursor);
    // Back on the source tab: the normal arrow.
    QTest::mouseMove(h.tabs, start + QPoint(1, 0));
    EXPECT_EQ(h.modelTabs->DragCursor(), Qt::ArrowCursor);
    QTest::mouseRelease(h.tabs, Qt::LeftButton, {}, start + QPoint(1, 0));

    EXPECT_TRUE(h.presenter.requests.empty());
    EXPECT_EQ(h.bank.Model(1), defaults.Model(1));
    EXPECT_EQ(h.tabs->currentIndex(), 1);
    EXPECT_EQ(h.modelTabs->DragTo(), 1);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(ModelTabsTest, DropsBesideTheTabsCopyNothing)
{
    // Released outside the tab control.
    Drag(0, QPoint(h.TabCentre(0).x(), 430));
    // Released on the tab control where there is no tab.
    Drag(0, QPoint(h.TabCentre(2).x(), 200));
    Drag(0, QPoint(h.tabs->width() - 2, h.TabCentre(0).y()));
    EXPECT_TRUE(h.presenter.requests.empty());
    EXPECT_EQ(h.bank, defaults);
    EXPECT_EQ(h.tabs->currentIndex(), 0);
}

TEST_F(ModelTabsTest, PressOnNoTabKeepsTheShownModel)
{
    QTest::mouseClick(h.tabs, Qt::LeftButton, {}, h.TabCentre(3));
    ASSERT_EQ(h.tabs->currentIndex(), 3);
    const int shows = h.shows;
    const QPoint empty(h.tabs->width() - 2, h.TabCentre(0).y());
    ASSERT_EQ(h.tabs->tabAt(empty), -1);
    QTest::mousePress(h.tabs, Qt::LeftButton, {}, empty);
    EXPECT_EQ(h.modelTabs->DragFrom(), -1);
    EXPECT_EQ(h.tabs->currentIndex(), 3);
    EXPECT_EQ(h.bank.ModelNumber, 120);
    EXPECT_EQ(h.shows, shows);
    // A drag from there has no source model.
    QTest::mouseMove(h.tabs, h.TabCentre(1));
    QTest::mouseRelease(h.tabs, Qt::LeftButton, {}, h.TabCentre(1));
    EXPECT_TRUE(h.presenter.requests.empty());
    EXPECT_EQ(h.bank.Model(1), defaults.Model(1));
    EXPECT_EQ(h.tabs->currentIndex(), 3);
}

TEST_F(ModelTabsTest, CurveSelectionSurvivesASwitch)
{
    h.bank.Model(1).FRQ.fill(40);
    QTest::mouseClick(h.Bar(2), Qt::LeftButton, {}, CurveHarness::Thumb(h.Bar(2)));
    QTest::mouseClick(h.Bar(6), Qt::LeftButton, Qt::ShiftModifier, CurveHarness::Thumb(h.Bar(6)));
    ASSERT_EQ(h.curve->SelStart(), 2);
    ASSERT_EQ(h.curve->SelEnd(), 6);
    QTest::mouseClick(h.tabs, Qt::LeftButton, {}, h.TabCentre(1));
    EXPECT_EQ(h.curve->SelStart(), 2);
    EXPECT_EQ(h.curve->SelEnd(), 6);
    // The fields show the anchor's point of the newly shown model.
    EXPECT_EQ(h.curve->FRQ_NUM->text(), "FRQ3");
    EXPECT_EQ(h.curve->FRQ_F->text(), "29");
    const QImage gauge = h.curve->GaugeImage();
    for (int i = 0; i < 32; ++i) {
        const QRgb expected = i >= 2 && i <= 6 ? qRgb(0, 255, 0) : qRgb(0, 0, 128);
        EXPECT_EQ(gauge.pixel(17 * i + 1 + 2 * (i / 8) + 8, 3), expected) << i;
    }
}

TEST_F(ModelTabsTest, KeyboardAndWheelDoNotSwitchTabs)
{
    EXPECT_EQ(h.tabs->focusPolicy(), Qt::NoFocus);
    h.tabs->setFocus();  // even if it is given the focus from code
    QTest::keyClick(h.tabs, Qt::Key_Right);
    EXPECT_EQ(h.tabs->currentIndex(), 0);
    QWheelEvent wheel(QPointF(h.TabCentre(0)), QPointF(h.tabs->mapToGlobal(h.TabCentre(0))), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(h.tabs, &wheel);
    EXPECT_EQ(h.tabs->currentIndex(), 0);
    EXPECT_EQ(h.bank.ModelNumber, 0);
}

TEST_F(ModelTabsTest, ShownModelFollowsATabChangedAnyOtherWay)
{
    h.tabs->setCurrentIndex(3);
    EXPECT_EQ(h.bank.ModelNumber, 120);
    EXPECT_EQ(h.shows, 1);
    EXPECT_EQ(h.Pos(0), 47);
    EXPECT_TRUE(h.presenter.requests.empty());
}

}  // namespace
