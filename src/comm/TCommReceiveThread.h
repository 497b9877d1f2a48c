#pragma once
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

class SerialLayer;
class TCommNotifyWindow;

// Receive worker: waits for line events and forwards them to the user-interface thread as
// error, break and received notifications, in that order. It never reads data itself.
class TCommReceiveThread {
public:
    TCommReceiveThread(std::shared_ptr<SerialLayer> port, TCommNotifyWindow& notifyWindow, uint64_t session);
    ~TCommReceiveThread();  // terminates and joins if still running
    TCommReceiveThread(const TCommReceiveThread&) = delete;
    TCommReceiveThread& operator=(const TCommReceiveThread&) = delete;

    // Throws std::system_error when no thread can be created.
    void Start();
    // Sets the terminate flag and wakes the event wait.
    void Terminate();
    void Join();

private:
    void Execute();

    std::shared_ptr<SerialLayer> FPort;
    TCommNotifyWindow& FNotifyWindow;
    uint64_t FSession;
    std::atomic<bool> FTerminated{false};
    std::thread FThread;
};
