#pragma once
#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "SerialLine.h"

// A line without a device: every frame sent is recorded and answered by the responder, whose
// reply is then handed out by Receive.
class ScriptedLine : public SerialLine {
public:
    std::function<std::string(const std::string& frame)> responder;
    std::vector<std::string> sent;
    std::string waiting;     // bytes Receive hands out
    bool open = true;
    bool readFails = false;  // Receive reports a failed port
    int receiveCalls = 0;
    int32_t timeoutMs = 7000;
    int32_t lastTimeoutMs = -1;  // the time-out the last Receive was given

    bool IsOpen() const override { return open; }
    void PurgeReceive() override { waiting.clear(); }
    bool Send(const std::string& bytes) override
    {
        sent.push_back(bytes);
        if (responder)
            waiting += responder(bytes);
        return true;
    }
    int32_t Receive(char* buffer, int32_t count, int32_t timeout) override
    {
        ++receiveCalls;
        lastTimeoutMs = timeout;
        if (readFails || !open)
            return kFailed;
        const auto n = std::min<int32_t>(count, static_cast<int32_t>(waiting.size()));
        std::memcpy(buffer, waiting.data(), static_cast<size_t>(n));
        waiting.erase(0, static_cast<size_t>(n));
        return n;
    }
    int32_t ReceiveTimeOutMs() const override { return timeoutMs; }
};

inline std::string Bytes(std::initializer_list<int> bytes)
{
    std::string s;
    for (int b : bytes)
        s += static_cast<char>(b);
    return s;
}
