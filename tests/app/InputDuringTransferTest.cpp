// Input that arrives while a transfer runs, against a controller answering at 1200 bit/s: the
// window is disabled then, and no press, drag, key, input-method commit, drop or hint may reach
// the bank, the tabs, the curve selection, the port list or the line. Each case runs a transfer
// twice, once without input and once with it sent in the middle, and both must end alike.
#include <gtest/gtest.h>

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QToolTip>
#include <QWindow>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "ControllerSimulator.h"
#include "FaultTable.h"
#include "MainFormHarness.h"
#include "RecordingPresenter.h"
#include "SimulatorTestState.h"
#include "TCurveEditor.h"
#include "TModelEditor.h"
#include "TMonForm.h"
#include "TPortComboBox.h"

namespace {

using faultcases::Transfer;
using Bytes = ControllerSimulator::Bytes;

// What a transfer leaves behind, as far as input could change it.
struct Outcome {
    std::vector<std::string> messages;
    std::vector<Bytes> frames;
    std::string bank;  // as text, so a difference reads plainly
    int tab = -1;
    int selStart = -2;
    int selEnd = -2;
    int port = -1;
    std::string memo;
    std::string nbrkText;
    std::string cutOffText;
    bool hintShown = false;
};

std::string Describe(const ModelBank& bank)
{
    std::string out = "ModelNumber " + std::to_string(bank.ModelNumber) + ", SYS_CUR " + std::to_string(bank.SYS_CUR);
    for (const ModelSettings& m : bank.models) {
        out += "\n  " + std::to_string(m.NBRK) + " " + std::to_string(m.BFREQ) + " " + std::to_string(m.VLT) + " " +
               std::to_string(m.PROG) + " [";
        for (int32_t f : m.FRQ)
            out += " " + std::to_string(f);
        out += " ] \"" + m.MEMO + "\"";
    }
    return out;
}

class InputDuringTransfer;
using Input = std::function<void(InputDuringTransfer&)>;

struct InputCase {
    const char* name;
    Transfer transfer;
    Input input;
};

void PrintTo(const InputCase& c, std::ostream* os)
{
    *os << c.name;
}

class InputDuringTransfer : public ::testing::TestWithParam<InputCase> {
public:
    TMainForm& Form() { return *form_; }
    QWindow* Window() { return form_->windowHandle(); }
    // A point of a control in the coordinates of the window, where real input arrives.
    QPoint InWindow(const QWidget* w, QPoint p) { return w->mapTo(form_.get(), p); }
    QPoint TabCentre(int i) { return InWindow(form_->MDL_SEL->MDL_SEL_Tabs, form_->MDL_SEL->MDL_SEL_Tabs->tabRect(i).center()); }

    void InputMethodCommit(QWidget* to, const QString& text, int replaceFrom = 0, int replaceLength = 0)
    {
        QInputMethodEvent e;
        e.setCommitString(text, replaceFrom, replaceLength);
        QApplication::sendEvent(to, &e);
    }

    bool hintShown = false;

protected:
    // One transfer on a fresh window and controller; with input, it is sent once the transfer
    // waits for its first reply.
    Outcome Run(const InputCase& c, bool withInput)
    {
        ControllerSimulator::Options o;
        o.paced = withInput;  // the run without input needs no line timing
        auto sim = std::make_unique<ControllerSimulator>(o);
        form_ = MakeMainForm({"-E"}, false, PinnedCom1Settings(dir_, QString::fromStdString(sim->DevicePath())));
        auto mon = std::make_unique<TMonForm>();
        form_->SetMonForm(mon.get());
        form_->Bank = DistinctBank();  // differs from the controller's models, each model from the others
        form_->MDL_SEL->ShowModel();
        form_->ResetModified();  // as saved: reading all asks nothing
        form_->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
        hintShown = false;
        messages_.requests.clear();
        sim->ClearTranscript();

        bool sent = false;
        bool whileRunning = false;
        if (withInput) {
            QTimer::singleShot(0, form_.get(), [&] {
                whileRunning = !form_->isEnabled() && mon->isVisible();
                c.input(*this);
                sent = true;
            });
        }
        TransferButton(*form_, c.transfer)->click();
        if (withInput) {
            EXPECT_TRUE(sent);
            EXPECT_TRUE(whileRunning) << "the input came when no transfer ran";
        }

        Outcome out;
        out.messages = messages_.Texts();
        out.frames = sim->Transcript();
        out.bank = Describe(form_->Bank);
        out.tab = form_->MDL_SEL->MDL_SEL_Tabs->currentIndex();
        out.selStart = form_->MDL_SEL->Curve().SelStart();
        out.selEnd = form_->MDL_SEL->Curve().SelEnd();
        out.port = form_->CommPort->currentIndex();
        out.memo = form_->MDL_SEL->Memo1->toPlainText().toStdString();
        out.nbrkText = form_->MDL_SEL->NBRK_EDIT->text().toStdString();
        out.cutOffText = form_->MDL_SEL->CUTOFF_COMB->currentText().toStdString();
        out.hintShown = hintShown;
        QToolTip::hideText();
        form_.reset();
        return out;
    }

