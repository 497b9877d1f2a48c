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

#include "ControllerLogic.h"
#include "ControllerState.h"

// A speed controller on the far end of a pseudo-terminal. The tool opens DevicePath() like a
// serial port; a thread of our own answers on the master side as ControllerLogic says, pacing the
// bytes like the real line when asked to.
//
// Faults can be armed from any thread, once (for the next matching frame) or for good.
class ControllerSimulator {
public:
    using Clock = ControllerLogic::Clock;
    using Bytes = ControllerLogic::Bytes;
    using Image = ControllerState::Image;
    using Shots = ControllerLogic::Shots;

    static constexpr uint8_t kAck = ControllerLogic::kAck;
    static constexpr uint8_t kRefusal = ControllerLogic::kRefusal;
    static constexpr uint8_t kReadModelNumber = ControllerLogic::kReadModelNumber;
    static constexpr uint8_t kWriteModelNumber = ControllerLogic::kWriteModelNumber;
    static constexpr uint8_t kReadModel = ControllerLogic::kReadModel;
    static constexpr uint8_t kWriteModel = ControllerLogic::kWriteModel;
    static constexpr int kAnyCommand = ControllerLogic::kAnyCommand;
    // One character at 1200 bit/s with start and stop bit: 10 bits, 8.33 ms.
    static constexpr std::chrono::nanoseconds kCharacterTime{10'000'000'000LL / 1200};

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
    struct Chunk {
        Bytes bytes;
        size_t sent = 0;
        Clock::time_point notBefore;
        size_t hangUpAt = SIZE_MAX;  // bytes of this chunk after which the line goes dead
    };

    void Run();
    void HandleInput(Clock::time_point now);
    // Sends what the controller decided; called without mutex_.
    void HandleReplies(std::vector<ControllerLogic::Reply>& replies, Clock::time_point now);
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
    std::deque<Chunk> output_;
    Clock::time_point paceOrigin_{};
    int64_t pacedCount_ = 0;
    bool hangingUp_ = false;
    Clock::time_point hangUpStarted_{};
    std::FILE* transcriptFile_ = nullptr;

    mutable std::mutex mutex_;
    mutable std::condition_variable changed_;
    ControllerLogic logic_;
    bool hungUp_ = false;
};
