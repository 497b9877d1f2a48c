#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <unistd.h>

#include "ControllerState.h"
#include "ControllerStateFile.h"
#include "FrameAssembler.h"
#include "HexBytes.h"

namespace {

using Image = ControllerState::Image;

std::string TempPath(const std::string& name)
{
    return ::testing::TempDir() + "/vxr_sim_" + std::to_string(::getpid()) + "_" + name;
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(ControllerStateTest, FactoryImagesHoldTheToolDefaultsAndVisibleControllerBytes)
{
    ControllerState state;
    EXPECT_EQ(state.ModelNumber(), 0);
    for (int i = 0; i < ControllerState::kModels; ++i) {
        SCOPED_TRACE(i);
        const Image& image = state.ImageOf(i);
        for (int k : {0, 1, 2, 3, 4, 5, 10, 11, 14}) EXPECT_NE(image[static_cast<size_t>(k)], 0) << k;
        EXPECT_EQ(image[6], 0x0F);
        EXPECT_EQ(image[7], i * 40);
        EXPECT_EQ(image[8], 128);
        EXPECT_EQ(image[9], 32);
        EXPECT_EQ(image[12], 100);
        EXPECT_EQ(image[13], 1);
        EXPECT_EQ(image[15], 0xFF);
        for (size_t k = 16; k < 48; ++k) EXPECT_EQ(image[k], 16) << k;
    }
    // The controller bytes differ between models, so a test can tell whose bytes were carried.
    EXPECT_NE(state.ImageOf(0)[0], state.ImageOf(1)[0]);
    EXPECT_NE(state.ImageOf(3)[10], state.ImageOf(4)[10]);
}

TEST(ControllerStateTest, ChecksumIsTheEightBitSum)
{
    Image image;
    image.fill(0x10);
    EXPECT_EQ(ControllerState::Checksum(image), 0x00);
    image.fill(0x01);
    EXPECT_EQ(ControllerState::Checksum(image), 0x30);
    image.fill(0xFF);
    EXPECT_EQ(ControllerState::Checksum(image), (48 * 0xFF) & 0xFF);
}

TEST(ControllerStateTest, TextRoundTripKeepsEveryByte)
{
    ControllerState state;
    Image image;
    for (size_t k = 0; k < image.size(); ++k) image[k] = static_cast<uint8_t>(k * 5 + 3);
    state.SetImage(3, image);
    state.SetModelNumber(160);

    ControllerState back;
    std::string error;
    ASSERT_TRUE(back.FromText(state.ToText(), &error)) << error;
    EXPECT_EQ(back, state);
    EXPECT_NE(back, ControllerState());
}

TEST(ControllerStateTest, TextAcceptsCommentsBlankLinesAndCrLf)
{
    ControllerState expected;
    expected.SetModelNumber(0x50);
    std::string text = "# hand written\r\n\r\nN 50\r\n";
    for (int i = 0; i < 5; ++i) {
        const Image& image = expected.ImageOf(i);
        text += "M" + std::to_string(i + 1) + "  " + HexBytes::Format(image.data(), image.size()) + "\r\n";
    }
    ControllerState state;
    std::string error;
    ASSERT_TRUE(state.FromText(text, &error)) << error;
    EXPECT_EQ(state, expected);
}

TEST(ControllerStateTest, MalformedTextIsRejectedAndChangesNothing)
{
    ControllerState good;
    const std::string valid = good.ToText();
    const std::string m1 = "M1 " + HexBytes::Format(good.ImageOf(0).data(), 48);
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"short image", [&] { std::string t = valid; t.replace(t.find(m1), m1.size(), m1.substr(0, m1.size() - 3)); return t; }()},
        {"missing model", [&] { std::string t = valid; t.erase(t.find(m1), m1.size() + 1); return t; }()},
        {"duplicate number", valid + "N 28\n"},
        {"no number", [&] { std::string t = valid; t.erase(t.find("N 00"), 5); return t; }()},
        {"bad hex", valid + "M6 00\n"},
        {"odd digits", [&] { std::string t = valid; t.replace(t.find("N 00"), 4, "N 0"); return t; }()},
        {"junk", valid + "hello world\n"},
    };
    for (const auto& [name, text] : cases) {
        SCOPED_TRACE(name);
        ControllerState state;
        state.SetModelNumber(40);
        const ControllerState before = state;
        std::string error;
        EXPECT_FALSE(state.FromText(text, &error));
        EXPECT_FALSE(error.empty());
        EXPECT_EQ(state, before);
    }
}

TEST(ControllerStateTest, SaveReplacesTheFileAndLoadReadsItBack)
{
    const std::string path = TempPath("state.txt");
    {
        std::ofstream old(path);
        old << "old contents\n";
    }
    ControllerState state;
    state.SetModelNumber(120);
    Image image = state.ImageOf(1);
    image[20] = 0x3F;
    state.SetImage(1, image);
    std::string error;
    ASSERT_TRUE(ControllerStateFile::Save(state, path, &error)) << error;
    EXPECT_EQ(ReadFile(path), state.ToText());

    ControllerState loaded;
    ASSERT_TRUE(ControllerStateFile::Load(loaded, path, &error)) << error;
    EXPECT_EQ(loaded, state);
    std::remove(path.c_str());

    EXPECT_FALSE(ControllerStateFile::Load(loaded, path, &error));
    EXPECT_NE(error.find(path), std::string::npos);
    EXPECT_FALSE(ControllerStateFile::Save(state, "/nonexistent-dir/state.txt", &error));
}

