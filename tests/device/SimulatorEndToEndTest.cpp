#include <gtest/gtest.h>

#include <chrono>

#include "CommXLine.h"
#include "ControllerSimulator.h"
#include "DeviceExchange.h"
#include "SimulatorTestState.h"
#include "TCommX.h"

namespace {

using namespace std::chrono_literals;
using Cause = ExchangeFailure::Cause;

// The real serial component on the slave side of a pty, with the simulator on the master side:
// what the line itself does with late, cut and missing replies. Whole transfers over it are
// the window's fault matrix's (WindowFaultMatrix).
class SimulatorTest : public ::testing::Test {
protected:
    ControllerSimulator sim{Options()};
    TCommX comm;
    CommXLine line{comm};
    DeviceExchange exchange{line};
    int captions = 0;

    static ControllerSimulator::Options Options()
    {
        ControllerSimulator::Options o;
        o.state = DistinctControllerState(80);
        return o;
    }

    void SetUp() override
    {
        exchange.SetCaptionHook([this] { ++captions; });
        const std::string device = sim.DevicePath();
        comm.SetPortResolver([device](int32_t) { return device; });
        comm.SetBitRate(1200);
        comm.SetFlowCtrl(cfcNone);
        comm.SetTimeOutTrans(500);
        comm.SetTimeOutReceive(2000);
        comm.Open();
    }
    void TearDown() override { comm.Close(); }
};

TEST_F(SimulatorTest, ALateReplyIsNotTakenForTheNextCommands)
{
    comm.SetTimeOutReceive(400);
    sim.DelayReply(0xD6, 800ms);
    EXPECT_EQ(exchange.ReadModelNumber(), -1);
    EXPECT_EQ(exchange.LastFailure().cause, Cause::TimeOut);

    sim.SetModelNumber(120);
    std::this_thread::sleep_for(600ms);  // the late reply, still saying 80, is waiting now
    EXPECT_EQ(exchange.ReadModelNumber(), 120);

    sim.ShortReply(0xD1, 30);
    EXPECT_FALSE(exchange.ReadModel(0).has_value());
    EXPECT_EQ(exchange.LastFailure().received, 30);
    // The component's own time-out is back after exchanges that shortened it.
    EXPECT_EQ(comm.TimeOutReceive(), 400);
}

TEST_F(SimulatorTest, AReplyCutByAnUnpluggedDeviceFailsWithoutWaitingOutTheTimeOut)
{
    comm.SetTimeOutReceive(5000);
    sim.HangUpDuring(0xD2, 10);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(exchange.ReadModel(1).has_value());
    EXPECT_LT(std::chrono::steady_clock::now() - start, 4500ms);
    EXPECT_EQ(exchange.LastFailure().cause, Cause::PortError) << exchange.LastFailure().Describe();
}

TEST_F(SimulatorTest, WithThePortClosedTheCommandFailsAtOnce)
{
    comm.Close();
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(exchange.ReadModelNumber(), -1);
    EXPECT_EQ(exchange.LastFailure().cause, Cause::NoPort);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 1000ms);
    EXPECT_EQ(captions, 1);
    EXPECT_TRUE(sim.Transcript().empty());
}

}  // namespace
