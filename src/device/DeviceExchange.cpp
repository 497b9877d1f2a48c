#include "DeviceExchange.h"

#include <array>

#include "ModelBank.h"
#include "SerialLine.h"

DeviceExchange::DeviceExchange(SerialLine& line) : line_(line) {}

uint8_t DeviceExchange::ModelCommand(uint8_t base, int i)
{
    return static_cast<uint8_t>(base + ModelBank::ClampIndex(i));
}

std::string DeviceExchange::Exchange(const std::string& frame, int32_t expected)
{
    failure_ = ExchangeFailure{};
    failure_.expected = expected;
    failure_.timeoutMs = line_.ReceiveTimeOutMs();

    std::string reply;
    if (expected < 1 || expected > kMaxReply) {
        failure_.cause = ExchangeFailure::Cause::ShortReply;
    } else {
        const bool wasOpen = line_.IsOpen();
        line_.PurgeReceive();
        line_.Send(frame);  // a frame that was not queued shows up as a missing reply
        std::array<char, kMaxReply> buffer{};
        const int32_t n = line_.Receive(buffer.data(), expected, failure_.timeoutMs);
        if (n == expected && buffer[0] != frame[0]) {
            // The line echoes the command before the answer. A reply led by another command's
            // byte is the late answer to an earlier command (one that timed out) and must not be
            // taken for this one's. The rest of the echo is not examined.
            failure_.received = n;
            failure_.cause = ExchangeFailure::Cause::OtherCommand;
            failure_.got = static_cast<uint8_t>(buffer[0]);
            failure_.want = static_cast<uint8_t>(frame[0]);
        } else if (n == expected) {
            reply.assign(buffer.data(), static_cast<size_t>(n));
        } else if (n < 0) {
            failure_.cause = wasOpen ? ExchangeFailure::Cause::PortError : ExchangeFailure::Cause::NoPort;
        } else {
            failure_.received = n;
            failure_.cause = n == 0 ? ExchangeFailure::Cause::TimeOut : ExchangeFailure::Cause::ShortReply;
        }
    }

    if (captionHook_)
        captionHook_();
    return reply;
}

int32_t DeviceExchange::ReadModelNumber()
{
    const std::string reply = Exchange(std::string(1, static_cast<char>(kReadModelNumber)), 3);
    if (reply.size() != 3)
        return -1;
    failure_.received = 3;
    const auto b1 = static_cast<uint8_t>(reply[1]);
    const auto b2 = static_cast<uint8_t>(reply[2]);
    if (b1 != b2) {
        failure_.cause = ExchangeFailure::Cause::Unequal;
        failure_.got = b1;
        failure_.want = b2;
        return -1;
    }
    return b2;
}

bool DeviceExchange::WriteModelNumber(uint8_t n)
{
    std::string frame;
    frame += static_cast<char>(kWriteModelNumber);
    frame += static_cast<char>(n);
    frame += static_cast<char>(n);
    const std::string reply = Exchange(frame, 4);
    if (reply.size() != 4)
        return false;
    failure_.received = 4;
    const auto last = static_cast<uint8_t>(reply[3]);
    if (last != kAck) {
        failure_.cause = ExchangeFailure::Cause::Refused;
        failure_.got = last;
        return false;
    }
    return true;
}

std::optional<DeviceImage> DeviceExchange::ReadModel(int i)
{
    constexpr int32_t kReply = 1 + static_cast<int32_t>(std::tuple_size_v<DeviceImage>) + 1;
    const std::string reply = Exchange(std::string(1, static_cast<char>(ModelCommand(kReadModel, i))), kReply);
    if (reply.size() != static_cast<size_t>(kReply))
        return std::nullopt;
    failure_.received = kReply;
    DeviceImage image{};
    for (size_t b = 0; b < image.size(); ++b)
        image[b] = static_cast<uint8_t>(reply[1 + b]);
    const auto received = static_cast<uint8_t>(reply[kReply - 1]);
    const uint8_t computed = ImageChecksum(image);
    if (received != computed) {
        failure_.cause = ExchangeFailure::Cause::Checksum;
        failure_.got = received;
        failure_.want = computed;
        return std::nullopt;
    }
    return image;
}

bool DeviceExchange::WriteModel(int i, const DeviceImage& image)
{
    std::string frame;
    frame.reserve(image.size() + 2);
    frame += static_cast<char>(ModelCommand(kWriteModel, i));
    for (uint8_t b : image)
        frame += static_cast<char>(b);
    frame += static_cast<char>(ImageChecksum(image));
    const auto kReply = static_cast<int32_t>(frame.size()) + 1;
    const std::string reply = Exchange(frame, kReply);
    if (reply.size() != static_cast<size_t>(kReply))
        return false;
    failure_.received = kReply;
    const auto last = static_cast<uint8_t>(reply.back());
    if (last != kAck) {
        failure_.cause = ExchangeFailure::Cause::Refused;
        failure_.got = last;
        return false;
    }
    return true;
}
