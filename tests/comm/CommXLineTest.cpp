#include <gtest/gtest.h>

#include "CommXLine.h"
#include "ScriptedComm.h"
#include "ScriptedSerialLayer.h"

namespace {

std::string Reply50()
{
    std::string r;
    for (int b = 0; b < 50; ++b)
        r += static_cast<char>(0xD5 + 3 * b);
    return r;
}

TEST(CommXLine, AReplyArrivingInPiecesIsCollectedWhole)
{
    ScriptedComm comm;
    CommXLine line{comm};
    comm.chunk = 7;
    comm.waiting = Reply50() + "xyz";
    char buffer[64] = {};
    ASSERT_EQ(line.Receive(buffer, 50, 3000), 50);
    EXPECT_EQ(std::string(buffer, 50), Reply50());
    EXPECT_EQ(comm.receiveCalls, 8);  // 7 * 7 + 1
    EXPECT_EQ(comm.waiting, "xyz");   // bytes beyond the reply stay unread
}

TEST(CommXLine, SilenceAndAFailedReadAreToldApart)
{
    ScriptedComm comm;
    CommXLine line{comm};
    char buffer[8] = {};
    EXPECT_EQ(line.Receive(buffer, 3, 3000), 0);
    EXPECT_EQ(comm.receiveCalls, 1);  // a read that got nothing waited its whole time-out
    comm.readFails = true;
    EXPECT_EQ(line.Receive(buffer, 3, 3000), SerialLine::kFailed);
}

TEST(CommXLine, TheReceiveTimeOutIsRestoredAlsoWhenThePortRefusesTheShorterOne)
{
    // A reply in pieces shortens the time-out for each further read; here the port refuses
    // every new value, which the component nevertheless keeps as its setting.
    ScriptedComm comm;
    CommXLine line{comm};
    auto script = std::make_shared<ScriptedSerialLayer::Script>();
    comm.SetSerialLayerFactory([script] { return std::make_unique<ScriptedSerialLayer>(script); });
    comm.SetPortResolver([](int32_t) { return std::string("/dev/scripted"); });
    comm.SetTimeOutReceive(3000);
    comm.Open();
    const size_t applied = script->timeouts.size();
    script->refuseTimeouts = true;
    comm.chunk = 7;
    comm.readMs = 5;
    comm.waiting = Reply50();
    char buffer[64] = {};
    ASSERT_EQ(line.Receive(buffer, 50, line.ReceiveTimeOutMs()), 50);
    ASSERT_GT(script->timeouts.size(), applied + 1);
    EXPECT_LT(script->timeouts[applied].ReadTotalTimeoutConstant, 3000u);  // shortened (refused)
    EXPECT_EQ(comm.TimeOutReceive(), 3000);
    EXPECT_EQ(script->timeouts.back().ReadTotalTimeoutConstant, 3000u);
    comm.Close();
}

}  // namespace