TEST(HexBytesTest, FormatsAndParses)
{
    EXPECT_EQ(HexBytes::Format({0xE6, 0x28, 0x00, 0x0F}), "E6 28 00 0F");
    EXPECT_EQ(HexBytes::Format(std::vector<uint8_t>{}), "");
    EXPECT_EQ(HexBytes::Parse("e6 28,0x28  06"), (std::vector<uint8_t>{0xE6, 0x28, 0x28, 0x06}));
    EXPECT_EQ(HexBytes::Parse("55AA"), (std::vector<uint8_t>{0x55, 0xAA}));
    EXPECT_EQ(HexBytes::Parse(""), std::vector<uint8_t>{});
    EXPECT_FALSE(HexBytes::Parse("5"));
    EXPECT_FALSE(HexBytes::Parse("5G"));
    EXPECT_FALSE(HexBytes::Parse("0x"));
    EXPECT_EQ(HexBytes::ParseNumber("80"), 80);
    EXPECT_EQ(HexBytes::ParseNumber("0x50"), 80);
    EXPECT_FALSE(HexBytes::ParseNumber("8o"));
    EXPECT_FALSE(HexBytes::ParseNumber("-1"));
    EXPECT_FALSE(HexBytes::ParseNumber(""));
    EXPECT_FALSE(HexBytes::ParseNumber("99999999999999999999"));
}

class FrameAssemblerTest : public ::testing::Test {
protected:
    using Clock = FrameAssembler::Clock;
    FrameAssembler assembler{std::chrono::milliseconds(100)};
    Clock::time_point t0 = Clock::now();
    std::vector<FrameAssembler::Event> events;

    void FeedAll(const std::vector<uint8_t>& bytes, Clock::time_point at)
    {
        for (uint8_t b : bytes) assembler.Feed(b, at, events);
    }
};

TEST_F(FrameAssemblerTest, FrameLengthsOfEveryCommand)
{
    for (int c = 0; c < 256; ++c) {
        size_t expected = 0;
        if (c >= 0xD1 && c <= 0xD6) expected = 1;
        if (c >= 0xE1 && c <= 0xE5) expected = 50;
        if (c == 0xE6) expected = 3;
        EXPECT_EQ(FrameAssembler::FrameLength(static_cast<uint8_t>(c)), expected) << c;
    }
}

TEST_F(FrameAssemblerTest, DataBytesThatLookLikeCommandsStayInTheirFrame)
{
    std::vector<uint8_t> frame = {0xE2};
    for (int k = 0; k < 48; ++k) frame.push_back(k % 2 ? 0xD6 : 0xE6);
    frame.push_back(0x55);
    FeedAll(frame, t0);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_TRUE(events[0].isFrame);
    EXPECT_EQ(events[0].bytes, frame);
    EXPECT_FALSE(assembler.Collecting());
}

TEST_F(FrameAssemblerTest, GarbageIsPassedOnByteByByteAndCommandsStillFollow)
{
    FeedAll({0x00, 0x41, 0xD6, 0xFF, 0xE6, 0x28, 0x28}, t0);
    ASSERT_EQ(events.size(), 5u);
    EXPECT_FALSE(events[0].isFrame);
    EXPECT_EQ(events[1].bytes, std::vector<uint8_t>{0x41});
    EXPECT_TRUE(events[2].isFrame);
    EXPECT_EQ(events[2].bytes, std::vector<uint8_t>{0xD6});
    EXPECT_FALSE(events[3].isFrame);
    EXPECT_TRUE(events[4].isFrame);
    EXPECT_EQ(events[4].bytes, (std::vector<uint8_t>{0xE6, 0x28, 0x28}));
}

TEST_F(FrameAssemblerTest, AStalledFrameIsAbandonedAndTheNextCommandStartsAfresh)
{
    FeedAll({0xE1, 0x01, 0x02}, t0);
    EXPECT_TRUE(events.empty());
    ASSERT_TRUE(assembler.Deadline());
    EXPECT_EQ(*assembler.Deadline(), t0 + std::chrono::milliseconds(100));

    // Within the time-out the frame is still being collected.
    assembler.Expire(t0 + std::chrono::milliseconds(100), events);
    EXPECT_TRUE(events.empty());

    // A byte after the gap: the old frame goes as ignored, the byte starts a new frame.
    FeedAll({0xD3}, t0 + std::chrono::milliseconds(150));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_FALSE(events[0].isFrame);
    EXPECT_EQ(events[0].bytes, (std::vector<uint8_t>{0xE1, 0x01, 0x02}));
    EXPECT_TRUE(events[1].isFrame);
    EXPECT_EQ(events[1].bytes, std::vector<uint8_t>{0xD3});
    EXPECT_FALSE(assembler.Deadline());
}

TEST_F(FrameAssemblerTest, ExpireDropsAStalledFrameWithoutFurtherInput)
{
    FeedAll({0xE6, 0x28}, t0);
    assembler.Expire(t0 + std::chrono::milliseconds(101), events);
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].bytes, (std::vector<uint8_t>{0xE6, 0x28}));
    EXPECT_FALSE(assembler.Collecting());
}

}  // namespace
