#include <gtest/gtest.h>

#include <thread>

#include "ControllerSimulator.h"
#include "SlavePort.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using Shots = ControllerSimulator::Shots;
using Image = ControllerState::Image;

Bytes WriteModelFrame(int i, const Image& image)
{
    Bytes frame(50);
    frame[0] = static_cast<uint8_t>(0xE1 + i);
    std::copy(image.begin(), image.end(), frame.begin() + 1);
    frame[49] = static_cast<uint8_t>(ControllerState::Checksum(image));
    return frame;
}

Image Filled(uint8_t value)
{
    Image image;
    image.fill(value);
    return image;
}

class SimulatorFaultsTest : public ::testing::Test {
protected:
    ControllerSimulator sim;
    SlavePort port{sim.DevicePath()};

    void SetUp() override { ASSERT_TRUE(port.IsOpen()); }
};

TEST_F(SimulatorFaultsTest, SilenceOnceSwallowsOneFrameWholeThenAnswersAgain)
{
    sim.SilenceAfter(0xE6);
    ASSERT_TRUE(port.Send({0xE6, 0x50, 0x50}));
    ASSERT_TRUE(sim.WaitForFrames(1, 2s));
    EXPECT_TRUE(port.ReceiveFor(150ms).empty());
    EXPECT_EQ(sim.ModelNumber(), 0);  // the frame was lost, so nothing was stored

    EXPECT_EQ(port.Exchange({0xE6, 0x50, 0x50}, 4), (Bytes{0xE6, 0x50, 0x50, 0x06}));
    EXPECT_EQ(sim.ModelNumber(), 0x50);
}

TEST_F(SimulatorFaultsTest, SilenceForOneCommandLeavesTheOthersAnswered)
{
    sim.SilenceAfter(0xD3, Shots::Always);
    for (int round = 0; round < 2; ++round) {
        ASSERT_TRUE(port.Send({0xD3}));
        ASSERT_TRUE(sim.WaitForFrames(static_cast<size_t>(2 * round + 1), 2s));
        EXPECT_TRUE(port.ReceiveFor(100ms).empty());
        EXPECT_EQ(port.Exchange({0xD2}, 50).size(), 50u);
    }
    sim.ClearFaults();
    EXPECT_EQ(port.Exchange({0xD3}, 50).size(), 50u);
}

TEST_F(SimulatorFaultsTest, SilenceForAnyCommandIsAControllerThatDoesNotAnswer)
{
    sim.SilenceAfter(ControllerSimulator::kAnyCommand, Shots::Always);
    ASSERT_TRUE(port.Send({0xD6}));
    ASSERT_TRUE(port.Send({0xD1}));
    ASSERT_TRUE(sim.WaitForFrames(2, 2s));
    EXPECT_TRUE(port.ReceiveFor(150ms).empty());
}

TEST_F(SimulatorFaultsTest, ShortReplySendsOnlyTheFirstBytes)
{
    sim.ShortReply(0xD1, 49);
    const Bytes reply = port.Exchange({0xD1}, 50, 300ms);
    ASSERT_EQ(reply.size(), 49u);
    EXPECT_EQ(reply[0], 0xD1);
    EXPECT_EQ(reply[1], ControllerState::FactoryImage(0)[0]);
    EXPECT_EQ(port.Exchange({0xD1}, 50).size(), 50u);  // once only

    sim.ShortReply(0xE6, 3);
    EXPECT_EQ(port.Exchange({0xE6, 0x28, 0x28}, 4, 300ms), (Bytes{0xE6, 0x28, 0x28}));
    // The controller heard the frame; only its answer was cut.
    EXPECT_EQ(sim.ModelNumber(), 40);
}

TEST_F(SimulatorFaultsTest, BadChecksumHitsOnlyTheGivenModel)
{
    sim.BadChecksum(2, Shots::Always);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const Bytes reply = port.Exchange({static_cast<uint8_t>(0xD1 + i)}, 50);
        ASSERT_EQ(reply.size(), 50u);
        Image image;
        std::copy(reply.begin() + 1, reply.begin() + 49, image.begin());
        EXPECT_EQ(image, ControllerState::FactoryImage(i));  // the image itself stays right
        EXPECT_EQ(reply[49] == ControllerState::Checksum(image), i != 2);
    }
}

TEST_F(SimulatorFaultsTest, RefusedWriteIsNotStoredAndOthersAreAccepted)
{
    sim.RefuseWrite(2);
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const Bytes frame = WriteModelFrame(i, Filled(static_cast<uint8_t>(0x30 + i)));
        const Bytes reply = port.Exchange(frame, 51);
        ASSERT_EQ(reply.size(), 51u);
        EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 50), frame);
        EXPECT_EQ(reply[50] == ControllerSimulator::kAck, i != 2);
        EXPECT_EQ(sim.ImageOf(i) == Filled(static_cast<uint8_t>(0x30 + i)), i != 2);
    }
    // Once: the same write goes through the second time.
    EXPECT_EQ(port.Exchange(WriteModelFrame(2, Filled(0x32)), 51).back(), ControllerSimulator::kAck);
    EXPECT_EQ(sim.ImageOf(2), Filled(0x32));
}

