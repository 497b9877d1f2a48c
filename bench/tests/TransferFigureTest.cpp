#include <gtest/gtest.h>

#include <chrono>

#include "BenchReporter.h"
#include "ControllerSimulator.h"
#include "DeviceBank.h"
#include "CommXLine.h"
#include "DeviceExchange.h"
#include "LineFloor.h"
#include "ModelBank.h"
#include "TCommX.h"
#include "TransferBench.h"
#include "TransferOperations.h"

namespace {

using Transfer = LineFloor::Transfer;

// The real component, counting the reply bytes the transfers take off the line.
class CountingComm : public TCommX {
public:
    int32_t ReceiveData(void* buffer, int32_t count) override
    {
        const int32_t n = TCommX::ReceiveData(buffer, count);
        if (n > 0)
            received += n;
        return n;
    }
    int64_t received = 0;
};

class FloorAgainstRealTransfer : public ::testing::TestWithParam<Transfer> {
protected:
    ControllerSimulator sim;
    CountingComm comm;
    CommXLine line{comm};
    DeviceExchange exchange{line};
    ModelBank bank;
    DeviceBank staging;
    BenchReporter reporter{BenchReporter::Pauses::Skip};
    TransferOperations ops{exchange, bank, staging, reporter, 1};

    void SetUp() override
    {
        bank.Initialise();
        const std::string device = sim.DevicePath();
        comm.SetPortResolver([device](int32_t) { return device; });
        comm.SetBitRate(1200);
        comm.SetFlowCtrl(cfcNone);
        comm.SetTimeOutReceive(3000);
        comm.Open();
    }
    void TearDown() override { comm.Close(); }
};

// The floor is only a floor if it counts exactly the bytes and pauses a transfer really has.
TEST_P(FloorAgainstRealTransfer, CountsTheRepliesAndPausesTheTransferHas)
{
    const Transfer transfer = GetParam();
    const TransferResult r = transfer == Transfer::ReadAll ? ops.ReadAll() : ops.WriteAll();
    ASSERT_TRUE(r.ok) << r.Describe();
    EXPECT_EQ(comm.received, LineFloor::ReplyBytes(transfer));
    EXPECT_EQ(reporter.PausedMs(), LineFloor::PauseMs(transfer));
}

INSTANTIATE_TEST_SUITE_P(BothTransfers, FloorAgainstRealTransfer, ::testing::Values(Transfer::ReadAll, Transfer::WriteAll),
                         [](const auto& info) { return info.param == Transfer::ReadAll ? "ReadAll" : "WriteAll"; });

TEST(LineFloor, SecondsAndFormulaAgree)
{
    EXPECT_EQ(LineFloor::ReplyBytes(Transfer::ReadAll), 257);
    EXPECT_EQ(LineFloor::ReplyBytes(Transfer::WriteAll), 512);
    EXPECT_NEAR(LineFloor::Seconds(Transfer::ReadAll), 257 * 10 / 1200.0 + 0.2, 1e-9);
    EXPECT_NEAR(LineFloor::Seconds(Transfer::WriteAll), 512 * 10 / 1200.0 + 0.1, 1e-9);
    EXPECT_EQ(LineFloor::Formula(Transfer::ReadAll),
              "(3 + 5x50 + 4) B = 257 B x 10 bit / 1200 bit/s + 200 ms = 2.342 s");
    EXPECT_EQ(LineFloor::Formula(Transfer::WriteAll),
              "(3 + 5x50 + 5x51 + 4) B = 512 B x 10 bit / 1200 bit/s + 100 ms = 4.367 s");
}

TEST(BenchReporter, SleepsOnlyWhenAskedAndKeepsWhatTheTransferReported)
{
    using Clock = std::chrono::steady_clock;
    BenchReporter sleeping(BenchReporter::Pauses::Sleep);
    auto t0 = Clock::now();
    sleeping.Pause(120);
    EXPECT_GE(Clock::now() - t0, std::chrono::milliseconds(120));
    EXPECT_EQ(sleeping.PausedMs(), 120);

    BenchReporter skipping(BenchReporter::Pauses::Skip);
    t0 = Clock::now();
    skipping.Pause(10000);
    skipping.Pause(100);
    EXPECT_LT(Clock::now() - t0, std::chrono::milliseconds(5000));
    EXPECT_EQ(skipping.PausedMs(), 10100);

    skipping.StartProgress(7);
    skipping.Step();
    skipping.Step();
    skipping.Message(TransferReporter::Kind::Error, "Read failed");
    EXPECT_EQ(skipping.Maximum(), 7);
    EXPECT_EQ(skipping.Steps(), 2);
    EXPECT_EQ(skipping.LastKind(), TransferReporter::Kind::Error);
    EXPECT_EQ(skipping.LastText(), "Read failed");
    skipping.Reset();
    EXPECT_EQ(skipping.PausedMs(), 0);
    EXPECT_EQ(skipping.Steps(), 0);
    EXPECT_EQ(skipping.LastText(), "");
}

class TransferBenchOverSimulator : public ::testing::Test {
protected:
    ControllerSimulator sim;
    TransferBench bench{sim.DevicePath(), BenchReporter::Pauses::Skip};
    void SetUp() override { bench.Open(); }
};

TEST_F(TransferBenchOverSimulator, RunsBothTransfersAndCountsEachRun)
{
    const TransferBench::Figures reads = bench.Run(Transfer::ReadAll, 2);
    bench.Bank().models[3].NBRK = 77;
    const TransferBench::Figures writes = bench.Run(Transfer::WriteAll, 2);
    EXPECT_EQ(reads.failure, "");
    EXPECT_EQ(writes.failure, "");
    EXPECT_EQ(reads.wallSeconds.size(), 2u);
    EXPECT_EQ(writes.wallSeconds.size(), 2u);
    EXPECT_GT(writes.wallTotal, 0.0);
    // Write all puts the bank's values into the controller.
    EXPECT_EQ(sim.ImageOf(3)[8], 77);
}

TEST_F(TransferBenchOverSimulator, AFailedTransferStopsTheSeriesAndSaysWhy)
{
    sim.RefuseWrite(1, ControllerSimulator::Shots::Always);
    const TransferBench::Figures f = bench.Run(Transfer::WriteAll, 3);
    EXPECT_TRUE(f.wallSeconds.empty());
    EXPECT_NE(f.failure.find("write all"), std::string::npos) << f.failure;
    EXPECT_NE(f.failure.find("MODEL2"), std::string::npos) << f.failure;
}

}  // namespace
