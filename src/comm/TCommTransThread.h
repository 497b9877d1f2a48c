#pragma once
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

class SerialLayer;
class TCustomCommX;
class TCommNotifyWindow;

// Transmit worker: writes the chunks SendData queues, strictly in order, one write at a time;
// drives RTS around each batch in the half-duplex modes; finishes every chunk (frees it and
// counts it down) whether written, cut short, failed or dropped. Never throws.
class TCommTransThread {
public:
    static constexpr uint32_t kDataMsg = 0x0500;
    static constexpr uint32_t kWakeMsg = 0x0501;

    TCommTransThread(TCustomCommX& component, std::shared_ptr<SerialLayer> port, TCommNotifyWindow& notifyWindow,
                     uint64_t session);
    ~TCommTransThread();  // terminates and joins if still running
    TCommTransThread(const TCommTransThread&) = delete;
    TCommTransThread& operator=(const TCommTransThread&) = delete;

    // Throws std::system_error when no thread can be created.
    void Start();
    // Appends an item; the worker owns the block from here on. Never refused.
    void Post(uint32_t message, int32_t length, std::unique_ptr<uint8_t[]> block);
    // Sets the terminate flag; the worker ends after its current batch.
    void Terminate();
    void Join();

    std::atomic<bool> Purging{false};
    std::atomic<int32_t> CharTime{0};

private:
    struct Item {
        uint32_t message;
        int32_t length;
        std::unique_ptr<uint8_t[]> block;
    };

    void Execute();
    void WriteChunk(const uint8_t* data, int32_t length);
    void BeginTrans();
    void EndTrans();
    void ReportLineErrors();
    bool Stopping() const { return Purging.load() || FTerminated.load(); }

    TCustomCommX& FComponent;
    std::shared_ptr<SerialLayer> FPort;
    TCommNotifyWindow& FNotifyWindow;
    uint64_t FSession;
    std::atomic<bool> FTerminated{false};

    std::mutex FQueueLock;
    std::condition_variable FQueueReady;
    std::deque<Item> FTransQueue;
    std::thread FThread;
};
