#pragma once
#include "SerialLine.h"

class TCustomCommX;

// The desktop's serial line: the serial component and its workers, as the protocol sees them.
class CommXLine : public SerialLine {
public:
    explicit CommXLine(TCustomCommX& comm) : comm_(comm) {}

    bool IsOpen() const override;
    void PurgeReceive() override;
    bool Send(const std::string& bytes) override;
    int32_t Receive(char* buffer, int32_t count, int32_t timeoutMs) override;
    int32_t ReceiveTimeOutMs() const override;

private:
    TCustomCommX& comm_;
};
