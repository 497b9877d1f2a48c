#include "TCustomCommX.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>

#include "CommTimeouts.h"
#include "PortTable.h"
#include "PosixSerialLayer.h"
#include "TCommNotifyWindow.h"
#include "TCommReceiveThread.h"
#include "TCommTransThread.h"

using std::chrono::milliseconds;
using std::chrono::steady_clock;

namespace {

const char* const kMsgAlreadyOpen = "ポートは、すでにオープンされています";
const char* const kMsgOpen = "ポートをオープンできませんでした";
const char* const kMsgBuffers = "通信用ポートのバッファを準備できませんでした";
const char* const kMsgBitRate = "通信速度の設定でエラーが発生しました";
const char* const kMsgCharSize = "通信ビット数の設定でエラーが発生しました";
const char* const kMsgParity = "通信パリティチェックの設定でエラーが発生しました";
const char* const kMsgStopBits = "通信ストップビット数の設定でエラーが発生しました";
const char* const kMsgFlowCtrl = "通信フロー制御の設定で失敗しました";
const char* const kMsgTimeOuts = "通信タイムアウト時間の設定で失敗しました";
const char* const kMsgXon = "Ｘｏｎ文字の設定でエラーが発生しました";
const char* const kMsgXoff = "Ｘｏｆｆ文字の設定でエラーが発生しました";
const char* const kMsgTransThread = "送信用スレッドを生成できませんでした";
const char* const kMsgReceiveThread = "受信用スレッドを生成できませんでした";

// Slice of the event-handling waits: longer than a character at 1200 bit/s, so a wait ends on
// the byte rather than the clock, and short enough that notifications and repaints stay prompt.
constexpr int32_t kSliceMs = 20;

// Brackets a wait of the user-interface thread that handles no events.
class PauseScope {
public:
    explicit PauseScope(TCommNotifyWindow& w) : FWindow(w) { FWindow.BeginPause(); }
    ~PauseScope() { FWindow.EndPause(); }
    PauseScope(const PauseScope&) = delete;
    PauseScope& operator=(const PauseScope&) = delete;

private:
    TCommNotifyWindow& FWindow;
};

}  // namespace

TCustomCommX::TCustomCommX(QObject* owner)
    : QObject(owner),
      NotifyWindow(std::make_unique<TCommNotifyWindow>(
          [this](uint64_t session, uint32_t message, int32_t param) { WndProc(session, message, param); }))
{
}

TCustomCommX::~TCustomCommX()
{
    Close();
}

void TCustomCommX::SetPortResolver(std::function<std::string(int32_t)> resolver)
{
    FPortResolver = std::move(resolver);
}

void TCustomCommX::SetSerialLayerFactory(std::function<std::unique_ptr<SerialLayer>()> factory)
{
    FLayerFactory = std::move(factory);
}

int32_t TCustomCommX::PendingBytes() const
{
    std::lock_guard<std::mutex> lock(QueueLock);
    return FPendingBytes;
}

int32_t TCustomCommX::PendingChunks() const
{
    std::lock_guard<std::mutex> lock(QueueLock);
    return FPendingChunks;
}

int32_t TCustomCommX::CharTimeFor(int32_t bitRate)
{
    // Rates below 10 bit/s are outside the component's range; they must not divide by zero.
    const int32_t charsPerSecond = std::max(bitRate / 10, 1);
    return 1000 / charsPerSecond + 1;
}

uint32_t TCustomCommX::FlowCtrlFlags(int32_t flowCtrl)
{
    switch (flowCtrl) {
    case cfcRtsCts:
        return 0x2017;
    case cfcDtrDsr:
        return 0x102B;
    case cfcXonXoff:
        return 0x1313;
    case cfcHalfHigh:
        return 0x0013;
    default:  // cfcHalfLow, cfcNone and anything else
        return 0x1013;
    }
}

