#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "SerialLayer.h"

// A serial layer whose device is a script the test controls: it can refuse any configuration
// step, hold or fail writes, raise line events with error flags, and it logs what the component
// and its workers did to the lines and the output. The script outlives the layer, so a test can
// still look at it once the component has let the layer go.
class ScriptedSerialLayer : public SerialLayer {
public:
    struct Script {
        std::mutex lock;
        std::condition_variable changed;

        // What the device refuses.
        bool refuseOpen = false;
        bool refuseQueueSizes = false;
        bool refuseTimeouts = false;
        std::function<bool(const CommDcb&)> refuseState;  // true: SetState fails

        // Output: held writes take nothing and wait; a failing write sets writeErrors.
        bool holdWrites = false;
        bool failWrites = false;
        uint32_t writeErrors = 0;

        // Device side.
        std::deque<uint8_t> input;
        std::deque<std::pair<uint32_t, uint32_t>> events;  // event mask, error flags
        uint32_t errors = 0;

        // Observations.
        std::vector<std::string> log;  // "RTS+", "RTS-", "DTR+", "DTR-", "write:<n>", "purge-out", ...
        std::vector<CommDcb> states;   // every SetState, refused or not
        std::vector<CommTimeouts> timeouts;
        std::string written;
        std::string offered;  // the first byte of every write attempt
        std::string openedPath;
        int writeAttempts = 0;
        int clearErrorsCalls = 0;
        int eventWaiters = 0;
        int writeWaiters = 0;
        bool layerAlive = false;
        int layersCreated = 0;

        // Test side (thread-safe).
        void Feed(const std::string& bytes);
        void Raise(uint32_t mask, uint32_t errorFlags);
        void SetHoldWrites(bool hold);
        std::vector<std::string> Log();
        std::string Written();
        // Waits until pred holds (under the lock) or the time runs out.
        bool WaitFor(const std::function<bool()>& pred, int timeoutMs = 3000);
    };

    explicit ScriptedSerialLayer(std::shared_ptr<Script> script);
    ~ScriptedSerialLayer() override;

    bool Open(const std::string& path) override;
    void Close() override;
    int Descriptor() const override { return 42; }
    bool SetQueueSizes(int32_t input, int32_t output) override;
    bool GetState(CommDcb& dcb) override;
    bool SetState(const CommDcb& dcb) override;
    bool SetTimeouts(const CommTimeouts& timeouts) override;
    void PurgeOutput() override;
    void PurgeInput() override;
    void SetModemLine(ModemLine line, bool on) override;
    int32_t Write(const void* data, int32_t length) override;
    WaitResult WaitWritable(int32_t timeoutMs) override;
    void WakeWriter() override;
    int32_t Read(void* buffer, int32_t count) override;
    WaitResult WaitReadable(int32_t timeoutMs) override;
    uint32_t ClearErrors(int32_t* inQueue) override;
    uint32_t WaitEvent() override;
    void WakeEventWait() override;

private:
    std::shared_ptr<Script> S;
    bool FWriterWoken = false;
    bool FEventWoken = false;
    bool FOpen = false;
};
