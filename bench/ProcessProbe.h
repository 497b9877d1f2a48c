#pragma once
#include <sys/types.h>

#include <cstdint>
#include <string>

// What the benchmarks read about a process: resident memory, CPU time and a clock that all
// processes of the machine share.
class ProcessProbe {
public:
    // VmRSS of a process (0: this one) in KiB; -1 when it cannot be read.
    static int64_t ResidentKiB(pid_t pid = 0);
    // The text of /proc/<pid>/status (0: this process); empty when it cannot be read.
    static std::string StatusText(pid_t pid = 0);
    // A field of /proc/<pid>/status in KiB (VmRSS, RssAnon, RssFile, ...); -1 when unreadable.
    static int64_t StatusKiB(const std::string& field, pid_t pid = 0);
    // A "<field>: <n> kB" line out of the text of /proc/<pid>/status; -1 when absent or malformed.
    static int64_t ParseStatusKiB(const std::string& statusText, const std::string& field);
    // User plus system CPU time of this process (all its threads), in seconds.
    static double CpuSeconds();
    // CLOCK_MONOTONIC in nanoseconds: comparable between a parent and the child it starts.
    static int64_t MonotonicNs();
};
