#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "SerialLayer.h"

// The serial layer over a POSIX terminal device (a real port or a pseudo-terminal).
// Line errors and breaks come from the driver's interrupt counters where it keeps them;
// the byte stream itself is never marked or altered.
class PosixSerialLayer : public SerialLayer {
public:
    PosixSerialLayer() = default;
    ~PosixSerialLayer() override;
    PosixSerialLayer(const PosixSerialLayer&) = delete;
    PosixSerialLayer& operator=(const PosixSerialLayer&) = delete;

    bool Open(const std::string& path) override;
    int OpenError() const override { return FOpenError; }
    void Close() override;
    int Descriptor() const override { return FFd; }

    bool SetQueueSizes(int32_t input, int32_t output) override;
    bool GetState(CommDcb& dcb) override;
    bool SetState(const CommDcb& dcb) override;
    bool SetTimeouts(const CommTimeouts& timeouts) override;

    void PurgeOutput() override;
    void PurgeInput() override;
    void SetModemLine(ModemLine line, bool on) override;

    int32_t Write(const void* data, int32_t length) override;
    WaitResult WaitWritable(int32_t timeoutMs) override;
    void WakeWriter() override;

    int32_t Read(void* buffer, int32_t count) override;
    WaitResult WaitReadable(int32_t timeoutMs) override;

    uint32_t ClearErrors(int32_t* inQueue) override;
    uint32_t WaitEvent() override;
    void WakeEventWait() override;

    // The termios speed constant of a bit rate; 0 when the rate has none.
    static unsigned SpeedFor(uint32_t bitRate);

private:
    struct Counters {
        int frame = 0, parity = 0, overrun = 0, brk = 0, bufOverrun = 0;
    };

    // Folds the growth of the driver's error counters into FErrors; returns the event bits.
    uint32_t SampleCountersLocked();
    int32_t InputCount() const;
    bool HungUp() const;

    int FFd = -1;
    int FOpenError = 0;
    int FWriteWake = -1;  // eventfd: wakes a writer waiting for room
    int FEventWake = -1;  // eventfd: wakes the event wait
    std::mutex FErrorLock;
    bool FHaveCounters = false;
    Counters FLast;
    uint32_t FErrors = 0;
    std::atomic<int32_t> FAnnounced{0};  // input count last reported as received characters
    std::atomic<bool> FGone{false};
};
