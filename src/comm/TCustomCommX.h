#pragma once
#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "CommDcb.h"
#include "ECommError.h"
#include "SerialLayer.h"

enum TCommParityBits : int32_t { cpbNone = 0, cpbOdd = 1, cpbEven = 2 };
enum TCommStopBits : int32_t { csb1 = 0, csb1p5 = 1, csb2 = 2 };
enum TCommFlowCtrls : int32_t {
    cfcRtsCts = 0,
    cfcDtrDsr = 1,
    cfcXonXoff = 2,
    cfcHalfHigh = 3,
    cfcHalfLow = 4,
    cfcNone = 5
};

class TCommTransThread;
class TCommReceiveThread;
class TCommNotifyWindow;

// Serial port component: opens a numbered port, applies the line settings of its properties,
// hands output to a transmit worker in chunks, reads input on the caller's thread while the
// user interface stays responsive, and turns line events into OnReceive, OnBreak and OnError
// on the user-interface thread. Every operation belongs to the user-interface thread.
//
// Close wakes both workers and joins them before the device is released, so no worker ever
// touches a released descriptor.
class TCustomCommX : public QObject {
public:
    static constexpr uint32_t kInvalidHandle = 0xFFFFFFFFu;
    static constexpr int32_t kMaxPendingChunks = 32;

    // Notifications from the workers to the user-interface thread.
    static constexpr uint32_t CommReceiveMsg = 0x0500;
    static constexpr uint32_t CommBreakMsg = 0x0501;
    static constexpr uint32_t CommErrMsg = 0x0502;

    explicit TCustomCommX(QObject* owner = nullptr);
    ~TCustomCommX() override;

    void Open();
    void Close();
    bool IsOpen() const { return FHandle != kInvalidHandle; }

    virtual bool SendData(const void* data, int32_t length);
    bool SendString(const std::string& bytes);
    virtual int32_t ReceiveData(void* buffer, int32_t count);
    void PurgeTrans();
    void PurgeReceive();
    int32_t ReceiveCount();
    void SetRts(bool on);
    void SetDtr(bool on);

    int32_t PortNo() const { return FPortNo; }
    void SetPortNo(int32_t value);
    int32_t BitRate() const { return FBitRate; }
    void SetBitRate(int32_t value);
    int32_t CharSize() const { return FCharSize; }
    void SetCharSize(int32_t value);
    TCommParityBits ParityBit() const { return FParityBit; }
    void SetParityBit(TCommParityBits value);
    TCommStopBits StopBit() const { return FStopBit; }
    void SetStopBit(TCommStopBits value);
    TCommFlowCtrls FlowCtrl() const { return FFlowCtrl.load(); }
    void SetFlowCtrl(TCommFlowCtrls value);
    int32_t TimeOutTrans() const { return FTimeOutTrans.load(); }
    void SetTimeOutTrans(int32_t value);
    int32_t TimeOutReceive() const { return FTimeOutReceive; }
    void SetTimeOutReceive(int32_t value);
    uint8_t XonChar() const { return FXonChar; }
    void SetXonChar(uint8_t value);
    uint8_t XoffChar() const { return FXoffChar; }
    void SetXoffChar(uint8_t value);
    int32_t BufLenTrans() const { return FBufLenTrans; }
    void SetBufLenTrans(int32_t value);
    int32_t BufLenReceive() const { return FBufLenReceive; }
    void SetBufLenReceive(int32_t value);
    uint32_t Handle() const { return FHandle; }

    std::function<void(TCustomCommX* sender, int32_t receiveSize)> OnReceive;
    std::function<void(TCustomCommX* sender)> OnBreak;
    std::function<void(TCustomCommX* sender, int32_t errorState)> OnError;

    // Which device a port number opens ("" = none: Open then fails to open). Default: the
    // port table over the devices present at the moment of Open, without pins.
    void SetPortResolver(std::function<std::string(int32_t portNo)> resolver);
    // The layer that talks to the device (default: the POSIX one).
    void SetSerialLayerFactory(std::function<std::unique_ptr<SerialLayer>()> factory);

    // Bytes and chunks handed to the transmit worker and not yet finished by it.
    int32_t PendingBytes() const;
    int32_t PendingChunks() const;
    // Transmit worker's pause around half-duplex batches: one character time plus 1 ms.
    static int32_t CharTimeFor(int32_t bitRate);
    // The flag word and thresholds the flow-control setting gives the port.
    static uint32_t FlowCtrlFlags(int32_t flowCtrl);
    // The configuration last written to the port (or to be written by the next Open).
    const CommDcb& PortDcb() const { return FPortDcb; }

private:
    friend class TCommTransThread;
    friend class TCommReceiveThread;

    void StartThreads();
    void ApplyState(const char* message);
    void ApplyBitRate();
    void ApplyCharSize();
    void ApplyParityBit();
    void ApplyStopBit();
    void ApplyFlowCtrl();
    void ApplyTimeOuts();
    void ApplyXonChar();
    void ApplyXoffChar();
    void ApplyBufLen();
    // Fetches the line errors and, when any remain, hands them to WndProc (UI thread only).
    void ReportLineErrors();
    void WndProc(uint64_t session, uint32_t message, int32_t param);
    void FinishChunk(int32_t length);

    int32_t FPortNo = 1;
    int32_t FBitRate = 9600;
    int32_t FCharSize = 8;
    TCommParityBits FParityBit = cpbNone;
    TCommStopBits FStopBit = csb1;
    std::atomic<TCommFlowCtrls> FFlowCtrl{cfcRtsCts};
    std::atomic<int32_t> FTimeOutTrans{3000};
    int32_t FTimeOutReceive = 3000;
    uint8_t FXonChar = 17;
    uint8_t FXoffChar = 19;
    int32_t FBufLenTrans = 2048;
    int32_t FBufLenReceive = 2048;
    uint32_t FHandle = kInvalidHandle;

    CommDcb FPortDcb;
    std::shared_ptr<SerialLayer> FLayer;
    std::unique_ptr<TCommTransThread> TransThread;
    std::unique_ptr<TCommReceiveThread> ReceiveThread;
    std::unique_ptr<TCommNotifyWindow> NotifyWindow;
    uint64_t FSession = 0;  // one per Open; notifications of an earlier one are dropped
    uint64_t FInputPurges = 0;  // counts PurgeReceive calls; a waiting read ends when it changes

    std::mutex WriteLock;
    mutable std::mutex QueueLock;
    std::condition_variable QueueChanged;  // signalled when the worker finishes a chunk
    int32_t FPendingBytes = 0;
    int32_t FPendingChunks = 0;

    std::function<std::string(int32_t)> FPortResolver;
    std::function<std::unique_ptr<SerialLayer>()> FLayerFactory;
};