void TCustomCommX::Open()
{
    if (IsOpen())
        throw ECommError(kMsgAlreadyOpen);

    const std::string path = FPortResolver ? FPortResolver(FPortNo) : PortTable().DeviceFor(FPortNo);
    std::shared_ptr<SerialLayer> layer;
    if (FLayerFactory)
        layer = FLayerFactory();
    else
        layer = std::make_shared<PosixSerialLayer>();
    if (!layer)
        throw ECommError(kMsgOpen);
    if (path.empty())
        throw ECommError(kMsgOpen, OpenCause::Unassigned());
    if (!layer->Open(path))
        throw ECommError(kMsgOpen, OpenCause::Diagnose(path, layer->OpenError()));
    FLayer = std::move(layer);
    FHandle = static_cast<uint32_t>(FLayer->Descriptor());
    ++FSession;

    try {
        {
            std::lock_guard<std::mutex> lock(QueueLock);
            FPendingBytes = 0;
            FPendingChunks = 0;
        }
        ApplyBufLen();
        FLayer->PurgeOutput();
        FLayer->PurgeInput();
        FLayer->GetState(FPortDcb);
        ApplyBitRate();
        ApplyCharSize();
        ApplyParityBit();
        ApplyStopBit();
        ApplyFlowCtrl();
        ApplyTimeOuts();
        ApplyXonChar();
        ApplyXoffChar();
        StartThreads();
    } catch (...) {
        Close();
        throw;
    }
}

void TCustomCommX::StartThreads()
{
    TransThread.reset();
    ReceiveThread.reset();
    try {
        TransThread = std::make_unique<TCommTransThread>(*this, FLayer, *NotifyWindow, FSession);
        TransThread->CharTime = CharTimeFor(FBitRate);
        TransThread->Start();
    } catch (const std::exception&) {
        TransThread.reset();
        throw ECommError(kMsgTransThread);
    }
    try {
        ReceiveThread = std::make_unique<TCommReceiveThread>(FLayer, *NotifyWindow, FSession);
        ReceiveThread->Start();
    } catch (const std::exception&) {
        ReceiveThread.reset();
        throw ECommError(kMsgReceiveThread);
    }
    // No pause after the start: the transmit queue takes items from its construction on.
}

void TCustomCommX::Close()
{
    if (!IsOpen())
        return;
    // Workers must not wait for the user-interface thread while it stops them.
    PauseScope pause(*NotifyWindow);
    SetDtr(false);
    SetRts(false);
    PurgeTrans();
    PurgeReceive();
    // No pause before or after stopping the workers: they are joined here, and PurgeTrans has
    // already emptied the queue.
    if (TransThread) {
        TransThread->Terminate();
        TransThread->Post(TCommTransThread::kWakeMsg, 0, nullptr);
    }
    if (ReceiveThread)
        ReceiveThread->Terminate();
    // Joined before the device goes, so no worker uses a released descriptor.
    if (TransThread)
        TransThread->Join();
    if (ReceiveThread)
        ReceiveThread->Join();
    TransThread.reset();
    ReceiveThread.reset();
    FHandle = kInvalidHandle;
    FLayer->Close();
    FLayer.reset();
}

