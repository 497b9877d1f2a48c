#include <gtest/gtest.h>

#include "DeviceExchange.h"
#include "ScriptedLine.h"
#include "TransferResult.h"

namespace {

using Cause = ExchangeFailure::Cause;

class DeviceExchangeTest : public ::testing::Test {
protected:
    ScriptedLine comm;
    DeviceExchange exchange{comm};
    int captions = 0;

    void SetUp() override { exchange.SetCaptionHook([this] { ++captions; }); }

    void Reply(const std::string& bytes)
    {
        comm.responder = [bytes](const std::string&) { return bytes; };
    }
    static std::string ModelReply(uint8_t cmd, const DeviceImage& image, uint8_t first = 0)
    {
        std::string r(1, static_cast<char>(first ? first : cmd));
        for (uint8_t b : image)
            r += static_cast<char>(b);
        r += static_cast<char>(ImageChecksum(image));
        return r;
    }
    static DeviceImage Sample()
    {
        DeviceImage image;
        for (size_t b = 0; b < image.size(); ++b)
            image[b] = static_cast<uint8_t>(7 * b + 3);
        return image;
    }
};

// The command line names the cause in the chosen language; the counts and bytes stay as received.
TEST(FailureTextTest, EachCauseAndStepHasItsJapaneseText)
{
    const auto failure = [](Cause cause, int32_t received = 0, uint8_t got = 0, uint8_t want = 0) {
        return ExchangeFailure{cause, received, 50, 400, got, want};
    };
    const std::vector<std::pair<ExchangeFailure, std::string>> causes = {
        {failure(Cause::NoPort), "ポートが開いていません"},
        {failure(Cause::PortError), "応答を待つ間にポートが使えなくなりました"},
        {failure(Cause::TimeOut), "タイムアウト: 400 ms 以内に応答がありません"},
        {failure(Cause::ShortReply, 20), "応答が短い: 400 ms 以内に 50 バイト中 20 バイト"},
        {failure(Cause::Checksum, 50, 0x12, 0x34), "チェックサムが一致しません: 受信 0x12、計算 0x34"},
        {failure(Cause::Refused, 0, 0x15), "拒否されました: 応答の末尾が 0x06 ではなく 0x15 でした"},
        {failure(Cause::Unequal, 0, 0x50, 0x51), "モデル番号の2バイトが一致しません: 0x50 と 0x51"},
        {failure(Cause::OtherCommand, 0, 0xD4, 0xD6), "応答がコマンドのエコーで始まっていません: 先頭が 0xD4 でした（0xD6 のはず）"},
        {failure(Cause::Interrupted), "中断しました"},
    };
    for (const auto& [f, text] : causes)
        EXPECT_EQ(f.Describe(0), text) << f.Describe();
    EXPECT_EQ(failure(Cause::ShortReply, 20).Describe(), "short reply: 20 of 50 bytes within 400 ms");

    using Step = TransferResult::Step;
    const std::vector<std::pair<Step, std::string>> steps = {
        {Step::ReadModelNumber, "モデル番号の読み取り"},
        {Step::ReadModel, "MODEL3 の読み取り"},
        {Step::WriteModel, "MODEL3 の書き込み"},
        {Step::WriteModelNumber, "モデル番号の書き込み"},
    };
    for (const auto& [step, text] : steps) {
        TransferResult r;
        r.ok = false;
        r.step = step;
        r.model = 2;
        r.failure = failure(Cause::Interrupted);
        EXPECT_EQ(r.Describe(0), text + ": 中断しました");
    }
}

TEST_F(DeviceExchangeTest, ReadModelNumberTakesByteTwoWhenBytesOneAndTwoAgree)
{
    Reply(Bytes({0xD6, 0x50, 0x50}));
    EXPECT_EQ(exchange.ReadModelNumber(), 80);
    EXPECT_EQ(comm.sent, std::vector<std::string>{Bytes({0xD6})});
    EXPECT_FALSE(exchange.LastFailure().Failed());

    // A reply led by another command's byte is a late answer to an earlier command.
    Reply(Bytes({0xD4, 0xF0, 0xF0}));
    EXPECT_EQ(exchange.ReadModelNumber(), -1);
    EXPECT_EQ(exchange.LastFailure().cause, Cause::OtherCommand);
    EXPECT_EQ(exchange.LastFailure().Describe(), "reply does not begin with the command's echo: it began with 0xD4, not 0xD6");

    Reply(Bytes({0xD6, 0x50, 0x51}));
    EXPECT_EQ(exchange.ReadModelNumber(), -1);
    EXPECT_EQ(exchange.LastFailure().cause, Cause::Unequal);
}

TEST_F(DeviceExchangeTest, WriteModelNumberSendsTheNumberTwiceAndNeedsTheAcknowledgement)
{
    Reply(Bytes({0xE6, 0x78, 0x78, 0x06}));
    EXPECT_TRUE(exchange.WriteModelNumber(120));
    EXPECT_EQ(comm.sent.back(), Bytes({0xE6, 0x78, 0x78}));

    Reply(Bytes({0xE6, 0x78, 0x78, 0x15}));
    EXPECT_FALSE(exchange.WriteModelNumber(120));
    EXPECT_EQ(exchange.LastFailure().cause, Cause::Refused);
    EXPECT_EQ(exchange.LastFailure().got, 0x15);
}

TEST_F(DeviceExchangeTest, ReadModelNeedsItsOwnEchoAndChecksTheSum)
{
    const DeviceImage image = Sample();
    Reply(ModelReply(0xD1, image));
    auto got = exchange.ReadModel(0);
    ASSERT_TRUE(got.has_value());
    EXPECT_EQ(*got, image);
    EXPECT_EQ(comm.sent.back(), Bytes({0xD1}));

    Reply(ModelReply(0xD1, image, 0xD4));  // model 4's late reply, sum right
    EXPECT_FALSE(exchange.ReadModel(0).has_value());
    EXPECT_EQ(exchange.LastFailure().cause, Cause::OtherCommand);

    for (size_t b : {1u, 24u, 48u}) {
        std::string reply = ModelReply(0xD3, image);
        reply[b] = static_cast<char>(reply[b] + 1);
        Reply(reply);
        EXPECT_FALSE(exchange.ReadModel(2).has_value()) << "reply byte " << b << " changed";
        EXPECT_EQ(exchange.LastFailure().cause, Cause::Checksum);
    }
    EXPECT_EQ(comm.sent.back(), Bytes({0xD3}));
}

TEST_F(DeviceExchangeTest, ReadModelFailsOnAShortReplyEvenWithARightSum)
{
    std::string reply = ModelReply(0xD1, Sample());
    reply.erase(1, 1);  // 49 bytes
    Reply(reply);
    EXPECT_FALSE(exchange.ReadModel(0).has_value());
    EXPECT_EQ(exchange.LastFailure().cause, Cause::ShortReply);
    EXPECT_EQ(exchange.LastFailure().received, 49);
    EXPECT_EQ(exchange.LastFailure().expected, 50);
    EXPECT_EQ(exchange.LastFailure().Describe().rfind("short reply: 49 of 50 bytes", 0), 0u);
}

TEST_F(DeviceExchangeTest, ReadModelLeavesBytesBeyondTheReplyUnread)
{
    Reply(ModelReply(0xD2, Sample()) + "xyz");
    EXPECT_TRUE(exchange.ReadModel(1).has_value());
    EXPECT_EQ(comm.waiting, "xyz");
}

TEST_F(DeviceExchangeTest, WriteModelSendsCommandImageAndSumAndNeedsTheAcknowledgementLast)
{
    const DeviceImage image = Sample();
    std::string ok(1, '\xE3');  // the echo's other bytes are not examined
    ok += std::string(49, '\x55');
    ok += '\x06';
    Reply(ok);
    EXPECT_TRUE(exchange.WriteModel(2, image));
    const std::string& frame = comm.sent.back();
    ASSERT_EQ(frame.size(), 50u);
    EXPECT_EQ(static_cast<uint8_t>(frame[0]), 0xE3);
    EXPECT_EQ(frame.substr(1, 48), std::string(image.begin(), image.end()));
    EXPECT_EQ(static_cast<uint8_t>(frame[49]), ImageChecksum(image));

    std::string refused(1, '\xE3');
    refused += std::string(49, '\x06');
    refused += '\x00';
    Reply(refused);
    EXPECT_FALSE(exchange.WriteModel(2, image));
    EXPECT_EQ(exchange.LastFailure().cause, Cause::Refused);

    Reply('\xE3' + std::string(49, '\x06'));  // the acknowledgement never came
    EXPECT_FALSE(exchange.WriteModel(2, image));
    EXPECT_EQ(exchange.LastFailure().cause, Cause::ShortReply);
}

TEST_F(DeviceExchangeTest, SilenceAndAFailedPortAreToldApart)
{
    comm.timeoutMs = 400;
    Reply({});
    EXPECT_EQ(exchange.ReadModelNumber(), -1);
    EXPECT_EQ(exchange.LastFailure().cause, Cause::TimeOut);
    EXPECT_EQ(exchange.LastFailure().Describe(), "time-out: no reply within 400 ms");
    EXPECT_EQ(comm.receiveCalls, 1);  // one read, given the line's whole time-out
    EXPECT_EQ(comm.lastTimeoutMs, 400);

    comm.readFails = true;
    Reply(Bytes({0xD6, 1, 1}));
    EXPECT_EQ(exchange.ReadModelNumber(), -1);
    EXPECT_EQ(exchange.LastFailure().cause, Cause::PortError);

    comm.open = false;
    EXPECT_EQ(exchange.ReadModelNumber(), -1);
    EXPECT_EQ(exchange.LastFailure().cause, Cause::NoPort);
}

TEST_F(DeviceExchangeTest, TheCaptionHookRunsAfterEveryExchangeAcceptedOrNot)
{
    Reply(Bytes({0xD6, 0x50, 0x50}));
    exchange.ReadModelNumber();
    Reply({});
    exchange.ReadModelNumber();
    exchange.WriteModel(0, Sample());
    comm.readFails = true;
    exchange.WriteModelNumber(0);
    EXPECT_EQ(captions, 4);
}

}  // namespace
