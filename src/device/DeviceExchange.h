#pragma once
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "DeviceImage.h"
#include "ExchangeFailure.h"

class SerialLine;

// The controller's command/response protocol over a serial line: one exchange per command,
// fixed reply lengths, no retry.
class DeviceExchange {
public:
    static constexpr int32_t kMaxReply = 256;
    static constexpr uint8_t kAck = 0x06;
    static constexpr uint8_t kReadModelNumber = 0xD6;
    static constexpr uint8_t kWriteModelNumber = 0xE6;
    static constexpr uint8_t kReadModel = 0xD1;   // + model index
    static constexpr uint8_t kWriteModel = 0xE1;  // + model index
    // The line: 1200 bit/s, each byte 10 bits (start, 8 data, stop).
    static constexpr int32_t kBitRate = 1200;
    static constexpr int32_t kBitsPerByte = 10;
    // The longest reply: a model write's echo (command, 48 image bytes, checksum) and the ack.
    static constexpr int32_t kLongestReply = 1 + static_cast<int32_t>(std::tuple_size_v<DeviceImage>) + 1 + 1;

    // The shortest reply time-out with which every reply can arrive: the time the longest
    // reply takes on the line, in whole milliseconds rounded up.
    static constexpr int32_t ShortestTimeOutMs()
    {
        return (kLongestReply * kBitsPerByte * 1000 + kBitRate - 1) / kBitRate;
    }

    explicit DeviceExchange(SerialLine& line);

    // Runs after every exchange, accepted or not (the window resets its caption there).
    void SetCaptionHook(std::function<void()> hook) { captionHook_ = std::move(hook); }

    // Sends the frame and returns the reply: exactly `expected` bytes (1..256), or empty.
    std::string Exchange(const std::string& frame, int32_t expected);

    // 0..255, or -1 when the reply is not accepted.
    int32_t ReadModelNumber();
    bool WriteModelNumber(uint8_t n);
    // The 48 image bytes of model i (0..4), or nothing when the reply is not accepted.
    std::optional<DeviceImage> ReadModel(int i);
    // Sends the image with its checksum; true when the controller acknowledged it.
    bool WriteModel(int i, const DeviceImage& image);

    // Why the last command failed (cause None after an accepted one).
    const ExchangeFailure& LastFailure() const { return failure_; }

private:
    static uint8_t ModelCommand(uint8_t base, int i);

    SerialLine& line_;
    std::function<void()> captionHook_;
    ExchangeFailure failure_;
};
