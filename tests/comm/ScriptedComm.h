#pragma once
#include <algorithm>
#include <chrono>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "TCustomCommX.h"

// A serial component that never opens a device: every frame sent is recorded and answered by
// the responder, whose reply is then handed out by ReceiveData.
class ScriptedComm : public TCustomCommX {
public:
    std::function<std::string(const std::string& frame)> responder;
    std::vector<std::string> sent;
    std::string waiting;        // bytes ReceiveData hands out
    int32_t chunk = 0;          // > 0: at most this many bytes per ReceiveData
    bool readFails = false;     // ReceiveData returns -1
    int32_t readMs = 0;         // each ReceiveData takes this long, as a line does
    int receiveCalls = 0;

    bool SendData(const void* data, int32_t length) override
    {
        const std::string frame(static_cast<const char*>(data), static_cast<size_t>(length));
        sent.push_back(frame);
        // The exchange purges the input right before each frame; PurgeReceive is not virtual
        // and does nothing on a closed component, so stale input is dropped here instead.
        waiting.clear();
        if (responder)
            waiting = responder(frame);
        return true;
    }

    int32_t ReceiveData(void* buffer, int32_t count) override
    {
        ++receiveCalls;
        if (readMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(readMs));
        if (readFails)
            return -1;
        int32_t n = std::min<int32_t>(count, static_cast<int32_t>(waiting.size()));
        if (chunk > 0)
            n = std::min(n, chunk);
        std::memcpy(buffer, waiting.data(), static_cast<size_t>(n));
        waiting.erase(0, static_cast<size_t>(n));
        return n;
    }
};

inline std::string Bytes(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s += static_cast<char>(b);
    return s;
}
