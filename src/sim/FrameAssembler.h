#pragma once
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

// Cuts the byte stream arriving at the controller into command frames. A byte that starts no
// frame is passed on as ignored. A frame that stops arriving for longer than the frame time-out
// is abandoned (its bytes passed on as ignored), so garbage or a lost byte cannot wedge the
// controller: the next command byte after the gap starts a fresh frame. While a frame is being
// collected its data bytes are taken as they come, whatever their value, because image bytes can
// look like command bytes.
class FrameAssembler {
public:
    using Clock = std::chrono::steady_clock;

    struct Event {
        bool isFrame = false;        // a complete command frame; otherwise ignored bytes
        std::vector<uint8_t> bytes;
    };

    explicit FrameAssembler(Clock::duration frameTimeout) : frameTimeout_(frameTimeout) {}

    // Length of the frame a command byte starts, 0 for a byte that is no command.
    static size_t FrameLength(uint8_t command);

    void Feed(uint8_t byte, Clock::time_point now, std::vector<Event>& out);
    // When the frame being collected is abandoned unless more bytes come.
    std::optional<Clock::time_point> Deadline() const;
    void Expire(Clock::time_point now, std::vector<Event>& out);

    bool Collecting() const { return !partial_.empty(); }

private:
    Clock::duration frameTimeout_;
    std::vector<uint8_t> partial_;
    size_t expected_ = 0;
    Clock::time_point lastByte_{};
};