    QTemporaryDir dir_;
    RecordingPresenter messages_;
    std::unique_ptr<TMainForm> form_;
};

TEST_P(InputDuringTransfer, ChangesNothing)
{
    const InputCase& c = GetParam();
    const Outcome quiet = Run(c, false);
    const std::string success = faultcases::IsRead(c.transfer) ? "Read successful" : "Write successful";
    ASSERT_EQ(quiet.messages, std::vector<std::string>{success});
    const Outcome busy = Run(c, true);

    EXPECT_EQ(busy.messages, quiet.messages);
    EXPECT_EQ(busy.frames, quiet.frames) << "the controller received other bytes";
    EXPECT_EQ(busy.bank, quiet.bank);
    EXPECT_EQ(busy.tab, quiet.tab);
    EXPECT_EQ(busy.selStart, quiet.selStart);
    EXPECT_EQ(busy.selEnd, quiet.selEnd);
    EXPECT_EQ(busy.port, quiet.port);
    EXPECT_EQ(busy.memo, quiet.memo);
    EXPECT_EQ(busy.nbrkText, quiet.nbrkText);
    EXPECT_EQ(busy.cutOffText, quiet.cutOffText);
    EXPECT_FALSE(busy.hintShown) << "a hint showed on the disabled window";
}

const InputCase kCases[] = {
    // A press on another tab: the model number written at the end stays the shown model's.
    {"TabPressDuringWriteAll", Transfer::WriteAll,
     [](InputDuringTransfer& t) { QTest::mouseClick(t.Window(), Qt::LeftButton, {}, t.TabCentre(1)); }},
    {"TabPressDuringWriteShown", Transfer::WriteShown,
     [](InputDuringTransfer& t) { QTest::mouseClick(t.Window(), Qt::RightButton, {}, t.TabCentre(0)); }},
    // Dragging MODEL1 onto MODEL3 asks no question and copies nothing.
    {"TabDragDuringReadAll", Transfer::ReadAll,
     [](InputDuringTransfer& t) {
         const QPoint from = t.TabCentre(0), to = t.TabCentre(2);
         QTest::mousePress(t.Window(), Qt::LeftButton, {}, from);
         for (int k = 1; k <= 4; ++k)
             QTest::mouseMove(t.Window(), from + (to - from) * k / 4);
         QTest::mouseRelease(t.Window(), Qt::LeftButton, {}, to);
     }},
    // Keys on a curve bar neither move it nor select it.
    {"CurveBarKeysDuringWriteShown", Transfer::WriteShown,
     [](InputDuringTransfer& t) {
         QScrollBar* bar = t.Form().MDL_SEL->Curve().Bar(5);
         QTest::keyClick(bar, Qt::Key_Up, Qt::ShiftModifier);
         QTest::keyClick(bar, Qt::Key_Down);
     }},
    // A number committed by an input method and entered.
    {"NumberFieldInputMethodDuringWriteShown", Transfer::WriteShown,
     [](InputDuringTransfer& t) {
         QLineEdit* edit = t.Form().MDL_SEL->NBRK_EDIT;
         t.InputMethodCommit(edit, QStringLiteral("200"), -edit->cursorPosition(), static_cast<int>(edit->text().size()));
         QTest::keyClick(edit, Qt::Key_Return);
     }},
    // Another cut-off item's text, committed by an input method.
    {"CutOffInputMethodDuringWriteShown", Transfer::WriteShown,
     [](InputDuringTransfer& t) {
         QComboBox* list = t.Form().MDL_SEL->CUTOFF_COMB;
         QLineEdit* edit = list->lineEdit();
         t.InputMethodCommit(edit, list->itemText(0), -edit->cursorPosition(), static_cast<int>(edit->text().size()));
     }},
    {"MemoInputMethodDuringReadShown", Transfer::ReadShown,
     [](InputDuringTransfer& t) { t.InputMethodCommit(t.Form().MDL_SEL->Memo1, QString::fromUtf8("メモ")); }},
    // The port list would search its items for the committed text and change its choice.
    {"PortListInputMethodDuringReadShown", Transfer::ReadShown,
     [](InputDuringTransfer& t) { t.InputMethodCommit(t.Form().CommPort, QStringLiteral("COM3")); }},
    // The pointer resting on a greyed tool button shows no hint.
    {"HintDuringReadShown", Transfer::ReadShown,
     [](InputDuringTransfer& t) {
         QToolButton* b = t.Form().READ_BTN;
         QHelpEvent e(QEvent::ToolTip, b->rect().center(), b->mapToGlobal(b->rect().center()));
         QApplication::sendEvent(b, &e);
         t.hintShown = QToolTip::isVisible();
     }},
};

INSTANTIATE_TEST_SUITE_P(Inputs, InputDuringTransfer, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<InputCase>& info) { return std::string(info.param.name); });

}  // namespace
