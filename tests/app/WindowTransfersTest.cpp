#include <gtest/gtest.h>

#include <QFile>
#include <QLabel>
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

using Bytes = ControllerSimulator::Bytes;

// The window on COM1, pinned to a simulated controller on a pseudo-terminal.
class WindowTransfers : public ::testing::Test {
protected:
    void SetUp() override
    {
        const QString path = dir.filePath("VXRMGR.ini");
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral("[VxrManager]\r\nCommPort=1\r\n[Ports]\r\nCOM1=%1\r\n")
                    .arg(QString::fromStdString(sim.DevicePath()))
                    .toUtf8());
        f.close();
        form = MakeMainForm({"-E"}, false, path);
        ASSERT_EQ(Texts(), std::vector<std::string>{"COM1 OK"});
        form->CommX1.SetTimeOutReceive(400);  // failures need not wait the full 7 s
        form->SetMonForm(&mon);
        messages.requests.clear();
        // At the final message the progress window is gone and the window still disabled.
        messages.onPresent = [this](const MessageRequest&) {
            hiddenAtMessage = !mon.isVisible();
            disabledAtMessage = !form->isEnabled();
        };
        sim.ClearTranscript();
    }

    std::vector<std::string> Texts() const
    {
        std::vector<std::string> t;
        for (auto& r : messages.requests)
            t.push_back(r.text);
        return t;
    }

    void ExpectFinished(const std::string& text, uint8_t kind)
    {
        ASSERT_EQ(Texts(), std::vector<std::string>{text});
        EXPECT_EQ(messages.requests[0].kind, kind);
        EXPECT_TRUE(hiddenAtMessage);
        EXPECT_TRUE(disabledAtMessage);
        EXPECT_TRUE(form->isEnabled());
        EXPECT_FALSE(mon.isVisible());
        // The version has gone from the caption (a modified mark may lead it).
        EXPECT_TRUE(form->windowTitle().endsWith("VXR Manager for ZavidEzedu")) << form->windowTitle().toStdString();
    }

    static Bytes Frame(std::initializer_list<uint8_t> b) { return Bytes(b); }

    QTemporaryDir dir;
    RecordingPresenter messages;
    ControllerSimulator sim;
    TMonForm mon;
    std::unique_ptr<TMainForm> form;
    bool hiddenAtMessage = false;
    bool disabledAtMessage = false;
};

}  // namespace

TEST_F(WindowTransfers, ReadAllShowsTheControllersModelAndWritesItsNumberBack)
{
    auto image = sim.ImageOf(3);
    image[8] = 77;   // NBRK
    image[9] = 40;   // BFREQ
    image[12] = 160; // VLT
    image[13] = 5;   // PROG
    image[16] = 63;  // first curve point
    sim.SetImage(3, image);
    sim.SetModelNumber(80);
    form->Bank.models[3].MEMO = "kept";

    form->READ_BTN->click();
    ExpectFinished("Read successful", DialogKind::Information);
    EXPECT_EQ(mon.PG_BAR->value(), 7);
    EXPECT_EQ(mon.PG_BAR->maximum(), 7);
    const auto frames = sim.Transcript();
    ASSERT_EQ(frames.size(), 7u);
    EXPECT_EQ(frames.front(), Frame({0xD6}));
    EXPECT_EQ(frames.back(), Frame({0xE6, 0x50, 0x50}));
    EXPECT_EQ(form->Bank.ModelNumber, 80);
    EXPECT_EQ(form->MDL_SEL->MDL_SEL_Tabs->currentIndex(), 2);
    const ModelSettings& m = form->Bank.models[3];
    EXPECT_EQ(m.NBRK, 77);
    EXPECT_EQ(m.BFREQ, 40);
    EXPECT_EQ(m.VLT, 160);
    EXPECT_EQ(m.PROG, 5);
    EXPECT_EQ(m.FRQ[0], 63);
    EXPECT_EQ(m.MEMO, "kept");
    EXPECT_EQ(form->Bank.SYS_CUR, sim.ImageOf(0)[6]);
}

