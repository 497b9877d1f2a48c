#include "ExchangeFailure.h"

#include <cstdio>
#include <utility>
#include <vector>

#include "TextTable.h"

namespace {
std::string Hex(uint8_t b)
{
    char buf[8];
    std::snprintf(buf, sizeof buf, "0x%02X", b);
    return buf;
}
}  // namespace

std::string ExchangeFailure::Describe(int language) const
{
    const auto say = [language](int msg, const std::vector<std::string>& values = {}) {
        return TextTable::ReplaceStars(TextTable::Message(msg, language), values);
    };
    switch (cause) {
    case Cause::None:
        return say(TextTable::kNoFailure);
    case Cause::NoPort:
        return say(TextTable::kNoPortOpen);
    case Cause::PortError:
        return say(TextTable::kPortFailed);
    case Cause::TimeOut:
        return say(TextTable::kTimeOut, {std::to_string(timeoutMs)});
    case Cause::ShortReply: {
        // The two languages name the counts in opposite order.
        std::vector<std::string> values = {std::to_string(received), std::to_string(expected), std::to_string(timeoutMs)};
        if (language == 0)
            std::swap(values.front(), values.back());
        return say(TextTable::kShortReply, values);
    }
    case Cause::Checksum:
        return say(TextTable::kChecksumMismatch, {Hex(got), Hex(want)});
    case Cause::Refused:
        return say(TextTable::kRefused, {Hex(got)});
    case Cause::Unequal:
        return say(TextTable::kNumberBytesUnequal, {Hex(got), Hex(want)});
    case Cause::OtherCommand:
        return say(TextTable::kNotTheEcho, {Hex(got), Hex(want)});
    case Cause::Interrupted:
        return say(TextTable::kInterrupted);
    }
    return TextTable::Message(TextTable::kUnknownError, language);
}
