#include "TCommTransThread.h"

#include <chrono>

#include "SerialLayer.h"
#include "TCommNotifyWindow.h"
#include "TCustomCommX.h"

using std::chrono::milliseconds;
using std::chrono::steady_clock;

TCommTransThread::TCommTransThread(TCustomCommX& component, std::shared_ptr<SerialLayer> port,
                                   TCommNotifyWindow& notifyWindow, uint64_t session)
    : FComponent(component), FPort(std::move(port)), FNotifyWindow(notifyWindow), FSession(session)
{
}

TCommTransThread::~TCommTransThread()
{
    if (FThread.joinable()) {
        Terminate();
        Post(kWakeMsg, 0, nullptr);
        Join();
    }
    // Items left behind (the thread never ran) are still finished.
    for (auto& item : FTransQueue)
        if (item.message == kDataMsg)
            FComponent.FinishChunk(item.length);
}

void TCommTransThread::Start()
{
    FThread = std::thread([this] { Execute(); });
}

void TCommTransThread::Post(uint32_t message, int32_t length, std::unique_ptr<uint8_t[]> block)
{
    {
        std::lock_guard<std::mutex> lock(FQueueLock);
        FTransQueue.push_back(Item{message, length, std::move(block)});
    }
    FQueueReady.notify_one();
}

void TCommTransThread::Terminate()
{
    FTerminated = true;
    FPort->WakeWriter();
}

void TCommTransThread::Join()
{
    if (FThread.joinable())
        FThread.join();
}

void TCommTransThread::Execute()
{
    do {
        bool raised = false;
        {
            std::unique_lock<std::mutex> lock(FQueueLock);
            FQueueReady.wait(lock, [this] { return !FTransQueue.empty(); });
        }
        for (;;) {
            Item item;
            {
                std::lock_guard<std::mutex> lock(FQueueLock);
                if (FTransQueue.empty())
                    break;
                item = std::move(FTransQueue.front());
                FTransQueue.pop_front();
            }
            if (item.message != kDataMsg)
                continue;
            if (!Stopping() && item.block) {
                if (!raised) {
                    raised = true;
                    BeginTrans();
                }
                WriteChunk(item.block.get(), item.length);
            }
            item.block.reset();
            FComponent.FinishChunk(item.length);
        }
        if (raised)
            EndTrans();
    } while (!FTerminated);
}

void TCommTransThread::WriteChunk(const uint8_t* data, int32_t length)
{
    // A time-out of 0 (or less) means no limit, as with the port's write time-out.
    const int32_t timeout = FComponent.FTimeOutTrans.load();
    const auto deadline = steady_clock::now() + milliseconds(timeout > 0 ? timeout : 0);
    int32_t remaining = length;
    while (!Stopping()) {
        int32_t written;
        {
            std::lock_guard<std::mutex> lock(FComponent.WriteLock);
            if (Stopping())
                return;
            written = FPort->Write(data, remaining);
        }
        if (written < 0) {
            ReportLineErrors();
            return;
        }
        data += written;
        remaining -= written;
        if (remaining <= 0)
            return;
        int32_t wait = -1;
        if (timeout > 0) {
            const auto left = std::chrono::ceil<milliseconds>(deadline - steady_clock::now()).count();
            if (left <= 0)
                return;  // cut short: the rest of this chunk is not sent
            wait = static_cast<int32_t>(left);
        }
        if (FPort->WaitWritable(wait) == SerialLayer::WaitResult::Failed) {
            ReportLineErrors();
            return;
        }
    }
}

void TCommTransThread::BeginTrans()
{
    const TCommFlowCtrls flow = FComponent.FFlowCtrl.load();
    if (flow != cfcHalfHigh && flow != cfcHalfLow)
        return;
    std::this_thread::sleep_for(milliseconds(50));
    FPort->SetModemLine(SerialLayer::ModemLine::Rts, flow == cfcHalfHigh);
    std::this_thread::sleep_for(milliseconds(CharTime.load()));
}

void TCommTransThread::EndTrans()
{
    const TCommFlowCtrls flow = FComponent.FFlowCtrl.load();
    if (flow != cfcHalfHigh && flow != cfcHalfLow)
        return;
    std::this_thread::sleep_for(milliseconds(CharTime.load()));
    FPort->SetModemLine(SerialLayer::ModemLine::Rts, flow != cfcHalfHigh);
}

void TCommTransThread::ReportLineErrors()
{
    const uint32_t errors = FPort->ClearErrors(nullptr) & 0x000E;
    if (errors != 0)
        FNotifyWindow.Send(FSession, TCustomCommX::CommErrMsg, static_cast<int32_t>(errors));
}
