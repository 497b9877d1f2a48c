#pragma once
// A serial line that passes everything on and writes down what went over it, one entry per call:
// ">" and the bytes sent, "<" and the bytes received (or "<fail"), "purge".
#include <string>

#include "DumpText.h"
#include "SerialLine.h"

class RecordingLine : public SerialLine {
public:
    explicit RecordingLine(SerialLine& line) : line_(line) {}

    std::string log;

    bool IsOpen() const override { return line_.IsOpen(); }
    void PurgeReceive() override
    {
        log += "purge ";
        line_.PurgeReceive();
    }
    bool Send(const std::string& bytes) override
    {
        const bool queued = line_.Send(bytes);
        log += (queued ? ">" : ">refused:") + dumptext::Hex(bytes) + " ";
        return queued;
    }
    int32_t Receive(char* buffer, int32_t count, int32_t timeoutMs) override
    {
        const int32_t n = line_.Receive(buffer, count, timeoutMs);
        log += n < 0 ? std::string("<fail ") : "<" + dumptext::Hex(std::string(buffer, static_cast<size_t>(n))) + " ";
        return n;
    }
    int32_t ReceiveTimeOutMs() const override { return line_.ReceiveTimeOutMs(); }

private:
    SerialLine& line_;
};