TEST_F(SimulatorFaultsTest, RefusedModelNumberWrite)
{
    sim.RefuseModelNumberWrite(Shots::Always);
    for (int round = 0; round < 2; ++round) {
        const Bytes reply = port.Exchange({0xE6, 0x78, 0x78}, 4);
        ASSERT_EQ(reply.size(), 4u);
        EXPECT_NE(reply[3], ControllerSimulator::kAck);
    }
    EXPECT_EQ(sim.ModelNumber(), 0);
    // The model writes are not affected.
    EXPECT_EQ(port.Exchange(WriteModelFrame(0, Filled(1)), 51).back(), ControllerSimulator::kAck);
}

TEST_F(SimulatorFaultsTest, StrayBytesComeBeforeTheReply)
{
    sim.StrayBytes(0xD6, {0x55, 0xAA});
    EXPECT_EQ(port.Exchange({0xD6}, 5), (Bytes{0x55, 0xAA, 0xD6, 0x00, 0x00}));
    EXPECT_TRUE(port.ReceiveFor(50ms).empty());
    EXPECT_EQ(port.Exchange({0xD6}, 3), (Bytes{0xD6, 0x00, 0x00}));
}

TEST_F(SimulatorFaultsTest, DelayedReplyComesOnlyAfterTheDelay)
{
    sim.DelayReply(0xD6, 400ms);
    const auto start = Clock::now();
    ASSERT_TRUE(port.Send({0xD6}));
    EXPECT_TRUE(port.ReceiveFor(200ms).empty());
    const Bytes reply = port.Receive(3, 5s);
    EXPECT_GE(Clock::now() - start, 400ms);
    EXPECT_EQ(reply, (Bytes{0xD6, 0x00, 0x00}));
}

TEST_F(SimulatorFaultsTest, HangUpAfterSomeBytesIsSeenAsHangUpOnTheSlave)
{
    sim.HangUpDuring(0xD1, 10);
    const Bytes partial = port.Exchange({0xD1}, 50, 5s);
    EXPECT_EQ(partial.size(), 10u);
    EXPECT_EQ(partial[0], 0xD1);
    ASSERT_TRUE(sim.WaitForHangUp(5s));

    pollfd p{port.Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1);
    EXPECT_TRUE(p.revents & POLLHUP);
    uint8_t byte = 0;
    const ssize_t n = ::read(port.Fd(), &byte, 1);
    EXPECT_TRUE(n == 0 || (n < 0 && errno == EIO)) << n;  // end of file after a hang-up
    EXPECT_LT(::write(port.Fd(), &byte, 1), 0);
    EXPECT_EQ(errno, EIO);
}

TEST_F(SimulatorFaultsTest, HangUpBeforeTheFirstByte)
{
    sim.HangUpDuring(0xD6, 0);
    ASSERT_TRUE(port.Send({0xD6}));
    ASSERT_TRUE(sim.WaitForHangUp(5s));
    EXPECT_TRUE(port.ReceiveFor(100ms).empty());
    pollfd p{port.Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1);
    EXPECT_TRUE(p.revents & POLLHUP);
}

class PacingTest : public ::testing::Test {
protected:
    ControllerSimulator sim{[] {
        ControllerSimulator::Options o;
        o.paced = true;
        return o;
    }()};
    SlavePort port{sim.DevicePath()};
};

TEST_F(PacingTest, FiftyBytesTakeAboutFiftyCharacterTimes)
{
    const auto start = Clock::now();
    ASSERT_TRUE(port.Send({0xD1}));
    // A quarter of the way in, only part of the reply can have arrived.
    const Bytes early = port.ReceiveFor(100ms);
    EXPECT_LT(early.size(), 40u);  // 12 are due by then; the margin allows for a slow reader
    Bytes rest = port.Receive(50 - early.size(), 5s);
    const auto took = Clock::now() - start;
    EXPECT_EQ(early.size() + rest.size(), 50u);
    // 50 x 8.33 ms = 417 ms; the upper bound only guards against a stuck schedule.
    EXPECT_GE(took, 400ms);
    EXPECT_LT(took, 5s);
}

TEST_F(PacingTest, SwitchingPacingOffSendsAtOnce)
{
    // Five paced model reads take over two seconds; unpaced they are as fast as the pty.
    sim.SetPaced(false);
    const auto start = Clock::now();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(port.Exchange({static_cast<uint8_t>(0xD1 + i)}, 50).size(), 50u);
    EXPECT_LT(Clock::now() - start, 1500ms);
}

TEST_F(PacingTest, AnIdleLineIsNotCaughtUpAsABurst)
{
    EXPECT_EQ(port.Exchange({0xD6}, 3).size(), 3u);
    std::this_thread::sleep_for(300ms);
    const auto start = Clock::now();
    ASSERT_TRUE(port.Send({0xD2}));
    const Bytes early = port.ReceiveFor(100ms);
    EXPECT_LT(early.size(), 40u);
    EXPECT_EQ(port.Receive(50 - early.size(), 5s).size(), 50 - early.size());
    EXPECT_GE(Clock::now() - start, 400ms);
}

}  // namespace
