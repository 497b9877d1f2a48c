#pragma once
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// The tool's end of the simulator's line, driven with plain POSIX calls.
class SlavePort {
public:
    using Bytes = std::vector<uint8_t>;
    using Clock = std::chrono::steady_clock;

    explicit SlavePort(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC)) {}
    ~SlavePort()
    {
        if (fd_ >= 0) ::close(fd_);
    }
    SlavePort(const SlavePort&) = delete;
    SlavePort& operator=(const SlavePort&) = delete;

    bool IsOpen() const { return fd_ >= 0; }
    int Fd() const { return fd_; }

    bool Send(const Bytes& bytes) const
    {
        size_t done = 0;
        while (done < bytes.size()) {
            const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (n <= 0) return false;
            done += static_cast<size_t>(n);
        }
        return true;
    }

    // Up to count bytes, waiting at most timeout for all of them.
    Bytes Receive(size_t count, std::chrono::milliseconds timeout) const
    {
        Bytes out;
        const auto deadline = Clock::now() + timeout;
        while (out.size() < count) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) break;
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) <= 0) continue;
            uint8_t buffer[256];
            const size_t want = std::min(sizeof buffer, count - out.size());
            const ssize_t n = ::read(fd_, buffer, want);
            if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
            if (n <= 0) break;  // hung up
            out.insert(out.end(), buffer, buffer + n);
        }
        return out;
    }

    // Whatever arrives within the window; used to prove that nothing (more) comes.
    Bytes ReceiveFor(std::chrono::milliseconds window) const { return Receive(SIZE_MAX, window); }

    Bytes Exchange(const Bytes& frame, size_t expected, std::chrono::milliseconds timeout = std::chrono::seconds(5)) const
    {
        if (!Send(frame)) return {};
        return Receive(expected, timeout);
    }

private:
    int fd_;
};