TEST_F(WindowTransfers, ReadAllFailingAtTheThirdModelChangesNothing)
{
    form->Bank.models[1].NBRK = 3;
    form->ResetModified();  // as saved: reading all asks nothing
    const ModelBank before = form->Bank;
    sim.BadChecksum(2);
    form->READ_BTN->click();
    ExpectFinished("Read failed", DialogKind::Error);
    EXPECT_EQ(form->Bank, before);
    EXPECT_EQ(mon.PG_BAR->value(), 3);
    // The next transfer on a healthy line succeeds.
    messages.requests.clear();
    form->READ_BTN->click();
    ExpectFinished("Read successful", DialogKind::Information);
}

TEST_F(WindowTransfers, WriteAllRefusedAtModel3KeepsModels1And2Written)
{
    const auto old3 = sim.ImageOf(2);
    const uint8_t oldNumber = sim.ModelNumber();
    for (auto& m : form->Bank.models)
        m.NBRK = 11;
    form->Bank.ModelNumber = 120;
    sim.RefuseWrite(2);
    form->PROGRAM_BTN->click();
    ExpectFinished("Write failed\nMODEL1 and MODEL2 were written; MODEL3 may have been written; MODEL4, MODEL5 and the "
                   "model number were not.",
                   DialogKind::Error);
    EXPECT_EQ(sim.ImageOf(0)[8], 11);
    EXPECT_EQ(sim.ImageOf(1)[8], 11);
    EXPECT_EQ(sim.ImageOf(2), old3);
    EXPECT_EQ(sim.ModelNumber(), oldNumber);
    for (const auto& f : sim.Transcript())
        EXPECT_NE(f.front(), 0xE6);
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

TEST_F(WindowTransfers, WriteShownOnModel2SendsItsFrames)
{
    form->Bank.ModelNumber = 40;
    form->MDL_SEL->ShowModel();
    form->Bank.models[1].PROG = 7;
    form->PROG2_BTN->click();
    ExpectFinished("Write successful", DialogKind::Information);
    const auto frames = sim.Transcript();
    ASSERT_EQ(frames.size(), 3u);
    EXPECT_EQ(frames[0], Frame({0xD2}));
    ASSERT_EQ(frames[1].size(), 50u);
    EXPECT_EQ(frames[1][0], 0xE2);
    EXPECT_EQ(frames[1][1 + 7], 0x00);
    EXPECT_EQ(frames[1][1 + 13], 7);
    EXPECT_EQ(frames[2], Frame({0xE6, 0x28, 0x28}));
    EXPECT_EQ(sim.ImageOf(1)[13], 7);
}

TEST_F(WindowTransfers, ReadShownChangesOnlyThatRecord)
{
    form->Bank.ModelNumber = 120;
    form->MDL_SEL->ShowModel();
    auto image = sim.ImageOf(3);
    image[8] = 1;
    sim.SetImage(3, image);
    form->Bank.models[3].MEMO = "memo";
    const ModelBank before = form->Bank;
    form->READ2_BTN->click();
    ExpectFinished("Read successful", DialogKind::Information);
    EXPECT_EQ(sim.Transcript(), std::vector<Bytes>{Frame({0xD4})});
    EXPECT_EQ(form->Bank.models[3].NBRK, 1);
    EXPECT_EQ(form->Bank.models[3].MEMO, "memo");
    for (int i : {0, 1, 2, 4})
        EXPECT_EQ(form->Bank.models[i], before.models[i]);
}

TEST_F(WindowTransfers, WithThePortOffEveryTransferFailsAtOnce)
{
    form->CommPort->setCurrentIndex(0);
    form->CommPortCloseUp();
    messages.requests.clear();
    form->READ_BTN->click();
    ExpectFinished("Read failed", DialogKind::Error);
    messages.requests.clear();
    form->PROG2_BTN->click();
    ExpectFinished("Write failed\nMODEL1 and the model number were not written.", DialogKind::Error);
    EXPECT_TRUE(sim.Transcript().empty());
}

TEST_F(WindowTransfers, AHangUpInTheMiddleOfAReplyEndsInReadFailed)
{
    const ModelBank before = form->Bank;
    sim.HangUpDuring(0xD2, 20);
    form->READ_BTN->click();
    ExpectFinished("Read failed", DialogKind::Error);
    EXPECT_EQ(form->Bank, before);
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
        messages.requests.clear();
    }
}
