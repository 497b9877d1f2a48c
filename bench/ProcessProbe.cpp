#include "ProcessProbe.h"

#include <sys/resource.h>
#include <time.h>

#include <cctype>
#include <fstream>
#include <sstream>

int64_t ProcessProbe::ResidentKiB(pid_t pid)
{
    return StatusKiB("VmRSS", pid);
}

std::string ProcessProbe::StatusText(pid_t pid)
{
    const std::string path = pid == 0 ? "/proc/self/status" : "/proc/" + std::to_string(pid) + "/status";
    std::ifstream in(path);
    if (!in)
        return {};
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int64_t ProcessProbe::StatusKiB(const std::string& field, pid_t pid)
{
    return ParseStatusKiB(StatusText(pid), field);
}

int64_t ProcessProbe::ParseStatusKiB(const std::string& statusText, const std::string& field)
{
    const std::string key = "\n" + field + ":";
    const std::string text = "\n" + statusText;
    const size_t at = text.find(key);
    if (at == std::string::npos)
        return -1;
    size_t i = at + key.size();
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t'))
        ++i;
    if (i >= text.size() || !std::isdigit(static_cast<unsigned char>(text[i])))
        return -1;
    int64_t value = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        value = value * 10 + (text[i] - '0');
        ++i;
    }
    // The kernel always states kB; anything else is not the field we know.
    if (text.compare(i, 3, " kB") != 0)
        return -1;
    return value;
}

double ProcessProbe::CpuSeconds()
{
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return 0.0;
    const auto seconds = [](const timeval& t) { return static_cast<double>(t.tv_sec) + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

int64_t ProcessProbe::MonotonicNs()
{
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<int64_t>(t.tv_sec) * 1'000'000'000 + t.tv_nsec;
}
