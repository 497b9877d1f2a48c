#include <gtest/gtest.h>

#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>

#include "MainFormHarness.h"
#include "RecordingPresenter.h"
#include "TCurveEditor.h"
#include "TModelEditor.h"

namespace {

class ModelEditorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = MakeMainForm({"-E"});
        form->show();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        e = form->MDL_SEL;
    }

    ModelSettings& Shown() { return form->Bank.models[static_cast<size_t>(e->SelectedTab())]; }

    void Type(QLineEdit* edit, const QString& text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, text);
    }

    RecordingPresenter presenter;
    std::unique_ptr<TMainForm> form;
    TModelEditor* e = nullptr;
};

}  // namespace

// What a typed text becomes is the session's rule; here each way of committing it, and the bar
// and the field showing what was taken.
TEST_F(ModelEditorTest, ATypedNumberCommitsByEnterOrByLeavingTheField)
{
    Type(e->NBRK_EDIT, "300");
    QTest::keyClick(e->NBRK_EDIT, Qt::Key_Return);
    EXPECT_EQ(e->NBRK_EDIT->text(), "255");
    EXPECT_EQ(e->NBRK_BAR->value(), 255);
    EXPECT_EQ(Shown().NBRK, 255);

    Type(e->NBRK_EDIT, "-7");
    QTest::keyClick(e->NBRK_EDIT, Qt::Key_Enter);
    EXPECT_EQ(Shown().NBRK, 0);

    Type(e->PROG_EDIT, "abc");
    form->FocusPanel4();  // leaving the field commits it
    EXPECT_EQ(e->PROG_EDIT->text(), "1");
    Type(e->PROG_EDIT, " 12 ");
    form->FocusPanel4();
    EXPECT_EQ(e->PROG_EDIT->text(), "12");
    EXPECT_EQ(e->PROG_BAR->value(), 12);
    EXPECT_EQ(Shown().PROG, 12);
}

TEST_F(ModelEditorTest, BarScrollUpdatesFieldAndModelAtEveryStep)
{
    e->NBRK_BAR->setFocus();
    QTest::keyClick(e->NBRK_BAR, Qt::Key_Right);
    EXPECT_EQ(e->NBRK_EDIT->text(), "129");
    EXPECT_EQ(Shown().NBRK, 129);
    e->PROG_BAR->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(e->PROG_EDIT->text(), "12");
    EXPECT_EQ(Shown().PROG, 12);
    // A dragged thumb: every tracked position is stored at once.
    e->NBRK_BAR->setSliderDown(true);
    for (int p : {10, 20, 30}) {
        e->NBRK_BAR->setSliderPosition(p);
        EXPECT_EQ(Shown().NBRK, p);
        EXPECT_EQ(e->NBRK_EDIT->text(), QString::number(p));
    }
    e->NBRK_BAR->setSliderDown(false);
    EXPECT_EQ(Shown().NBRK, 30);
}

