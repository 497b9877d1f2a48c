#pragma once
#include <cstdint>
#include <string>

// The serial line as the controller's protocol needs it. The desktop implements it over its
// serial component, the page over Web Serial, tests with a script. All waiting for the
// controller happens inside Receive.
class SerialLine {
public:
    // What Receive returns when the port is closed or failed; 0 means only that nothing came.
    static constexpr int32_t kFailed = -1;

    virtual ~SerialLine() = default;

    virtual bool IsOpen() const = 0;
    // Discards whatever was received and not yet taken.
    virtual void PurgeReceive() = 0;
    // Queues the bytes for sending; false when they could not be queued.
    virtual bool Send(const std::string& bytes) = 0;
    // Returns once `count` bytes have arrived or `timeoutMs` has run out, whichever is first:
    // the number of bytes put into `buffer` (0..count), or kFailed.
    virtual int32_t Receive(char* buffer, int32_t count, int32_t timeoutMs) = 0;
    // The time-out the protocol allows each reply.
    virtual int32_t ReceiveTimeOutMs() const = 0;
};