bool TCustomCommX::SendData(const void* data, int32_t length)
{
    if (length == 0)
        return true;
    if (length < 0 || data == nullptr)
        return false;
    const auto* next = static_cast<const uint8_t*>(data);
    int32_t remaining = length;
    while (remaining > 0) {
        if (!IsOpen() || !TransThread)
            return false;
        {
            std::unique_lock<std::mutex> lock(QueueLock);
            if (FPendingChunks >= kMaxPendingChunks) {
                lock.unlock();
                QCoreApplication::processEvents();
                lock.lock();
                QueueChanged.wait_for(lock, milliseconds(kSliceMs),
                                      [this] { return FPendingChunks < kMaxPendingChunks; });
                continue;
            }
        }
        // A chunk size below 1 would never advance.
        const int32_t size = std::min(remaining, std::max(FBufLenTrans, 1));
        std::unique_ptr<uint8_t[]> block(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
        if (block) {
            std::memcpy(block.get(), next, static_cast<size_t>(size));
            {
                std::lock_guard<std::mutex> lock(QueueLock);
                FPendingBytes += size;
                FPendingChunks += 1;
            }
            TransThread->Post(TCommTransThread::kDataMsg, size, std::move(block));
        }
        next += size;
        remaining -= size;
    }
    return true;
}

bool TCustomCommX::SendString(const std::string& bytes)
{
    if (bytes.empty())
        return true;
    return SendData(bytes.data(), static_cast<int32_t>(bytes.size()));
}

int32_t TCustomCommX::ReceiveData(void* buffer, int32_t count)
{
    if (!IsOpen() || !ReceiveThread || buffer == nullptr || count < 0)
        return -1;
    if (count == 0)
        return 0;
    // Held locally: a handler run inside the wait may close the port.
    const std::shared_ptr<SerialLayer> layer = FLayer;
    const uint64_t session = FSession;
    const uint64_t purges = FInputPurges;
    auto* out = static_cast<uint8_t*>(buffer);

    int32_t got = layer->Read(out, count);
    if (got < 0) {
        ReportLineErrors();
        return -1;
    }
    if (got > 0)
        return got;

    // A negative time-out is, as the port's unsigned value, practically no limit.
    const bool limited = FTimeOutReceive >= 0;
    const auto deadline = steady_clock::now() + milliseconds(limited ? FTimeOutReceive : 0);
    for (;;) {
        QCoreApplication::processEvents();
        if (!IsOpen() || !ReceiveThread || FSession != session)
            return -1;
        if (FInputPurges != purges) {
            // A handler purged the input: the read is aborted, as a purge aborts a pending read.
            ReportLineErrors();
            return -1;
        }
        int32_t slice = kSliceMs;
        if (limited) {
            const auto left = std::chrono::ceil<milliseconds>(deadline - steady_clock::now()).count();
            if (left <= 0)
                return got;
            slice = static_cast<int32_t>(std::min<int64_t>(left, kSliceMs));
        }
        const SerialLayer::WaitResult waited = layer->WaitReadable(slice);
        const int32_t n = layer->Read(out + got, count - got);
        if (n < 0 || (n == 0 && waited == SerialLayer::WaitResult::Failed)) {
            ReportLineErrors();
            return -1;
        }
        got += n;
        if (got >= count)
            return got;
    }
}

void TCustomCommX::PurgeTrans()
{
    if (!IsOpen())
        return;
    if (!TransThread) {
        FLayer->PurgeOutput();
        return;
    }
    // Dropping starts before a worker waiting to hand over an error is let go (it must not wait
    // for us now), so the chunks it goes on to are dropped, not written.
    TransThread->Purging = true;
    PauseScope pause(*NotifyWindow);
    FLayer->WakeWriter();
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(WriteLock);
            FLayer->PurgeOutput();
        }
        std::unique_lock<std::mutex> lock(QueueLock);
        if (QueueChanged.wait_for(lock, milliseconds(1), [this] { return FPendingBytes == 0; }))
            break;
    }
    TransThread->Purging = false;
}

void TCustomCommX::PurgeReceive()
{
    if (!IsOpen())
        return;
    FLayer->PurgeInput();
    ++FInputPurges;  // a ReceiveData waiting further up this thread's stack fails
}

int32_t TCustomCommX::ReceiveCount()
{
    if (!IsOpen())
        return 0;
    int32_t count = 0;
    FLayer->ClearErrors(&count);
    return count;
}

void TCustomCommX::SetRts(bool on)
{
    if (IsOpen())
        FLayer->SetModemLine(SerialLayer::ModemLine::Rts, on);
}

void TCustomCommX::SetDtr(bool on)
{
    if (IsOpen())
        FLayer->SetModemLine(SerialLayer::ModemLine::Dtr, on);
}

void TCustomCommX::FinishChunk(int32_t length)
{
    {
        std::lock_guard<std::mutex> lock(QueueLock);
        FPendingBytes = std::max(FPendingBytes - length, 0);
        if (FPendingChunks > 0)
            --FPendingChunks;
    }
    QueueChanged.notify_all();
}

void TCustomCommX::ReportLineErrors()
{
    const uint32_t errors = FLayer->ClearErrors(nullptr) & 0x000E;
    if (errors != 0)
        WndProc(FSession, CommErrMsg, static_cast<int32_t>(errors));
}

void TCustomCommX::WndProc(uint64_t session, uint32_t message, int32_t param)
{
    // Notifications of an earlier opening, or arriving after Close, fire nothing.
    if (session != FSession || !IsOpen())
        return;
    switch (message) {
    case CommReceiveMsg:
        if (OnReceive) {
            const int32_t n = ReceiveCount();
            if (n != 0)
                OnReceive(this, n);
        }
        break;
    case CommBreakMsg:
        if (OnBreak)
            OnBreak(this);
        break;
    case CommErrMsg:
        if (OnError)
            OnError(this, param);
        break;
    default:
        break;
    }
}

// Configuration: each step changes its fields of PortDcb and writes the whole record.

void TCustomCommX::ApplyState(const char* message)
{
    if (!FLayer->SetState(FPortDcb))
        throw ECommError(message);
}

void TCustomCommX::ApplyBitRate()
{
    FPortDcb.BaudRate = static_cast<uint32_t>(FBitRate);
    ApplyState(kMsgBitRate);
    if (TransThread)
        TransThread->CharTime = CharTimeFor(FBitRate);
}

