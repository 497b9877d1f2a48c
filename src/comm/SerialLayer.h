#pragma once
#include <cstdint>
#include <string>

#include "CommDcb.h"
#include "CommTimeouts.h"

// The layer that really talks to a serial device. The component and its two workers share one
// instance: the transmit worker writes and waits for room, the receive worker waits for line
// events, the user-interface thread does everything else. Implementations must allow those
// three to call at the same time.
class SerialLayer {
public:
    // Line-error flags, as ClearCommError reports them.
    static constexpr uint32_t kErrOverrun = 0x0002;
    static constexpr uint32_t kErrParity = 0x0004;
    static constexpr uint32_t kErrFrame = 0x0008;
    static constexpr uint32_t kErrBreak = 0x0010;

    // Line events, as WaitCommEvent reports them.
    static constexpr uint32_t kEvRxChar = 0x0001;
    static constexpr uint32_t kEvBreak = 0x0040;
    static constexpr uint32_t kEvErr = 0x0080;

    enum class ModemLine { Rts, Dtr };
    enum class WaitResult { Ready, TimedOut, Woken, Failed };

    virtual ~SerialLayer() = default;

    // Opens the device exclusively; false when it cannot be had.
    virtual bool Open(const std::string& path) = 0;
    // The errno of the step that made the last Open fail; 0 when the layer cannot tell.
    virtual int OpenError() const { return 0; }
    // Releases the device; safe to call twice.
    virtual void Close() = 0;
    // The descriptor shown as the component's Handle.
    virtual int Descriptor() const = 0;

    virtual bool SetQueueSizes(int32_t input, int32_t output) = 0;
    virtual bool GetState(CommDcb& dcb) = 0;
    // False when the device does not take the whole configuration as given.
    virtual bool SetState(const CommDcb& dcb) = 0;
    virtual bool SetTimeouts(const CommTimeouts& timeouts) = 0;

    // Discards queued output and wakes a writer waiting for room.
    virtual void PurgeOutput() = 0;
    virtual void PurgeInput() = 0;
    // Failures are ignored: not every device has the lines.
    virtual void SetModemLine(ModemLine line, bool on) = 0;

    // Takes what the device accepts now: bytes written (possibly 0) or -1 on failure.
    virtual int32_t Write(const void* data, int32_t length) = 0;
    // Waits until the device takes more output, the time runs out or WakeWriter is called.
    virtual WaitResult WaitWritable(int32_t timeoutMs) = 0;
    virtual void WakeWriter() = 0;

    // Takes what is waiting now, at most count: bytes read (possibly 0) or -1 on failure
    // (a device that is gone fails instead of blocking).
    virtual int32_t Read(void* buffer, int32_t count) = 0;
    // Waits until input arrives or the time runs out; Failed when the device is gone.
    virtual WaitResult WaitReadable(int32_t timeoutMs) = 0;

    // Returns and clears the line-error flags gathered since the last call; the number of
    // bytes waiting goes to *inQueue when given.
    virtual uint32_t ClearErrors(int32_t* inQueue) = 0;

    // Blocks until a line event and returns its mask (received character, break, error), or
    // 0 once WakeEventWait is called. A device that is gone leaves it waiting for the wake.
    virtual uint32_t WaitEvent() = 0;
    virtual void WakeEventWait() = 0;
};
