// The component and its workers over a scripted device: configuration failures, line events,
// the transmit worker's chunks, RTS and purges, and the waits that must not block each other.
#include <gtest/gtest.h>

#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <future>
#include <iostream>
#include <thread>

#include "OpenError.h"
#include "EventPump.h"
#include "ScriptedSerialLayer.h"
#include "TCommX.h"

namespace {

using Script = ScriptedSerialLayer::Script;

struct Scripted {
    std::shared_ptr<Script> script = std::make_shared<Script>();
    TCommX comm;
    std::vector<int32_t> resolved;

    Scripted()
    {
        comm.SetSerialLayerFactory([s = script] { return std::make_unique<ScriptedSerialLayer>(s); });
        comm.SetPortResolver([this](int32_t n) {
            resolved.push_back(n);
            return "/dev/scripted" + std::to_string(n);
        });
    }
    bool AllChunksFinished(int timeoutMs = 3000)
    {
        return PumpUntil([&] { return comm.PendingChunks() == 0 && comm.PendingBytes() == 0; }, timeoutMs);
    }
    // Open, with the queue full: 32 one-byte chunks the device does not take.
    void FillTheQueue()
    {
        comm.SetTimeOutTrans(0);
        comm.SetBufLenTrans(1);
        comm.Open();
        script->SetHoldWrites(true);
        EXPECT_TRUE(comm.SendString(std::string(32, 'a')));
        EXPECT_EQ(comm.PendingChunks(), 32);
    }
};

// Fails the test and ends the run if a call that must return does not (a deadlock).
class Watchdog {
public:
    explicit Watchdog(int seconds)
        : FThread([this, seconds] {
              std::unique_lock<std::mutex> l(FLock);
              if (!FDone.wait_for(l, std::chrono::seconds(seconds), [this] { return FStop; })) {
                  std::cerr << "watchdog: blocked for " << seconds << " s" << std::endl;
                  std::abort();
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> l(FLock);
            FStop = true;
        }
        FDone.notify_all();
        FThread.join();
    }

private:
    std::mutex FLock;
    std::condition_variable FDone;
    bool FStop = false;
    std::thread FThread;
};

}  // namespace

TEST(CommProperties, DefaultsAndClosedState)
{
    TCommX comm;
    EXPECT_EQ(comm.PortNo(), 1);
    EXPECT_EQ(comm.BitRate(), 9600);
    EXPECT_EQ(comm.CharSize(), 8);
    EXPECT_EQ(comm.ParityBit(), cpbNone);
    EXPECT_EQ(comm.StopBit(), csb1);
    EXPECT_EQ(comm.FlowCtrl(), cfcRtsCts);
    EXPECT_EQ(comm.TimeOutTrans(), 3000);
    EXPECT_EQ(comm.TimeOutReceive(), 3000);
    EXPECT_EQ(comm.XonChar(), 17);
    EXPECT_EQ(comm.XoffChar(), 19);
    EXPECT_EQ(comm.BufLenTrans(), 2048);
    EXPECT_EQ(comm.BufLenReceive(), 2048);
    EXPECT_EQ(comm.Handle(), 0xFFFFFFFFu);
    EXPECT_FALSE(comm.IsOpen());

    // Closed: sends other than empty ones fail, reads fail, the rest does nothing.
    uint8_t buf[4];
    EXPECT_TRUE(comm.SendString(""));
    EXPECT_TRUE(comm.SendData(buf, 0));
    EXPECT_FALSE(comm.SendString("x"));
    EXPECT_EQ(comm.ReceiveData(buf, 4), -1);
    EXPECT_EQ(comm.ReceiveCount(), 0);
    comm.PurgeTrans();
    comm.PurgeReceive();
    comm.SetRts(true);
    comm.Close();
    comm.SetBitRate(1200);
    EXPECT_EQ(comm.BitRate(), 1200);
}

TEST(CommProperties, CharTimeIsOneCharacterPlusOne)
{
    EXPECT_EQ(TCustomCommX::CharTimeFor(1200), 9);
    EXPECT_EQ(TCustomCommX::CharTimeFor(9600), 2);
    EXPECT_GT(TCustomCommX::CharTimeFor(5), 0);  // below the range, but no division by zero
}

TEST(CommOpen, ConfiguresThePortWithTheProperties)
{
    Scripted s;
    s.comm.SetPortNo(3);
    s.comm.SetBitRate(1200);
    s.comm.SetFlowCtrl(cfcNone);
    s.comm.SetTimeOutTrans(500);
    s.comm.SetTimeOutReceive(7000);
    s.comm.Open();
    EXPECT_TRUE(s.comm.IsOpen());
    EXPECT_EQ(s.comm.Handle(), 42u);
    EXPECT_EQ(s.script->openedPath, "/dev/scripted3");

    std::lock_guard<std::mutex> l(s.script->lock);
    // One write per step: bit rate, size, parity, stop bits, flow control, XON, XOFF.
    ASSERT_EQ(s.script->states.size(), 7u);
    const CommDcb& last = s.script->states.back();
    EXPECT_EQ(last.BaudRate, 1200u);
    EXPECT_EQ(last.ByteSize, 8);
    EXPECT_EQ(last.Parity, 0);
    EXPECT_EQ(last.StopBits, 0);
    EXPECT_EQ(last.Flags, 0x1013u);
    EXPECT_EQ(last.XonLim, 512);
    EXPECT_EQ(last.XoffLim, 512);
    EXPECT_EQ(last.XonChar, 17);
    EXPECT_EQ(last.XoffChar, 19);
    ASSERT_EQ(s.script->timeouts.size(), 1u);
    EXPECT_EQ(s.script->timeouts[0].ReadIntervalTimeout, 0xFFFFFFFFu);
    EXPECT_EQ(s.script->timeouts[0].ReadTotalTimeoutConstant, 7000u);
    EXPECT_EQ(s.script->timeouts[0].WriteTotalTimeoutConstant, 500u);
    // Open sets no line level of its own.
    EXPECT_EQ(std::count(s.script->log.begin(), s.script->log.end(), "RTS+"), 0);
    EXPECT_EQ(std::count(s.script->log.begin(), s.script->log.end(), "DTR+"), 0);
}

TEST(CommOpen, FlowControlFlagWords)
{
    EXPECT_EQ(TCustomCommX::FlowCtrlFlags(cfcRtsCts), 0x2017u);
    EXPECT_EQ(TCustomCommX::FlowCtrlFlags(cfcDtrDsr), 0x102Bu);
    EXPECT_EQ(TCustomCommX::FlowCtrlFlags(cfcXonXoff), 0x1313u);
    EXPECT_EQ(TCustomCommX::FlowCtrlFlags(cfcHalfHigh), 0x0013u);
    EXPECT_EQ(TCustomCommX::FlowCtrlFlags(cfcHalfLow), 0x1013u);
    EXPECT_EQ(TCustomCommX::FlowCtrlFlags(cfcNone), 0x1013u);
    EXPECT_EQ(TCustomCommX::FlowCtrlFlags(77), 0x1013u);
}

TEST(CommOpen, NoDeviceForThePortNumber)
{
    Scripted s;
    s.comm.SetPortResolver([](int32_t) { return std::string(); });
    EXPECT_EQ(OpenError(s.comm), "ポートをオープンできませんでした");
    EXPECT_EQ(s.comm.Handle(), 0xFFFFFFFFu);
    s.comm.SetPortResolver(nullptr);
    s.comm.SetPortNo(99);  // beyond the port table
    EXPECT_EQ(OpenError(s.comm), "ポートをオープンできませんでした");
    s.script->refuseOpen = true;
    s.comm.SetPortResolver([](int32_t) { return std::string("/dev/busy"); });
    EXPECT_EQ(OpenError(s.comm), "ポートをオープンできませんでした");
    EXPECT_FALSE(s.comm.IsOpen());
    EXPECT_FALSE(s.script->layerAlive);
}

struct RefusedStep {
    const char* name;
    std::function<void(Script&)> refuse;
    std::function<void(TCommX&)> prepare;
    const char* message;
};

void PrintTo(const RefusedStep& step, std::ostream* os)
{
    *os << step.name;
}

class CommOpenRefused : public ::testing::TestWithParam<RefusedStep> {};

TEST_P(CommOpenRefused, ThrowsThatStepsMessageAndLeavesNothingRunning)
{
    Scripted s;
    GetParam().prepare(s.comm);
    GetParam().refuse(*s.script);
    EXPECT_EQ(OpenError(s.comm), GetParam().message);
    EXPECT_FALSE(s.comm.IsOpen());
    EXPECT_EQ(s.comm.Handle(), 0xFFFFFFFFu);
    std::lock_guard<std::mutex> l(s.script->lock);
    // The layer is gone only once no worker holds it any more.
    EXPECT_FALSE(s.script->layerAlive);
    EXPECT_EQ(s.script->eventWaiters, 0);
    EXPECT_EQ(s.script->log.back(), "destroyed");
    EXPECT_NE(std::find(s.script->log.begin(), s.script->log.end(), "close"), s.script->log.end());
}

namespace {
void Nothing(TCommX&) {}
auto RefuseWhen(std::function<bool(const CommDcb&)> p)
{
    return [p](Script& s) { s.refuseState = p; };
}
}  // namespace

INSTANTIATE_TEST_SUITE_P(
    EveryStep, CommOpenRefused,
    ::testing::Values(
        RefusedStep{"Buffers", [](Script& s) { s.refuseQueueSizes = true; }, Nothing,
                    "通信用ポートのバッファを準備できませんでした"},
        RefusedStep{"BitRate", RefuseWhen([](const CommDcb& d) { return d.BaudRate == 14400; }),
                    [](TCommX& c) { c.SetBitRate(14400); }, "通信速度の設定でエラーが発生しました"},
        RefusedStep{"CharSize", RefuseWhen([](const CommDcb& d) { return d.ByteSize == 9; }),
                    [](TCommX& c) { c.SetCharSize(9); }, "通信ビット数の設定でエラーが発生しました"},
        RefusedStep{"Parity", RefuseWhen([](const CommDcb& d) { return d.Parity == 2; }),
                    [](TCommX& c) { c.SetParityBit(cpbEven); }, "通信パリティチェックの設定でエラーが発生しました"},
        RefusedStep{"StopBits", RefuseWhen([](const CommDcb& d) { return d.StopBits == 1; }),
                    [](TCommX& c) { c.SetStopBit(csb1p5); }, "通信ストップビット数の設定でエラーが発生しました"},
        RefusedStep{"FlowCtrl", RefuseWhen([](const CommDcb& d) { return d.Flags == 0x102B; }),
                    [](TCommX& c) { c.SetFlowCtrl(cfcDtrDsr); }, "通信フロー制御の設定で失敗しました"},
        RefusedStep{"TimeOuts", [](Script& s) { s.refuseTimeouts = true; }, Nothing,
                    "通信タイムアウト時間の設定で失敗しました"},
        RefusedStep{"Xon", RefuseWhen([](const CommDcb& d) { return d.XonChar == 0x55; }),
                    [](TCommX& c) { c.SetXonChar(0x55); }, "Ｘｏｎ文字の設定でエラーが発生しました"},
        RefusedStep{"Xoff", RefuseWhen([](const CommDcb& d) { return d.XoffChar == 0x55; }),
                    [](TCommX& c) { c.SetXoffChar(0x55); }, "Ｘｏｆｆ文字の設定でエラーが発生しました"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CommPropertiesWhileOpen, AppliedAtOnceAndKeptWhenRefused)
{
    Scripted s;
    s.comm.Open();
    auto states = [&] {
        std::lock_guard<std::mutex> l(s.script->lock);
        return s.script->states;
    };
    const size_t before = states().size();

    s.comm.SetParityBit(static_cast<TCommParityBits>(7));  // outside the enumeration: nothing applied
    s.comm.SetStopBit(static_cast<TCommStopBits>(9));
    EXPECT_EQ(states().size(), before);
    EXPECT_EQ(s.comm.ParityBit(), 7);

    s.comm.SetBufLenReceive(400);  // buffers, then the flow-control step again
    ASSERT_EQ(states().size(), before + 1);
    EXPECT_EQ(states().back().XonLim, 100);

    s.comm.SetFlowCtrl(cfcHalfHigh);
    EXPECT_EQ(states().back().Flags, 0x0013u);

    s.script->refuseState = [](const CommDcb& d) { return d.BaudRate == 300; };
    try {
        s.comm.SetBitRate(300);
        ADD_FAILURE() << "refused rate accepted";
    } catch (const ECommError& e) {
        EXPECT_STREQ(e.what(), "通信速度の設定でエラーが発生しました");
    }
    EXPECT_EQ(s.comm.BitRate(), 300);
    EXPECT_TRUE(s.comm.IsOpen());

    s.script->refuseTimeouts = true;
    EXPECT_THROW(s.comm.SetTimeOutReceive(10), ECommError);
    EXPECT_EQ(s.comm.TimeOutReceive(), 10);
}

TEST(CommPropertiesWhileOpen, PortNoReopensOnTheNewNumber)
{
    Scripted s;
    s.comm.SetPortNo(2);  // closed: only stored
    EXPECT_TRUE(s.resolved.empty());
    s.comm.Open();
    s.comm.SetPortNo(5);
    EXPECT_TRUE(s.comm.IsOpen());
    EXPECT_EQ(s.resolved, (std::vector<int32_t>{2, 5}));
    EXPECT_EQ(s.script->layersCreated, 2);
    EXPECT_EQ(s.script->openedPath, "/dev/scripted5");
}

TEST(CommSend, ChunksOfBufLenTransInOrder)
{
    Scripted s;
    s.comm.Open();
    std::string data(5000, '\0');
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i * 7);
    EXPECT_TRUE(s.comm.SendString(data));
    ASSERT_TRUE(s.AllChunksFinished());
    const auto log = s.script->Log();
    std::vector<std::string> writes;
    std::copy_if(log.begin(), log.end(), std::back_inserter(writes),
                 [](const std::string& e) { return e.rfind("write", 0) == 0; });
    EXPECT_EQ(writes, (std::vector<std::string>{"write:2048", "write:2048", "write:904"}));
    EXPECT_EQ(s.script->Written(), data);
}

namespace {
std::vector<std::string> LinesAndWrites(Script& script)
{
    std::vector<std::string> out;
    for (const auto& e : script.Log())
        if (e.rfind("RTS", 0) == 0 || e.rfind("write", 0) == 0)
            out.push_back(e);
    return out;
}
}  // namespace

TEST(CommTransmitWorker, HalfDuplexSwitchesRtsOnceAroundABatch)
{
    Scripted s;
    s.comm.SetBitRate(1200);
    s.comm.SetFlowCtrl(cfcHalfHigh);
    s.comm.SetBufLenTrans(4);
    s.comm.Open();
    EXPECT_TRUE(s.comm.SendString("abcdefghijkl"));
    ASSERT_TRUE(s.AllChunksFinished());
    ASSERT_TRUE(s.script->WaitFor([&] { return !s.script->log.empty() && s.script->log.back() == "RTS-"; }));
    EXPECT_EQ(LinesAndWrites(*s.script), (std::vector<std::string>{"RTS+", "write:4", "write:4", "write:4", "RTS-"}));

    s.comm.SetFlowCtrl(cfcHalfLow);
    EXPECT_TRUE(s.comm.SendString("xy"));
    ASSERT_TRUE(s.AllChunksFinished());
    ASSERT_TRUE(s.script->WaitFor([&] { return s.script->log.back() == "RTS+"; }));
    const auto all = LinesAndWrites(*s.script);
    EXPECT_EQ(std::vector<std::string>(all.end() - 3, all.end()),
              (std::vector<std::string>{"RTS-", "write:2", "RTS+"}));
}

TEST(CommTransmitWorker, OtherFlowControlsNeverTouchRts)
{
    for (TCommFlowCtrls flow : {cfcNone, cfcRtsCts, cfcXonXoff}) {
        Scripted s;
        s.comm.SetFlowCtrl(flow);
        s.comm.SetBufLenTrans(4);
        s.comm.Open();
        EXPECT_TRUE(s.comm.SendString("abcdefghijkl"));
        ASSERT_TRUE(s.AllChunksFinished());
        EXPECT_EQ(LinesAndWrites(*s.script), (std::vector<std::string>{"write:4", "write:4", "write:4"}))
            << "flow " << flow;
    }
}

TEST(CommTransmitWorker, HeldChunkIsCutShortAfterTimeOutTrans)
{
    Scripted s;
    s.comm.SetTimeOutTrans(100);
    s.comm.Open();
    s.script->SetHoldWrites(true);
    EXPECT_TRUE(s.comm.SendString("lost"));
    ASSERT_TRUE(s.AllChunksFinished());  // finished although nothing was taken
    EXPECT_EQ(s.script->Written(), "");
    s.script->SetHoldWrites(false);
    EXPECT_TRUE(s.comm.SendString("next"));
    ASSERT_TRUE(s.AllChunksFinished());
    EXPECT_EQ(s.script->Written(), "next");
}

TEST(CommTransmitWorker, PurgeDropsQueuedChunksAndLaterOnesGoOut)
{
    Scripted s;
    s.comm.SetTimeOutTrans(0);  // no limit: only the purge ends the held write
    s.comm.SetFlowCtrl(cfcHalfHigh);
    s.comm.SetBufLenTrans(3);
    s.comm.Open();
    s.script->SetHoldWrites(true);
    EXPECT_TRUE(s.comm.SendString("aaabbbcccddd"));
    ASSERT_TRUE(s.script->WaitFor([&] { return s.script->writeWaiters > 0; }));
    EXPECT_EQ(s.comm.PendingChunks(), 4);
    s.comm.PurgeTrans();
    EXPECT_EQ(s.comm.PendingBytes(), 0);
    EXPECT_EQ(s.comm.PendingChunks(), 0);
    {
        std::lock_guard<std::mutex> l(s.script->lock);
        // Only the held first chunk was ever offered to the device; the others were dropped.
        EXPECT_EQ(s.script->offered.find_first_not_of('a'), std::string::npos) << s.script->offered;
        EXPECT_FALSE(s.script->offered.empty());
        s.script->holdWrites = false;
    }
    EXPECT_TRUE(s.comm.SendString("eee"));
    ASSERT_TRUE(s.AllChunksFinished());
    EXPECT_EQ(s.script->Written(), "eee");
}

TEST(CommSend, WaitsWhileThirtyTwoChunksAreOutstanding)
{
    Scripted s;
    s.FillTheQueue();
    // Only the handler run inside the wait can let the worker go on.
    bool releasedInside = false;
    QTimer::singleShot(50, [&] {
        releasedInside = true;
        s.script->SetHoldWrites(false);
    });
    EXPECT_TRUE(s.comm.SendString("b"));
    EXPECT_TRUE(releasedInside);
    ASSERT_TRUE(s.AllChunksFinished());
    EXPECT_EQ(s.script->Written(), std::string(32, 'a') + "b");
}

TEST(CommSend, ClosedDuringTheQueueWaitReturnsFalse)
{
    Scripted s;
    s.FillTheQueue();
    QTimer::singleShot(50, [&] { s.comm.Close(); });
    EXPECT_FALSE(s.comm.SendString("b"));
    EXPECT_FALSE(s.comm.IsOpen());
    EXPECT_EQ(s.comm.PendingChunks(), 0);
}

TEST(CommReceiveWorker, EventsComeAsErrorBreakReceived)
{
    Scripted s;
    std::vector<std::string> seen;
    s.comm.OnError = [&](TCustomCommX* sender, int32_t state) {
        EXPECT_EQ(sender, &s.comm);
        seen.push_back("error " + std::to_string(state));
    };
    s.comm.OnBreak = [&](TCustomCommX*) { seen.push_back("break"); };
    s.comm.OnReceive = [&](TCustomCommX*, int32_t n) { seen.push_back("receive " + std::to_string(n)); };
    s.comm.Open();
    s.script->Feed("abc");
    s.script->Raise(SerialLayer::kEvRxChar | SerialLayer::kEvBreak | SerialLayer::kEvErr,
                    SerialLayer::kErrFrame | SerialLayer::kErrBreak | 0x0001);
    ASSERT_TRUE(PumpUntil([&] { return seen.size() >= 3; }));
    EXPECT_EQ(seen, (std::vector<std::string>{"error 8", "break", "receive 3"}));

    // Nothing waiting: no OnReceive with 0; an event without error flags raises no OnError.
    seen.clear();
    uint8_t buf[3];
    EXPECT_EQ(s.comm.ReceiveData(buf, 3), 3);
    s.script->Raise(SerialLayer::kEvRxChar, 0);
    s.script->Raise(SerialLayer::kEvBreak, 0);
    ASSERT_TRUE(PumpUntil([&] { return !seen.empty(); }));
    PumpFor(50);
    EXPECT_EQ(seen, (std::vector<std::string>{"break"}));
}

TEST(CommReceiveWorker, NoEventAfterClose)
{
    Scripted s;
    int events = 0;
    s.comm.OnReceive = [&](TCustomCommX*, int32_t) { ++events; };
    s.comm.OnError = [&](TCustomCommX*, int32_t) { ++events; };
    s.comm.Open();
    s.script->Feed("x");
    s.script->Raise(SerialLayer::kEvRxChar | SerialLayer::kEvErr, SerialLayer::kErrOverrun);
    // Closed without handling events: what the worker posted meanwhile must not fire.
    ASSERT_TRUE(s.script->WaitFor([&] { return s.script->events.empty() && s.script->clearErrorsCalls > 0; }));
    s.comm.Close();
    PumpFor(50);
    EXPECT_EQ(events, 0);
}

TEST(CommReceiveData, ReadFailureReportsErrorsFirst)
{
    // The read fails once the device is gone: errors are delivered before -1 returns.
    class FailingRead : public ScriptedSerialLayer {
    public:
        using ScriptedSerialLayer::ScriptedSerialLayer;
        int32_t Read(void*, int32_t) override { return -1; }
    };
    auto script = std::make_shared<Script>();
    TCommX comm;
    comm.SetSerialLayerFactory([script] { return std::make_unique<FailingRead>(script); });
    comm.SetPortResolver([](int32_t) { return std::string("/dev/x"); });
    comm.Open();
    std::vector<int32_t> errors;
    comm.OnError = [&](TCustomCommX*, int32_t e) { errors.push_back(e); };
    {
        std::lock_guard<std::mutex> l(script->lock);
        script->errors = SerialLayer::kErrParity | SerialLayer::kErrBreak;
    }
    uint8_t buf[2];
    EXPECT_EQ(comm.ReceiveData(buf, 2), -1);
    EXPECT_EQ(errors, (std::vector<int32_t>{4}));
    EXPECT_EQ(comm.ReceiveData(nullptr, 2), -1);
}

TEST(CommConcurrency, PurgeTransDoesNotWaitForAPendingErrorNotification)
{
    Scripted s;
    s.comm.SetBufLenTrans(2);
    std::vector<int32_t> errors;
    s.comm.OnError = [&](TCustomCommX*, int32_t e) { errors.push_back(e); };
    s.comm.Open();
    {
        std::lock_guard<std::mutex> l(s.script->lock);
        s.script->failWrites = true;
        s.script->writeErrors = SerialLayer::kErrOverrun;
    }
    // The first chunk's write fails; the worker then waits for us to take the error while the
    // second chunk is still queued. We do not handle events here.
    EXPECT_TRUE(s.comm.SendString("abcd"));
    ASSERT_TRUE(s.script->WaitFor([&] { return s.script->clearErrorsCalls > 0; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_GT(s.comm.PendingChunks(), 0);
    {
        Watchdog watchdog(10);
        s.comm.PurgeTrans();
    }
    EXPECT_EQ(s.comm.PendingBytes(), 0);
    EXPECT_EQ(s.comm.PendingChunks(), 0);
    EXPECT_TRUE(errors.empty());
    // The notification is not lost: it fires once events are handled again.
    ASSERT_TRUE(PumpUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors, (std::vector<int32_t>{2}));
}

TEST(CommLifetime, DestroyingAnOpenComponentWithABlockedWorker)
{
    auto script = std::make_shared<Script>();
    {
        auto comm = std::make_unique<TCommX>();
        comm->SetSerialLayerFactory([script] { return std::make_unique<ScriptedSerialLayer>(script); });
        comm->SetPortResolver([](int32_t) { return std::string("/dev/x"); });
        comm->OnReceive = [](TCustomCommX*, int32_t) {};
        comm->Open();
        const size_t openLog = script->Log().size();
        script->Feed("zz");
        script->Raise(SerialLayer::kEvRxChar, 0);  // the worker now waits for us to take it
        ASSERT_TRUE(script->WaitFor([&] { return script->events.empty(); }));
        Watchdog watchdog(10);
        comm.reset();
        std::lock_guard<std::mutex> l(script->lock);
        EXPECT_FALSE(script->layerAlive);
        EXPECT_EQ(script->eventWaiters, 0);
        // Close: lines down, output and input purged, then the device released.
        const std::vector<std::string> closing(script->log.begin() + static_cast<long>(openLog), script->log.end());
        ASSERT_GE(closing.size(), 5u);
        EXPECT_EQ(closing[0], "DTR-");
        EXPECT_EQ(closing[1], "RTS-");
        EXPECT_EQ(closing[2], "purge-out");
        EXPECT_EQ(closing[closing.size() - 3], "purge-in");
        EXPECT_EQ(closing[closing.size() - 2], "close");
        EXPECT_EQ(closing.back(), "destroyed");
    }
}

TEST(CommLifetime, ReopenStartsNewWorkers)
{
    Scripted s;
    s.comm.Open();
    s.comm.Close();
    EXPECT_FALSE(s.script->layerAlive);
    s.comm.Open();
    EXPECT_TRUE(s.script->WaitFor([&] { return s.script->eventWaiters == 1; }));
    EXPECT_TRUE(s.comm.SendString("again"));
    EXPECT_TRUE(s.script->WaitFor([&] { return s.script->written == "again"; }));
}
