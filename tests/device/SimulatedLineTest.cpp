#include <gtest/gtest.h>

#include <tuple>

#include "DeviceBank.h"
#include "DeviceExchange.h"
#include "FaultCases.h"
#include "RecordingReporter.h"
#include "SimulatedLine.h"
#include "SimulatorTestState.h"
#include "TransferOperations.h"

namespace {

using namespace faultcases;
using namespace std::chrono_literals;

// The transfers against the controller's logic over the in-process line, time simulated.
struct Rig {
    ControllerLogic controller{500ms, DistinctControllerState(80)};
    SimulatedLine line{controller, kTimeOutMs};
    ModelBank bank = DistinctBank();
    DeviceBank staging;
    RecordingReporter reporter;
    DeviceExchange exchange{line};
    TransferOperations ops{exchange, bank, staging, reporter, 1};

    std::vector<uint8_t> Commands() const { return CommandsOf(controller.Transcript()); }
};

class SimulatedLineFaults : public ::testing::TestWithParam<std::tuple<Fault, Transfer>> {};

TEST_P(SimulatedLineFaults, FailWhereTheFaultStrikesLikeOnThePtyAndTheNextTransferSucceeds)
{
    const auto [fault, transfer] = GetParam();
    Rig rig;
    const ControllerState before = rig.controller.State();
    const uint8_t struck = StruckCommand(fault, transfer);
    Arm(rig.controller, fault, struck);

    EXPECT_EQ(RunTransfer(rig.ops, transfer).ok, struck == 0);
    EXPECT_EQ(rig.Commands(), struck ? SequenceUntil(transfer, struck) : FullSequence(transfer));
    ExpectControllerAfterFailure(fault, transfer, struck, before, rig.controller.State(), rig.bank);
    // The whole run took simulated time only: a time-out at most, and a late reply's delay.
    EXPECT_LE(rig.line.Now().time_since_epoch(), std::chrono::milliseconds(kTimeOutMs) + kLateBy);

    rig.controller.ClearFaults();
    rig.controller.ClearTranscript();
    rig.line.Wait(kLateBy * 2);
    if (fault == Fault::HangUp) {
        // Dead until plugged in again: fails at once, and the controller hears nothing.
        ASSERT_TRUE(rig.line.HungUp());
        EXPECT_FALSE(RunTransfer(rig.ops, transfer).ok);
        EXPECT_TRUE(rig.Commands().empty());
        return;
    }
    EXPECT_TRUE(RunTransfer(rig.ops, transfer).ok);
    EXPECT_EQ(rig.Commands(), FullSequence(transfer));
}

INSTANTIATE_TEST_SUITE_P(Matrix, SimulatedLineFaults,
                         ::testing::Combine(::testing::ValuesIn(kAllFaults), ::testing::ValuesIn(kAllTransfers)),
                         [](const auto& info) { return CaseName(std::get<0>(info.param), std::get<1>(info.param)); });

TEST(SimulatedLineTest, AReplyDelayedWithinTheTimeOutIsWaitedForAndTheClockStopsWhereItArrived)
{
    Rig rig;
    rig.controller.DelayReply(0xD6, 300ms);
    EXPECT_EQ(rig.exchange.ReadModelNumber(), 80);
    EXPECT_EQ(rig.line.Now().time_since_epoch(), 300ms);
}

TEST(SimulatedLineTest, PurgeDropsOnlyWhatHasArrived)
{
    Rig rig;
    rig.controller.DelayReply(0xD6, 1000ms);
    rig.line.Send("\xD6");
    rig.line.PurgeReceive();  // nothing there yet
    char buffer[8];
    EXPECT_EQ(rig.line.Receive(buffer, 3, 2000), 3);
    rig.line.Send("\xD6");
    rig.line.Wait(1ms);
    rig.line.PurgeReceive();
    EXPECT_EQ(rig.line.Receive(buffer, 3, 2000), 0);
}

}  // namespace
