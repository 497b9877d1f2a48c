// Every transfer of the window against every line fault the controller can show, through the
// real serial component on a pseudo-terminal: how each ends, what it leaves in the bank and on
// the controller, that no thread stays behind, and that the next transfer works again.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProgressBar>
#include <QTabBar>
#include <QTemporaryDir>
#include <QToolButton>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>
#include <tuple>

#include "ControllerSimulator.h"
#include "FaultTable.h"
#include "MainFormHarness.h"
#include "RecordingPresenter.h"
#include "SimulatorTestState.h"
#include "TModelEditor.h"
#include "TMonForm.h"

namespace {

using namespace faultcases;

using namespace std::chrono_literals;

// Threads of this process, leaving out the workers of Qt's global pool, which Qt starts and
// retires on its own schedule (the program itself runs nothing there).
int ThreadCount()
{
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/task")) {
        QFile comm(QString::fromStdString((e.path() / "comm").string()));
        if (comm.open(QIODevice::ReadOnly) && comm.readAll().trimmed() == "Thread (pooled)")
            continue;
        ++n;
    }
    return n;
}

// Thread ends are seen a moment after the event that ends them.
bool ThreadCountSettlesAt(int expected)
{
    QElapsedTimer t;
    t.start();
    while (ThreadCount() != expected) {
        if (t.elapsed() > 10000)  // generous: a loaded machine schedules a thread's end late
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

void PumpFor(std::chrono::milliseconds span)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < span.count()) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(5ms);
    }
}

// The window on COM1; COM1 is pinned to a link that points at the simulated controller, so a
// fresh controller can take its place as a re-plugged device would.
// What the controller holds afterwards is the transfer's own business (SimulatedLineFaults);
// here what the window shows, sends over the real port, and leaves running.
class WindowFaultMatrix : public ::testing::TestWithParam<std::tuple<Fault, Transfer>> {
protected:
    void SetUp() override
    {
        baseThreads = ThreadCount();
        StartSimulator();
        form = MakeMainForm({"-E"}, false, PinnedCom1Settings(dir, LinkPath()));
        ASSERT_EQ(messages.Texts(), std::vector<std::string>{"COM1 OK"});
        form->CommX1.SetTimeOutReceive(kTimeOutMs);
        form->SetMonForm(&mon);
        form->Bank = DistinctBank();  // differs from every controller model: one written or read shows
        form->MDL_SEL->ShowModel();
        form->ResetModified();  // as saved: reading all asks nothing
        messages.requests.clear();
        messages.onPresent = [this](const MessageRequest&) {
            hiddenAtMessage = !mon.isVisible();
            barAtMessage = mon.PG_BAR->value();
        };
        sim->ClearTranscript();
        openThreads = ThreadCount();
    }

    void TearDown() override
    {
        form.reset();  // closes the port: its workers end
        sim.reset();
        EXPECT_EQ(ThreadCount(), baseThreads) << "a thread outlived the window and the controller";
    }

    QString LinkPath() const { return dir.filePath("ttyVXR"); }

    void StartSimulator(const ControllerState& state = DistinctControllerState(80))
    {
        ControllerSimulator::Options o;
        o.state = state;
        sim = std::make_unique<ControllerSimulator>(o);
        const std::string link = LinkPath().toStdString();
        std::filesystem::remove(link);
        std::filesystem::create_symlink(sim->DevicePath(), link);
    }

    void Click(Transfer t) { TransferButton(*form, t)->click(); }
    std::vector<uint8_t> Commands() const { return CommandsOf(sim->Transcript()); }

    QTemporaryDir dir;
    RecordingPresenter messages;
    std::unique_ptr<ControllerSimulator> sim;
    TMonForm mon;
    std::unique_ptr<TMainForm> form;
    int baseThreads = 0;
    int openThreads = 0;
    bool hiddenAtMessage = false;
    int barAtMessage = -1;
};

