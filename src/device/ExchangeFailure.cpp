#include "ExchangeFailure.h"

#include <cstdio>

namespace {
std::string Hex(uint8_t b)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", b);
    return buf;
}
}  // namespace

std::string ExchangeFailure::Describe() const
{
    switch (cause) {
    case Cause::None:
        return "no failure";
    case Cause::NoPort:
        return "no port open";
    case Cause::PortError:
        return "the port failed while waiting for the reply";
    case Cause::TimeOut:
        return "time-out: no reply within " + std::to_string(timeoutMs) + " ms";
    case Cause::ShortReply:
        return "short reply: " + std::to_string(received) + " of " + std::to_string(expected) + " bytes within " +
               std::to_string(timeoutMs) + " ms";
    case Cause::Checksum:
        return "checksum mismatch: received " + Hex(got) + ", computed " + Hex(want);
    case Cause::Refused:
        return "refused: reply ended in " + Hex(got) + ", not 0x06";
    case Cause::Unequal:
        return "model number bytes unequal: " + Hex(got) + " and " + Hex(want);
    case Cause::OtherCommand:
        return "reply does not begin with the command's echo: it began with " + Hex(got) + ", not " + Hex(want);
    case Cause::Interrupted:
        return "interrupted";
    }
    return "unknown failure";
}