TEST_F(ModelEditorTest, EveryWayOfMovingABarStoresItsValue)
{
    // A click on the groove right of the thumb steps it by one.
    QTest::mouseClick(e->NBRK_BAR, Qt::LeftButton, {}, QPoint(e->NBRK_BAR->width() - 30, e->NBRK_BAR->height() / 2));
    EXPECT_EQ(Shown().NBRK, 129);
    EXPECT_EQ(e->NBRK_EDIT->text(), "129");
    // The wheel.
    QWheelEvent wheel(QPointF(5, 5), e->PROG_BAR->mapToGlobal(QPointF(5, 5)), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(e->PROG_BAR, &wheel);
    EXPECT_EQ(e->PROG_EDIT->text(), QString::number(e->PROG_BAR->value()));
    EXPECT_EQ(Shown().PROG, e->PROG_BAR->value());
    EXPECT_NE(Shown().PROG, 1);
    // No menu of its own can move it behind the record's back.
    EXPECT_EQ(e->NBRK_BAR->contextMenuPolicy(), Qt::NoContextMenu);
    EXPECT_EQ(e->PROG_BAR->contextMenuPolicy(), Qt::NoContextMenu);
}

TEST_F(ModelEditorTest, ValuesTheControlsCannotShowStayInTheModel)
{
    ModelSettings& m = form->Bank.models[1];
    m.VLT = 90;
    m.BFREQ = 70;
    m.NBRK = 300;
    m.PROG = -4;
    m.FRQ[3] = 5;
    m.FRQ[4] = 99;
    form->Bank.ModelNumber = 40;
    e->ShowModel();
    EXPECT_EQ(e->MDL_SEL_Tabs->currentIndex(), 1);
    EXPECT_EQ(e->CUTOFF_COMB->currentIndex(), 6);
    EXPECT_EQ(e->CUTOFF_COMB->currentText(), "LiFe     2cell     6.0V");
    EXPECT_EQ(e->BFREQ_CMB->currentIndex(), -1);
    EXPECT_EQ(e->NBRK_BAR->value(), 255);
    EXPECT_EQ(e->NBRK_EDIT->text(), "255");
    EXPECT_EQ(e->PROG_EDIT->text(), "0");
    EXPECT_EQ(e->Curve().Bar(3)->value(), 51);
    EXPECT_EQ(e->Curve().Bar(4)->value(), 0);
    EXPECT_EQ(m.VLT, 90);
    EXPECT_EQ(m.BFREQ, 70);
    EXPECT_EQ(m.NBRK, 300);
    EXPECT_EQ(m.PROG, -4);
    EXPECT_EQ(m.FRQ[3], 5);
    EXPECT_EQ(m.FRQ[4], 99);
    // Only a choice in the list changes the code.
    e->CUTOFF_COMB->setCurrentIndex(2);
    emit e->CUTOFF_COMB->activated(2);
    EXPECT_EQ(m.VLT, 92);
}

TEST_F(ModelEditorTest, ListsWriteBackTheChosenItem)
{
    e->BFREQ_CMB->setFocus();
    QTest::keyClick(e->BFREQ_CMB, Qt::Key_Down);
    EXPECT_EQ(e->BFREQ_CMB->currentIndex(), 21);
    EXPECT_EQ(Shown().BFREQ, 33);
    e->CUTOFF_COMB->setCurrentIndex(0);
    emit e->CUTOFF_COMB->activated(0);
    EXPECT_EQ(Shown().VLT, 80);
}

TEST_F(ModelEditorTest, TypedCutOffTextNamingNoItemLeavesTheCode)
{
    e->CUTOFF_COMB->setFocus();
    e->CUTOFF_COMB->lineEdit()->selectAll();
    QTest::keyClicks(e->CUTOFF_COMB->lineEdit(), "LiPo 9V");
    EXPECT_EQ(Shown().VLT, 100);
    e->CUTOFF_COMB->setEditText("LiFe     2cell     5.0V");
    EXPECT_EQ(Shown().VLT, 160);
    e->CUTOFF_COMB->setEditText("nonsense");
    EXPECT_EQ(Shown().VLT, 160);
    form->FocusPanel4();
    EXPECT_EQ(e->CUTOFF_COMB->currentText(), "LiFe     2cell     5.0V");
}

TEST_F(ModelEditorTest, MemoKeepsLineEndsAndJapaneseText)
{
    e->Memo1->setFocus();
    QTest::keyClicks(e->Memo1, "abc");
    QTest::keyClick(e->Memo1, Qt::Key_Return);
    QInputMethodEvent im;
    im.setCommitString(QString::fromUtf8("速い"));
    QCoreApplication::sendEvent(e->Memo1, &im);
    EXPECT_EQ(Shown().MEMO, "abc\r\n速い\r\n");  // every line ended, as a file holds it
    // Shown again from the bank, the text reads the same and the record is unchanged.
    form->Bank.ModelNumber = 0;
    e->ShowModel();
    EXPECT_EQ(e->Memo1->toPlainText(), QString::fromUtf8("abc\n速い"));
    EXPECT_EQ(Shown().MEMO, "abc\r\n速い\r\n");

    // A U+FEFF that begins the memo is text like any other: shown, and kept by an edit.
    Shown().MEMO = "\xEF\xBB\xBFx";
    e->ShowModel();
    EXPECT_EQ(e->Memo1->toPlainText(), QChar(0xFEFF) + QStringLiteral("x"));
    e->Memo1->moveCursor(QTextCursor::End);
    QTest::keyClicks(e->Memo1, "y");
    EXPECT_EQ(Shown().MEMO, "\xEF\xBB\xBFxy\r\n");
}

TEST_F(ModelEditorTest, ResetRestoresDefaultsKeepsMemoAndTouchesNoOtherModel)
{
    ModelSettings& m = form->Bank.models[2];
    m.NBRK = 3;
    m.BFREQ = 60;
    m.VLT = 195;
    m.PROG = 9;
    m.FRQ.fill(40);
    m.MEMO = "keep";
    form->Bank.models[0].NBRK = 11;
    form->Bank.ModelNumber = 80;
    e->ShowModel();
    e->Curve().ClearFrqSelection();

    Type(e->NBRK_EDIT, "77");  // typed, not yet committed: the reset overwrites it, once let go
    presenter.answers = {DialogResult::No};
    form->RESET_BTN->click();
    EXPECT_EQ(m.NBRK, 128);
    EXPECT_EQ(m.BFREQ, 32);
    EXPECT_EQ(m.VLT, 100);
    EXPECT_EQ(m.PROG, 1);
    EXPECT_EQ(m.FRQ, ModelSettings::MakeDefaultCurve());
    EXPECT_EQ(m.MEMO, "keep");
    EXPECT_EQ(form->Bank.models[0].NBRK, 11);
    EXPECT_EQ(e->NBRK_EDIT->text(), "128");
    EXPECT_EQ(e->BFREQ_CMB->currentIndex(), 20);
    EXPECT_EQ(e->CUTOFF_COMB->currentIndex(), 4);
    EXPECT_EQ(e->Curve().AvgBar()->value(), 47);
    EXPECT_EQ(e->Curve().SelStart(), -1);
    EXPECT_EQ(e->MDL_SEL_Tabs->currentIndex(), 2);
    EXPECT_EQ(form->Bank.ModelNumber, 80);
}
