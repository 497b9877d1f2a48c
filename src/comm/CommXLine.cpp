#include "CommXLine.h"

#include <chrono>

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

bool CommXLine::IsOpen() const
{
    return comm_.IsOpen();
}

void CommXLine::PurgeReceive()
{
    comm_.PurgeReceive();
}

bool CommXLine::Send(const std::string& bytes)
{
    return comm_.SendString(bytes);
}

int32_t CommXLine::ReceiveTimeOutMs() const
{
    return comm_.TimeOutReceive();
}

int32_t CommXLine::Receive(char* buffer, int32_t count, int32_t timeoutMs)
{
    // A fast peer can have part of the reply waiting before the read starts, and a read that
    // finds bytes waiting returns with only those. Keep reading until the reply is complete,
    // bounded by one time-out in total.
    using Clock = std::chrono::steady_clock;
    const auto start = Clock::now();
    TimeOutRestore restore(comm_, comm_.TimeOutReceive());
    if (timeoutMs != comm_.TimeOutReceive())
        restore.Set(timeoutMs);

    int32_t got = 0;
    for (;;) {
        const int32_t n = comm_.ReceiveData(buffer + got, count - got);
        if (n < 0)
            return kFailed;
        got += n;
        if (got >= count || n == 0)
            return got;
        const auto elapsed =
            std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count();
        if (elapsed >= timeoutMs)
            return got;
        restore.Set(static_cast<int32_t>(timeoutMs - elapsed));
    }
}
