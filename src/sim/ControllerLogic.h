#pragma once
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "ControllerState.h"
#include "FrameAssembler.h"

// What the controller says to what it hears, and the faults it can be told to make. No I/O, no
// threads, no clock of its own: bytes come in with the time they arrived, and what the controller
// sends goes out as replies, each with the earliest time it may start. The pty simulator and the
// in-process line both run on it. The line echoes, so every reply starts with the bytes of the
// command frame, followed by the answer:
//   D6            -> D6 n n
//   E6 n n        -> E6 n n 06            (stores n; unequal bytes are refused)
//   D1+i          -> D1+i, 48 image bytes, their 8-bit sum
//   E1+i, 48, sum -> the 50 bytes, 06      (stores the image; a wrong sum is refused)
// A refusal ends the reply with kRefusal instead of kAck and stores nothing. Any other byte is
// echoed and otherwise ignored.
class ControllerLogic {
public:
    using Clock = FrameAssembler::Clock;
    using Bytes = std::vector<uint8_t>;
    using Image = ControllerState::Image;

    static constexpr uint8_t kAck = 0x06;
    static constexpr uint8_t kRefusal = 0x15;
    static constexpr uint8_t kReadModelNumber = 0xD6;
    static constexpr uint8_t kWriteModelNumber = 0xE6;
    static constexpr uint8_t kReadModel = 0xD1;   // + model index
    static constexpr uint8_t kWriteModel = 0xE1;  // + model index
    static constexpr int kAnyCommand = -1;
    static constexpr size_t kNoHangUp = SIZE_MAX;

    enum class Shots { Once, Always };

    // What the controller does about one thing it heard.
    struct Reply {
        bool toFrame = false;  // heard a complete command frame; otherwise bytes it ignored
        Bytes heard;
        Bytes bytes;           // to send; empty when it stays silent
        Clock::time_point notBefore{};
        // The line goes dead after this many bytes of `bytes` have gone out.
        size_t hangUpAt = kNoHangUp;
    };

    // A frame that stops arriving for frameTimeout is dropped and the stream resyncs.
    explicit ControllerLogic(Clock::duration frameTimeout = std::chrono::milliseconds(500),
                             ControllerState state = ControllerState());

    void Hear(const uint8_t* data, size_t size, Clock::time_point now, std::vector<Reply>& out);
    // When a partial frame is dropped unless more bytes come; Expire at or after it.
    std::optional<Clock::time_point> Deadline() const { return assembler_.Deadline(); }
    void Expire(Clock::time_point now, std::vector<Reply>& out);

    const ControllerState& State() const { return state_; }
    ControllerState& State() { return state_; }

    // No reply at all, not even the echo; the frame is lost and nothing is stored.
    void SilenceAfter(int command, Shots shots = Shots::Once);
    // Only the first keep bytes of the reply go out.
    void ShortReply(int command, size_t keep, Shots shots = Shots::Once);
    // The read of model i answers with a sum that does not match its image.
    void BadChecksum(int model, Shots shots = Shots::Once);
    // The write of model i (or of the model number) is refused and not stored.
    void RefuseWrite(int model, Shots shots = Shots::Once);
    void RefuseModelNumberWrite(Shots shots = Shots::Once);
    // Bytes that come before the reply.
    void StrayBytes(int command, Bytes stray, Shots shots = Shots::Once);
    // The reply goes out only after this delay.
    void DelayReply(int command, std::chrono::milliseconds delay, Shots shots = Shots::Once);
    // After afterBytes of the reply the controller is unplugged. Always once.
    void HangUpDuring(int command, size_t afterBytes);
    void ClearFaults() { faults_.clear(); }

    // Complete command frames in the order heard.
    const std::vector<Bytes>& Transcript() const { return transcript_; }
    // Bytes that belonged to no complete frame (garbage, abandoned partial frames).
    const Bytes& IgnoredBytes() const { return ignored_; }
    void ClearTranscript();

private:
    enum class FaultKind { Silence, Short, BadChecksum, Refuse, Stray, Delay, HangUp };
    struct Fault {
        FaultKind kind = FaultKind::Silence;
        int command = kAnyCommand;
        bool persistent = false;
        size_t count = 0;
        Clock::duration delay{};
        Bytes bytes;
    };

    void AddFault(FaultKind kind, int command, Shots shots, size_t count = 0, Clock::duration delay = {},
                  Bytes bytes = {});
    void Handle(std::vector<FrameAssembler::Event>& events, Clock::time_point now, std::vector<Reply>& out);
    Reply AnswerFrame(Bytes frame, Clock::time_point now);
    Bytes Answer(const Bytes& frame, bool refuse, bool badChecksum);

    FrameAssembler assembler_;
    ControllerState state_;
    std::vector<Fault> faults_;
    std::vector<Bytes> transcript_;
    Bytes ignored_;
};
