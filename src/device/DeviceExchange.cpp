#include "DeviceExchange.h"

#include <array>
#include <chrono>
#include <thread>

#include "ModelBank.h"
#include "TCustomCommX.h"

namespace {
// Puts the component's receive time-out back however the read ends, also when the port
// refused the shorter value: the component keeps a refused value as its setting all the same.
class TimeOutRestore {
public:
    TimeOutRestore(TCustomCommX& comm, int32_t original) : comm_(comm), original_(original) {}
    ~TimeOutRestore()
    {
        if (changed_)
            Apply(original_);
    }
    void Set(int32_t ms)
    {
        changed_ = true;
        Apply(ms);
    }

private:
    void Apply(int32_t ms) noexcept
    {
        try {
            comm_.SetTimeOutReceive(ms);
        } catch (...) {
            // Stored all the same; the port keeps the value it last took.
        }
    }

    TCustomCommX& comm_;
    int32_t original_;
    bool changed_ = false;
};
}  // namespace

DeviceExchange::DeviceExchange(TCustomCommX& comm) : comm_(comm) {}

uint8_t DeviceExchange::ModelCommand(uint8_t base, int i)
{
    return static_cast<uint8_t>(base + ModelBank::ClampIndex(i));
}

int32_t DeviceExchange::ReceiveReply(char* buffer, int32_t expected)
{
    // A fast peer can have part of the reply waiting before the read starts, and a read that
    // finds bytes waiting returns with only those. Keep reading until the reply is complete,
    // bounded by one receive time-out in total.
    using Clock = std::chrono::steady_clock;
    const int32_t timeout = comm_.TimeOutReceive();
    const auto start = Clock::now();
    TimeOutRestore restore(comm_, timeout);

    int32_t got = 0;
    for (;;) {
        const int32_t n = comm_.ReceiveData(buffer + got, expected - got);
        if (n < 0)
            return -1;
        got += n;
        if (got >= expected || n == 0)
            return got;
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        if (elapsed >= timeout)
            return got;
        restore.Set(static_cast<int32_t>(timeout - elapsed));
    }
}

std::string DeviceExchange::Exchange(const std::string& frame, int32_t expected)
{
    std::this_thread::yield();

    failure_ = ExchangeFailure{};
    failure_.expected = expected;
    failure_.timeoutMs = comm_.TimeOutReceive();

    std::string reply;
    if (expected < 1 || expected > kMaxReply) {
        failure_.cause = ExchangeFailure::Cause::ShortReply;
    } else {
        const bool wasOpen = comm_.IsOpen();
        comm_.PurgeReceive();
        comm_.SendString(frame);  // a frame that was not queued shows up as a missing reply
        std::array<char, kMaxReply> buffer{};
        const int32_t n = ReceiveReply(buffer.data(), expected);
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
