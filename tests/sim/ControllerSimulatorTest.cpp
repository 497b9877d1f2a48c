#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <unistd.h>

#include "ControllerSimulator.h"
#include "ControllerStateFile.h"
#include "HexBytes.h"
#include "SlavePort.h"

namespace {

using namespace std::chrono_literals;
using Bytes = std::vector<uint8_t>;
using Image = ControllerState::Image;

Bytes ReadModelFrame(int i) { return {static_cast<uint8_t>(0xD1 + i)}; }

Bytes WriteModelFrame(int i, const Image& image, int checksumOffset = 0)
{
    Bytes frame(50);
    frame[0] = static_cast<uint8_t>(0xE1 + i);
    std::copy(image.begin(), image.end(), frame.begin() + 1);
    frame[49] = static_cast<uint8_t>(ControllerState::Checksum(image) + checksumOffset);
    return frame;
}

Image PatternImage(uint8_t seed)
{
    Image image;
    for (size_t k = 0; k < image.size(); ++k) image[k] = static_cast<uint8_t>(seed + k * 7);
    return image;
}

class ControllerSimulatorTest : public ::testing::Test {
protected:
    ControllerSimulator sim;
    SlavePort port{sim.DevicePath()};

    void SetUp() override { ASSERT_TRUE(port.IsOpen()) << sim.DevicePath(); }
};

TEST_F(ControllerSimulatorTest, ReadModelNumberEchoesAndRepeatsTheNumber)
{
    EXPECT_EQ(port.Exchange({0xD6}, 3), (Bytes{0xD6, 0x00, 0x00}));
    sim.SetModelNumber(80);
    EXPECT_EQ(port.Exchange({0xD6}, 3), (Bytes{0xD6, 0x50, 0x50}));
    EXPECT_TRUE(port.ReceiveFor(50ms).empty());
}

TEST_F(ControllerSimulatorTest, WriteModelNumberIsAcknowledgedAndStored)
{
    EXPECT_EQ(port.Exchange({0xE6, 0x78, 0x78}, 4), (Bytes{0xE6, 0x78, 0x78, 0x06}));
    EXPECT_EQ(sim.ModelNumber(), 120);
    EXPECT_EQ(port.Exchange({0xD6}, 3), (Bytes{0xD6, 0x78, 0x78}));
}

// A write the controller cannot trust is echoed, not acknowledged, and stores nothing.
TEST_F(ControllerSimulatorTest, AModelNumberWithUnequalBytesOrAModelWithAWrongSumIsRefusedAndNotStored)
{
    sim.SetModelNumber(40);
    for (const Bytes& frame : {Bytes{0xE6, 0x50, 0x51}, WriteModelFrame(0, PatternImage(9), 1)}) {
        SCOPED_TRACE(HexBytes::Format(frame));
        const ControllerState before = sim.State();
        const Bytes reply = port.Exchange(frame, frame.size() + 1);
        ASSERT_EQ(reply.size(), frame.size() + 1);
        EXPECT_EQ(Bytes(reply.begin(), reply.end() - 1), frame);
        EXPECT_NE(reply.back(), ControllerSimulator::kAck);
        EXPECT_EQ(sim.State(), before);
    }
}

TEST_F(ControllerSimulatorTest, ReadModelAnswersEchoImageAndSumForEveryModel)
{
    for (int i = 0; i < 5; ++i) {
        SCOPED_TRACE(i);
        const Bytes reply = port.Exchange(ReadModelFrame(i), 50);
        ASSERT_EQ(reply.size(), 50u);
        EXPECT_EQ(reply[0], 0xD1 + i);
        const Image expected = ControllerState::FactoryImage(i);
        EXPECT_TRUE(std::equal(expected.begin(), expected.end(), reply.begin() + 1));
        unsigned sum = 0;
        for (size_t k = 1; k <= 48; ++k) sum += reply[k];
        EXPECT_EQ(reply[49], sum & 0xFF);
    }
    EXPECT_TRUE(port.ReceiveFor(50ms).empty());
}

TEST_F(ControllerSimulatorTest, WriteModelStoresTheImageAndEchoesTheFrame)
{
    const Image image = PatternImage(3);
    const Bytes frame = WriteModelFrame(2, image);
    const Bytes reply = port.Exchange(frame, 51);
    ASSERT_EQ(reply.size(), 51u);
    EXPECT_EQ(Bytes(reply.begin(), reply.begin() + 50), frame);
    EXPECT_EQ(reply[50], ControllerSimulator::kAck);
    EXPECT_EQ(sim.ImageOf(2), image);
    // The neighbours stay as they were.
    EXPECT_EQ(sim.ImageOf(1), ControllerState::FactoryImage(1));
    EXPECT_EQ(sim.ImageOf(3), ControllerState::FactoryImage(3));

    const Bytes readBack = port.Exchange(ReadModelFrame(2), 50);
    ASSERT_EQ(readBack.size(), 50u);
    EXPECT_TRUE(std::equal(image.begin(), image.end(), readBack.begin() + 1));
}

TEST_F(ControllerSimulatorTest, ImageBytesThatLookLikeCommandsAreStoredAsData)
{
    Image image;
    for (size_t k = 0; k < image.size(); ++k) image[k] = k % 3 == 0 ? 0xD6 : k % 3 == 1 ? 0xE6 : 0xD1;
    const Bytes reply = port.Exchange(WriteModelFrame(4, image), 51);
    ASSERT_EQ(reply.size(), 51u);
    EXPECT_EQ(reply[50], ControllerSimulator::kAck);
    EXPECT_EQ(sim.ImageOf(4), image);
    EXPECT_TRUE(port.ReceiveFor(50ms).empty());
}

TEST_F(ControllerSimulatorTest, OtherBytesAreEchoedButNotAnswered)
{
    EXPECT_EQ(port.Exchange({0x00, 0x41, 0xFF, 0xD0, 0xE7}, 5), (Bytes{0x00, 0x41, 0xFF, 0xD0, 0xE7}));
    EXPECT_TRUE(port.ReceiveFor(100ms).empty());
    EXPECT_TRUE(sim.Transcript().empty());
    EXPECT_EQ(sim.IgnoredBytes(), (Bytes{0x00, 0x41, 0xFF, 0xD0, 0xE7}));
    // And the controller still answers afterwards.
    EXPECT_EQ(port.Exchange({0xD6}, 3), (Bytes{0xD6, 0x00, 0x00}));
}

TEST_F(ControllerSimulatorTest, TranscriptListsTheFramesInOrder)
{
    port.Exchange({0xD6}, 3);
    port.Exchange({0x42}, 1);
    const Bytes write = WriteModelFrame(1, PatternImage(1));
    port.Exchange(write, 51);
    port.Exchange({0xE6, 0x28, 0x28}, 4);
    const std::vector<Bytes> expected = {{0xD6}, write, {0xE6, 0x28, 0x28}};
    EXPECT_EQ(sim.Transcript(), expected);
    sim.ClearTranscript();
    EXPECT_TRUE(sim.Transcript().empty());
    EXPECT_TRUE(sim.IgnoredBytes().empty());
}

TEST_F(ControllerSimulatorTest, StateLoadedFromAFileIsWhatTheControllerAnswers)
{
    ControllerState state;
    state.SetModelNumber(160);
    state.SetImage(3, PatternImage(0x20));
    const std::string path = ::testing::TempDir() + "/vxr_sim_state_" + std::to_string(::getpid());
    ASSERT_TRUE(ControllerStateFile::Save(state, path));
    ASSERT_TRUE(sim.LoadState(path));
    std::remove(path.c_str());

    EXPECT_EQ(port.Exchange({0xD6}, 3), (Bytes{0xD6, 0xA0, 0xA0}));
    const Bytes reply = port.Exchange(ReadModelFrame(3), 50);
    ASSERT_EQ(reply.size(), 50u);
    EXPECT_EQ(reply[1], 0x20);
    EXPECT_EQ(reply[2], 0x27);

    // What the tool writes ends up in the saved file.
    const Image written = PatternImage(0x33);
    port.Exchange(WriteModelFrame(0, written), 51);
    ASSERT_TRUE(sim.SaveState(path));
    ControllerState saved;
    ASSERT_TRUE(ControllerStateFile::Load(saved, path));
    std::remove(path.c_str());
    EXPECT_EQ(saved.ImageOf(0), written);
    EXPECT_EQ(saved.ModelNumber(), 160);
}

TEST(ControllerSimulatorStandalone, AStalledFrameIsDroppedAndTheNextCommandAnswered)
{
    ControllerSimulator::Options options;
    options.frameTimeout = 50ms;
    ControllerSimulator sim(options);
    SlavePort port(sim.DevicePath());
    // Half a write frame, then nothing: the controller must not take the next command as data.
    ASSERT_TRUE(port.Send({0xE1, 0x01, 0x02, 0x03}));
    std::this_thread::sleep_for(150ms);
    const Bytes reply = port.Exchange({0xD6}, 7);
    EXPECT_EQ(reply, (Bytes{0xE1, 0x01, 0x02, 0x03, 0xD6, 0x00, 0x00}));
    EXPECT_EQ(sim.Transcript(), std::vector<Bytes>{{0xD6}});
    EXPECT_EQ(sim.ImageOf(0), ControllerState::FactoryImage(0));
}

TEST(ControllerSimulatorStandalone, InitialStateAndTranscriptFileFromOptions)
{
    ControllerSimulator::Options options;
    options.transcriptPath = ::testing::TempDir() + "/vxr_sim_transcript_" + std::to_string(::getpid());
    options.state.SetModelNumber(40);
    {
        ControllerSimulator sim(options);
        SlavePort port(sim.DevicePath());
        EXPECT_EQ(port.Exchange({0xD6}, 3), (Bytes{0xD6, 0x28, 0x28}));
        port.Exchange({0x07}, 1);
        EXPECT_EQ(port.Exchange({0xE6, 0x50, 0x50}, 4).size(), 4u);
    }
    std::ifstream in(options.transcriptPath);
    std::stringstream text;
    text << in.rdbuf();
    std::remove(options.transcriptPath.c_str());
    EXPECT_EQ(text.str(), "D6\n# ignored: 07\nE6 50 50\n");
}

TEST(ControllerSimulatorStandalone, ClosingThePortDoesNotStopTheController)
{
    ControllerSimulator sim;
    {
        SlavePort first(sim.DevicePath());
        EXPECT_EQ(first.Exchange({0xD6}, 3).size(), 3u);
    }
    SlavePort second(sim.DevicePath());
    ASSERT_TRUE(second.IsOpen());
    EXPECT_EQ(second.Exchange({0xD6}, 3).size(), 3u);
    EXPECT_FALSE(sim.HungUp());
}

TEST(ControllerSimulatorStandalone, StopClosesTheLine)
{
    ControllerSimulator sim;
    SlavePort port(sim.DevicePath());
    sim.Stop();
    sim.Stop();
    pollfd p{port.Fd(), POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 2000), 1);
    EXPECT_TRUE(p.revents & POLLHUP);
}

}  // namespace
