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
