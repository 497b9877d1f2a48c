#pragma once
#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A program the benchmark starts and talks to through its standard output: the simulator in a
// process of its own, and the window programs whose start-up is timed.
class ChildProcess {
public:
    // Starts the program with the given arguments and environment changes ("NAME=value"
    // replaces NAME). Its standard error goes to /dev/null when quiet. Throws
    // std::runtime_error when it cannot be started.
    ChildProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::string>& environment = {}, bool quiet = true);
    // A child still running is terminated and reaped.
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t Pid() const { return pid_; }

    // The next line of its output without the line end; nothing on time-out or end of output.
    std::optional<std::string> ReadLine(std::chrono::milliseconds timeout);
    // Asks it to end (SIGTERM).
    void Terminate();
    // Waits for its end, killing it after the time-out. The exit status, or -1 when it was
    // killed by a signal other than the SIGTERM of Terminate.
    int Wait(std::chrono::milliseconds timeout);
    // The most memory it held resident at any one time, in KiB, once it has ended (the kernel's
    // count, so a short peak between two samples is not missed); -1 before.
    int64_t PeakResidentKiB() const { return peakKiB_; }

private:
    bool FillBuffer(std::chrono::milliseconds timeout);

    pid_t pid_ = -1;
    int out_ = -1;
    bool ended_ = false;
    bool terminated_ = false;
    int status_ = -1;
    int64_t peakKiB_ = -1;
    std::string buffer_;
};
