// Every transfer of vxrmgr-cli against every line fault the controller can show, the tool run as
// its own process on a pseudo-terminal: exit status and message, the file and the controller
// afterwards, and that the next run on a healthy line succeeds.
#include <gtest/gtest.h>

#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <tuple>

#include "CliRunner.h"
#include "ControllerSimulator.h"
#include "FaultTable.h"
#include "ModelBank.h"
#include "SettingsFileIo.h"
#include "SimulatorTestState.h"
#include "StorageTestFiles.h"

namespace {

using namespace faultcases;

using namespace std::chrono_literals;

// Until the device's input queue holds count bytes (the controller has sent them); false after
// a few seconds.
bool WaitForPendingInput(const std::string& device, int count)
{
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return false;
    int pending = 0;
    for (int k = 0; k < 500 && pending < count; ++k) {
        if (::ioctl(fd, FIONREAD, &pending) != 0)
            break;
        if (pending < count)
            std::this_thread::sleep_for(10ms);
    }
    ::close(fd);
    return pending == count;
}

// What the controller holds afterwards and which commands went out is the transfer's own
// business (SimulatedLineFaults); here only what the tool says and saves.
class CliFaultMatrix : public ::testing::TestWithParam<std::tuple<Fault, Transfer>> {
protected:
    void SetUp() override
    {
        StartSimulator(DistinctControllerState(80));
        bank = DistinctBank();  // differs from every controller model: one read or written shows; MODEL4 shown
        ASSERT_EQ(SettingsFileIo::Save(bank, file), SettingsFileIo::SaveResult::Saved);
    }

    void StartSimulator(const ControllerState& state)
    {
        ControllerSimulator::Options o;
        o.state = state;
        sim = std::make_unique<ControllerSimulator>(o);
    }

    CliRun Run(Transfer t, int timeoutMs = kTimeOutMs)
    {
        QStringList args{IsRead(t) ? "read" : "write", QString::fromStdString(sim->DevicePath()), file, "--timeout",
                         QString::number(timeoutMs)};
        if (t == Transfer::ReadShown || t == Transfer::WriteShown)
            args << "--model" << QString::number(kShown + 1);
        return Cli(args);
    }

    QTemporaryDir dir;
    QString file = dir.filePath("bank.VXS");
    ModelBank bank;
    std::unique_ptr<ControllerSimulator> sim;
};

TEST_P(CliFaultMatrix, ExitsOneNamingStepAndCauseAndTheNextRunSucceeds)
{
    const auto [fault, transfer] = GetParam();
    const uint8_t struck = StruckCommand(fault, transfer);
    const bool fails = struck != 0;
    const QByteArray fileBefore = ReadBytes(file);
    const ControllerState controllerBefore = sim->State();
    Arm(*sim, fault, struck);

    const CliRun r = Run(transfer);

    const std::string failure = IsRead(transfer) ? "Read failed" : "Write failed";
    const std::string success = IsRead(transfer) ? "Read successful" : "Write successful";
    // Read all keeps the five models it read when only writing the model number back fails.
    const bool keptRead = transfer == Transfer::ReadAll && struck == 0xE6;
    if (fails) {
        ASSERT_EQ(r.status, 1) << r.err;
        EXPECT_EQ(r.out, "");
        const std::string step = keptRead ? "the five models were read and saved; writing the model number back failed: "
                                          : StepText(struck);
        EXPECT_EQ(r.err.rfind("vxrmgr-cli: " + failure + ": " + step, 0), 0u) << r.err;
        EXPECT_NE(r.err.find(CauseText(fault, struck)), std::string::npos) << r.err;
        if (!IsRead(transfer)) {
            EXPECT_NE(r.err.find("\nvxrmgr-cli: " + WriteSummary(transfer, struck) + "\n"), std::string::npos) << r.err;
        }
        if (keptRead) {
            const ModelBank saved = LoadedBank(file);
            for (int i = 0; i < 5; ++i)
                EXPECT_TRUE(ImageHolds(controllerBefore.ImageOf(i), saved.models[static_cast<size_t>(i)])) << i;
            EXPECT_EQ(saved.ModelNumber, controllerBefore.ModelNumber());
        } else {
            EXPECT_EQ(ReadBytes(file), fileBefore);  // a failed read saves nothing
        }
    } else {
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(r.out, success + "\n");
        EXPECT_TRUE(ImageHolds(controllerBefore.ImageOf(kShown), LoadedBank(file).models[kShown]));
    }

    const ControllerState controllerAfter = sim->State();

    // The next run on a healthy line.
    sim->ClearFaults();
    if (fault == Fault::HangUp) {
        ASSERT_TRUE(sim->WaitForHangUp(5s));
        StartSimulator(controllerAfter);  // plugged in again
    } else if (fault == Fault::LateReply) {
        // The late reply lands while no one has the port open; the next opening drops it.
        ASSERT_TRUE(WaitForPendingInput(sim->DevicePath(), struck >= 0xE1 ? 51 : 50));
    }
    const CliRun next = Run(transfer);
    ASSERT_EQ(next.status, 0) << next.err;
    EXPECT_EQ(next.out, success + "\n");
    EXPECT_EQ(next.err, "");  // no progress when standard error is not a terminal
    const ControllerState controllerNow = sim->State();
    if (IsRead(transfer)) {
        const ModelBank read = LoadedBank(file);
        // Read all takes the controller's current model, one model merges into the file.
        EXPECT_EQ(read.ModelNumber, transfer == Transfer::ReadAll ? controllerNow.ModelNumber() : bank.ModelNumber);
        for (int i = 0; i < 5; ++i) {
            const auto& m = read.models[static_cast<size_t>(i)];
            if (transfer == Transfer::ReadAll || i == kShown) {
                EXPECT_TRUE(ImageHolds(controllerNow.ImageOf(i), m)) << "model " << i;
                EXPECT_EQ(m.MEMO, bank.models[static_cast<size_t>(i)].MEMO) << "model " << i;
            } else {
                EXPECT_EQ(m, bank.models[static_cast<size_t>(i)]) << "model " << i;
            }
        }
    } else {
        for (int i = 0; i < 5; ++i) {
            if (transfer == Transfer::WriteAll || i == kShown) {
                EXPECT_TRUE(ImageHolds(controllerNow.ImageOf(i), bank.models[static_cast<size_t>(i)])) << "model " << i;
            }
        }
        EXPECT_EQ(controllerNow.ModelNumber(), kShown * 40);
    }
}

INSTANTIATE_TEST_SUITE_P(Faults, CliFaultMatrix,
                         ::testing::Combine(::testing::ValuesIn(kAllFaults), ::testing::ValuesIn(kAllTransfers)),
                         [](const auto& info) { return CaseName(std::get<0>(info.param), std::get<1>(info.param)); });

}  // namespace
