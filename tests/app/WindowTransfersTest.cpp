#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolButton>

#include "ControllerSimulator.h"
#include "MainFormHarness.h"
#include "RecordingPresenter.h"
#include "TCurveEditor.h"
#include "TModelEditor.h"
#include "TMonForm.h"
#include "TPortComboBox.h"

namespace {

// The window on COM1, pinned to a simulated controller on a pseudo-terminal.
class WindowTransfers : public ::testing::Test {
protected:
    void SetUp() override
    {
        form = MakeMainForm({"-E"}, false, PinnedCom1Settings(dir, QString::fromStdString(sim.DevicePath())));
        ASSERT_EQ(messages.Texts(), std::vector<std::string>{"COM1 OK"});
        form->CommX1.SetTimeOutReceive(400);  // failures need not wait the full 7 s
        form->SetMonForm(&mon);
        messages.requests.clear();
        // At the final message the progress window is gone and the window still disabled.
        messages.onPresent = [this](const MessageRequest&) {
            hiddenAtMessage = !mon.isVisible();
            disabledAtMessage = !form->isEnabled();
            titleAtMessage = form->windowTitle();
        };
        sim.ClearTranscript();
    }

    void ExpectFinished(const std::string& text, uint8_t kind)
    {
        ASSERT_EQ(messages.Texts(), std::vector<std::string>{text});
        EXPECT_EQ(messages.requests[0].kind, kind);
        EXPECT_TRUE(hiddenAtMessage);
        EXPECT_TRUE(disabledAtMessage);
        EXPECT_TRUE(form->isEnabled());
        EXPECT_FALSE(mon.isVisible());
        // The version has gone from the caption (a modified mark may lead it).
        EXPECT_TRUE(form->windowTitle().endsWith("VXR Manager for ZavidEzedu")) << form->windowTitle().toStdString();
    }
    QTemporaryDir dir;
    RecordingPresenter messages;
    ControllerSimulator sim;
    TMonForm mon;
    std::unique_ptr<TMainForm> form;
    bool hiddenAtMessage = false;
    bool disabledAtMessage = false;
    QString titleAtMessage;
};

}  // namespace

// What a read takes and sends is the transfer's business (TransferTest); here the window
// shows the controller's current model as read.
TEST_F(WindowTransfers, ReadAllShowsTheControllersCurrentModel)
{
    auto image = sim.ImageOf(2);
    image[8] = 77;  // NBRK
    sim.SetImage(2, image);
    sim.SetModelNumber(80);

    form->READ_BTN->click();
    ExpectFinished("Read successful", DialogKind::Information);
    EXPECT_EQ(mon.PG_BAR->value(), 7);
    EXPECT_EQ(mon.PG_BAR->maximum(), 7);
    EXPECT_EQ(form->MDL_SEL->MDL_SEL_Tabs->currentIndex(), 2);
    EXPECT_EQ(form->MDL_SEL->NBRK_EDIT->text(), "77");
}

TEST_F(WindowTransfers, WriteAllThenReadAllGivesTheSameModels)
{
    form->Bank.models[4].FRQ.fill(40);
    form->Bank.models[4].VLT = 195;
    form->Bank.models[0].BFREQ = 12;
    form->Bank.ModelNumber = 160;
    const ModelBank written = form->Bank;
    form->PROGRAM_BTN->click();
    ExpectFinished("Write successful", DialogKind::Information);
    EXPECT_EQ(mon.PG_BAR->value(), 12);
    EXPECT_EQ(sim.ModelNumber(), 160);
    form->Bank.Initialise();
    form->ResetModified();
    messages.requests.clear();
    form->READ_BTN->click();
    ExpectFinished("Read successful", DialogKind::Information);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(form->Bank.models[i], written.models[i]) << i;
    EXPECT_EQ(form->MDL_SEL->MDL_SEL_Tabs->currentIndex(), 4);
}

TEST_F(WindowTransfers, WithThePortOffEveryTransferFailsAtOnce)
{
    form->CommPort->setCurrentIndex(0);
    form->CommPortCloseUp();
    messages.requests.clear();
    form->READ_BTN->click();
    ExpectFinished("Read failed\nreading the model number: no port open; choose a port next to COMM", DialogKind::Error);
    messages.requests.clear();
    form->PROG2_BTN->click();
    ExpectFinished("Write failed\nreading MODEL1: no port open; choose a port next to COMM\n"
                   "MODEL1 and the model number were not written.",
                   DialogKind::Error);
    EXPECT_TRUE(sim.Transcript().empty());
}

// What a transfer that succeeded puts on the controller is kept there; memos live only in files.
TEST_F(WindowTransfers, SucceededTransfersLeaveOnlyEditsTheyDidNotTransferUnsaved)
{
    const struct {
        int model;       // MODEL1 is shown
        bool memo;       // the edit: the memo, else the brake value
        QToolButton* TMainForm::*button;
        bool modified;   // afterwards
    } cases[] = {
        {0, false, &TMainForm::PROG2_BTN, false}, {1, false, &TMainForm::PROG2_BTN, true},
        {0, false, &TMainForm::READ2_BTN, false}, {3, false, &TMainForm::READ2_BTN, true},
        {3, false, &TMainForm::PROGRAM_BTN, false}, {2, true, &TMainForm::PROGRAM_BTN, true},
        {4, false, &TMainForm::READ_BTN, false},  {2, true, &TMainForm::READ_BTN, true},
    };
    for (const auto& c : cases) {
        form->ResetModified();
        ModelSettings& m = form->Bank.models[static_cast<size_t>(c.model)];
        if (c.memo)
            m.MEMO += "note";
        else
            m.NBRK += 1;
        messages.answers = {DialogResult::No};  // reading all over the edit: discard it
        (form.get()->*c.button)->click();
        EXPECT_EQ(messages.requests.back().kind, DialogKind::Information);
        EXPECT_EQ(form->IsModified(), c.modified) << (form.get()->*c.button)->objectName().toStdString() << " " << c.model;
        // The caption says so while the message is still open.
        EXPECT_EQ(titleAtMessage.startsWith(u'*'), c.modified) << titleAtMessage.toStdString();
        messages.requests.clear();
    }
}