TEST_P(WindowFaultMatrix, EndsInItsFailureTextAndTheNextTransferSucceeds)
{
    const auto [fault, transfer] = GetParam();
    const uint8_t struck = StruckCommand(fault, transfer);
    const bool fails = struck != 0;
    const ModelBank bankBefore = form->Bank;
    const ControllerState controllerBefore = sim->State();
    Arm(*sim, fault, struck);

    Click(transfer);

    const std::string success = IsRead(transfer) ? "Read successful" : "Write successful";
    ASSERT_EQ(messages.requests.size(), 1u);
    if (fails)
        EXPECT_TRUE(Matches(FailureMessage(fault, transfer, struck), messages.requests[0].text)) << messages.requests[0].text;
    else
        EXPECT_EQ(messages.requests[0].text, success);
    EXPECT_EQ(messages.requests[0].kind, fails ? DialogKind::Error : DialogKind::Information);
    EXPECT_TRUE(hiddenAtMessage);
    EXPECT_TRUE(form->isEnabled());
    EXPECT_FALSE(mon.isVisible());
    EXPECT_TRUE(form->windowTitle().endsWith("VXR Manager for ZavidEzedu")) << form->windowTitle().toStdString();
    // Unchanged, or (the model number's write refused) holding the models the controller holds.
    EXPECT_FALSE(form->IsModified());

    // Nothing is sent after the failing command, and the bar, a step per command, counts those before it.
    const std::vector<uint8_t> sent = fails ? SequenceUntil(transfer, struck) : FullSequence(transfer);
    if (Commands() != sent) {
        // Tells a transfer that gave up before its frame was even seen from a frame never sent.
        const std::vector<uint8_t> seen = Commands();
        std::this_thread::sleep_for(300ms);
        ADD_FAILURE() << "commands seen: " << seen.size() << ", a moment later: " << Commands().size()
                      << ", expected: " << sent.size();
    }
    EXPECT_EQ(barAtMessage, static_cast<int>(sent.size()) - (fails ? 1 : 0));

    // The bank.
    if (transfer == Transfer::ReadAll && struck == 0xE6) {
        // Every model was read before the write-back was refused: the bank holds them.
        for (int i = 0; i < 5; ++i) {
            const ModelSettings& m = form->Bank.models[static_cast<size_t>(i)];
            EXPECT_TRUE(ImageHolds(controllerBefore.ImageOf(i), m)) << "model " << i;
            EXPECT_EQ(m.MEMO, bankBefore.models[static_cast<size_t>(i)].MEMO);
        }
        EXPECT_EQ(form->Bank.ModelNumber, controllerBefore.ModelNumber());
        EXPECT_EQ(form->MDL_SEL->MDL_SEL_Tabs->currentIndex(), controllerBefore.ModelNumber() / 40);
    } else if (transfer == Transfer::ReadShown && !fails) {
        EXPECT_TRUE(ImageHolds(controllerBefore.ImageOf(kShown), form->Bank.models[kShown]));
    } else {
        EXPECT_EQ(form->Bank, bankBefore);
    }

    const ControllerState controllerAfter = sim->State();

    // The port's two workers and the controller's thread, nothing more; after a hang-up the
    // controller's thread has ended and the port, still open on the dead device, keeps its two.
    if (fault == Fault::HangUp) {
        ASSERT_TRUE(sim->WaitForHangUp(5s));
    }
    const int expectedThreads = openThreads - (fault == Fault::HangUp ? 1 : 0);
    EXPECT_TRUE(ThreadCountSettlesAt(expectedThreads)) << ThreadCount() << " threads, expected " << expectedThreads;

    // The next transfer on a healthy line.
    sim->ClearFaults();
    if (fault == Fault::HangUp) {
        // Until the port is chosen again every transfer fails at once on the dead device.
        messages.requests.clear();
        Click(transfer);
        // The dead device fails the first command.
        const uint8_t first = FullSequence(transfer).front();
        ASSERT_EQ(messages.requests.size(), 1u);
        EXPECT_TRUE(Matches(FailureMessage(fault, transfer, first), messages.requests[0].text)) << messages.requests[0].text;
        EXPECT_TRUE(form->isEnabled());
        StartSimulator(controllerAfter);
        messages.requests.clear();
        form->CommPortCloseUp();  // the user picks COM1 again
        ASSERT_EQ(messages.Texts(), std::vector<std::string>{"COM1 OK"});
    } else if (fault == Fault::LateReply) {
        // The late reply arrives while the line is idle; the next exchange's purge drops it.
        const int32_t lateLength = struck >= 0xE1 ? 51 : 50;
        QElapsedTimer waited;
        waited.start();
        while (form->CommX1.ReceiveCount() < lateLength && waited.elapsed() < 5000)
            PumpFor(10ms);
        ASSERT_EQ(form->CommX1.ReceiveCount(), lateLength) << "the late reply did not come";
    }
    sim->ClearTranscript();
    messages.requests.clear();
    Click(transfer);
    ASSERT_EQ(messages.Texts(), std::vector<std::string>{success});
    EXPECT_EQ(Commands(), FullSequence(transfer));
    EXPECT_EQ(barAtMessage, static_cast<int>(FullSequence(transfer).size()));
    EXPECT_TRUE(form->isEnabled());
    EXPECT_FALSE(mon.isVisible());
    EXPECT_TRUE(ThreadCountSettlesAt(openThreads)) << ThreadCount() << " threads, expected " << openThreads;
}

INSTANTIATE_TEST_SUITE_P(Faults, WindowFaultMatrix,
                         ::testing::Combine(::testing::ValuesIn(kAllFaults), ::testing::ValuesIn(kAllTransfers)),
                         [](const auto& info) { return CaseName(std::get<0>(info.param), std::get<1>(info.param)); });

}  // namespace
