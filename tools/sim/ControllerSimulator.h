#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "ControllerState.h"
#include "FrameAssembler.h"

// A speed controller on the far end of a pseudo-terminal. The tool opens DevicePath() like a
// serial port; a thread of our own answers on the master side as the controller does. The line
// echoes, so every reply starts with the bytes of the command frame, followed by the answer:
//   D6            -> D6 n n
//   E6 n n        -> E6 n n 06            (stores n; unequal bytes are refused)
//   D1+i          -> D1+i, 48 image bytes, their 8-bit sum
//   E1+i, 48, sum -> the 50 bytes, 06      (stores the image; a wrong sum is refused)
// A refusal ends the reply with kRefusal instead of kAck and stores nothing. Any other byte is
// echoed and otherwise ignored.
//
// Faults can be armed from any thread, once (for the next matching frame) or for good.
class ControllerSimulator {
public:
    using Clock = std::chrono::steady_clock;
    using Bytes = std::vector<uint8_t>;
    using Image = ControllerState::Image;

    static constexpr uint8_t kAck = 0x06;
    static constexpr uint8_t kRefusal = 0x15;
    static constexpr uint8_t kReadModelNumber = 0xD6;
    static constexpr uint8_t kWriteModelNumber = 0xE6;
    static constexpr uint8_t kReadModel = 0xD1;   // + model index
    static constexpr uint8_t kWriteModel = 0xE1;  // + model index
    static constexpr int kAnyCommand = -1;
    // One character at 1200 bit/s with start and stop bit: 10 bits, 8.33 ms.
    static constexpr std::chrono::nanoseconds kCharacterTime{10'000'000'000LL / 1200};

    enum class Shots { Once, Always };

    struct Options {
        bool paced = false;
        // A frame that stops arriving for this long is dropped and the stream resyncs.
        std::chrono::milliseconds frameTimeout{500};
        // After a hang-up fault has sent its bytes, how long the reader may take to fetch them
        // before the master is closed (a hang-up discards whatever the slave has not read).
        std::chrono::milliseconds hangUpGrace{2000};
        // Frames received, one hex line each; empty for none.
        std::string transcriptPath;
        ControllerState state;
    };

    ControllerSimulator();
    explicit ControllerSimulator(Options options);  // throws std::system_error without a pty
    ~ControllerSimulator();
    ControllerSimulator(const ControllerSimulator&) = delete;
    ControllerSimulator& operator=(const ControllerSimulator&) = delete;

    // The slave side, e.g. /dev/pts/3; gone after a hang-up.
    const std::string& DevicePath() const { return devicePath_; }

    // Stops answering and closes the pair. Idempotent; the state stays readable.
    void Stop();

    ControllerState State() const;
    void SetState(const ControllerState& state);
    Image ImageOf(int model) const;
    void SetImage(int model, const Image& image);
    uint8_t ModelNumber() const;
    void SetModelNumber(uint8_t n);
    bool LoadState(const std::string& path, std::string* error = nullptr);
    bool SaveState(const std::string& path, std::string* error = nullptr) const;

    void SetPaced(bool paced) { paced_ = paced; }

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
    // After sending afterBytes of the reply the controller is unplugged: the master is closed and
    // the slave sees a hang-up. Always once: there is nothing left afterwards.
    void HangUpDuring(int command, size_t afterBytes);
    void ClearFaults();

    // Complete command frames in the order received.
    std::vector<Bytes> Transcript() const;
    // Bytes that belonged to no complete frame (garbage, abandoned partial frames).
    Bytes IgnoredBytes() const;
    void ClearTranscript();
    // Until the transcript holds at least count frames; false on time-out.
    bool WaitForFrames(size_t count, std::chrono::milliseconds timeout) const;

    bool HungUp() const;
    bool WaitForHangUp(std::chrono::milliseconds timeout) const;

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
    struct Chunk {
        Bytes bytes;
        size_t sent = 0;
        Clock::time_point notBefore;
        size_t hangUpAt = SIZE_MAX;  // bytes of this chunk after which the line goes dead
    };

    static Fault MakeFault(FaultKind kind, int command, Shots shots);
    void AddFault(Fault fault);
    void Run();
    void HandleInput(Clock::time_point now);
    void HandleEvents(std::vector<FrameAssembler::Event>& events, Clock::time_point now);
    void HandleFrame(const Bytes& frame, Clock::time_point now);
    Bytes Answer(const Bytes& frame, bool refuse, bool badChecksum);  // under mutex_
    void Enqueue(Chunk chunk, Clock::time_point now);
    // Writes what is due; returns false when the master would block.
    bool Flush(Clock::time_point now);
    std::optional<Clock::time_point> NextOutputTime() const;
    bool ReadyToHangUp(Clock::time_point now) const;
    void CloseAll();
    void WriteTranscriptLine(const std::string& line);

    Options options_;
    int master_ = -1;
    int slave_ = -1;  // held open so the master never sees the tool's close as a hang-up
    int stop_ = -1;
    std::string devicePath_;
    std::atomic<bool> paced_;
    std::thread thread_;
    std::once_flag stopOnce_;

    // Only the thread touches these.
    FrameAssembler assembler_;
    std::deque<Chunk> output_;
    Clock::time_point paceOrigin_{};
    int64_t pacedCount_ = 0;
    bool hangingUp_ = false;
    Clock::time_point hangUpStarted_{};
    std::FILE* transcriptFile_ = nullptr;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    ControllerState state_;
    std::vector<Fault> faults_;
    std::vector<Bytes> transcript_;
    Bytes ignored_;
    bool hungUp_ = false;
};