void TCustomCommX::ApplyCharSize()
{
    FPortDcb.ByteSize = static_cast<uint8_t>(FCharSize & 0xFF);
    ApplyState(kMsgCharSize);
}

void TCustomCommX::ApplyParityBit()
{
    if (FParityBit != cpbNone && FParityBit != cpbOdd && FParityBit != cpbEven)
        return;
    FPortDcb.Parity = static_cast<uint8_t>(FParityBit);
    ApplyState(kMsgParity);
}

void TCustomCommX::ApplyStopBit()
{
    if (FStopBit != csb1 && FStopBit != csb1p5 && FStopBit != csb2)
        return;
    FPortDcb.StopBits = static_cast<uint8_t>(FStopBit);
    ApplyState(kMsgStopBits);
}

void TCustomCommX::ApplyFlowCtrl()
{
    FPortDcb.Flags = FlowCtrlFlags(FFlowCtrl.load());
    FPortDcb.XonLim = static_cast<uint16_t>(FBufLenReceive / 4);
    FPortDcb.XoffLim = static_cast<uint16_t>(FBufLenReceive / 4);
    ApplyState(kMsgFlowCtrl);
}

void TCustomCommX::ApplyTimeOuts()
{
    if (!IsOpen())
        return;
    CommTimeouts timeouts;
    timeouts.ReadIntervalTimeout = 0xFFFFFFFFu;
    timeouts.ReadTotalTimeoutMultiplier = 0;
    timeouts.ReadTotalTimeoutConstant = static_cast<uint32_t>(FTimeOutReceive);
    timeouts.WriteTotalTimeoutMultiplier = 0;
    timeouts.WriteTotalTimeoutConstant = static_cast<uint32_t>(FTimeOutTrans.load());
    if (!FLayer->SetTimeouts(timeouts))
        throw ECommError(kMsgTimeOuts);
}

void TCustomCommX::ApplyXonChar()
{
    FPortDcb.XonChar = FXonChar;
    ApplyState(kMsgXon);
}

void TCustomCommX::ApplyXoffChar()
{
    FPortDcb.XoffChar = FXoffChar;
    ApplyState(kMsgXoff);
}

void TCustomCommX::ApplyBufLen()
{
    if (!IsOpen())
        return;
    if (!FLayer->SetQueueSizes(FBufLenReceive, FBufLenTrans))
        throw ECommError(kMsgBuffers);
}

// Property writes: the value is stored first and kept even when the port refuses it.

void TCustomCommX::SetPortNo(int32_t value)
{
    FPortNo = value;
    if (!IsOpen())
        return;
    Close();
    Open();
}

void TCustomCommX::SetBitRate(int32_t value)
{
    FBitRate = value;
    if (IsOpen())
        ApplyBitRate();
}

void TCustomCommX::SetCharSize(int32_t value)
{
    FCharSize = value;
    if (IsOpen())
        ApplyCharSize();
}

void TCustomCommX::SetParityBit(TCommParityBits value)
{
    FParityBit = value;
    if (IsOpen())
        ApplyParityBit();
}

void TCustomCommX::SetStopBit(TCommStopBits value)
{
    FStopBit = value;
    if (IsOpen())
        ApplyStopBit();
}

void TCustomCommX::SetFlowCtrl(TCommFlowCtrls value)
{
    FFlowCtrl = value;
    if (IsOpen())
        ApplyFlowCtrl();
}

void TCustomCommX::SetTimeOutTrans(int32_t value)
{
    FTimeOutTrans = value;
    ApplyTimeOuts();
}

void TCustomCommX::SetTimeOutReceive(int32_t value)
{
    FTimeOutReceive = value;
    ApplyTimeOuts();
}

void TCustomCommX::SetXonChar(uint8_t value)
{
    FXonChar = value;
    if (IsOpen())
        ApplyXonChar();
}

void TCustomCommX::SetXoffChar(uint8_t value)
{
    FXoffChar = value;
    if (IsOpen())
        ApplyXoffChar();
}

void TCustomCommX::SetBufLenTrans(int32_t value)
{
    FBufLenTrans = value;
    ApplyBufLen();
}

void TCustomCommX::SetBufLenReceive(int32_t value)
{
    FBufLenReceive = value;
    if (!IsOpen())
        return;
    ApplyBufLen();
    ApplyFlowCtrl();
}
