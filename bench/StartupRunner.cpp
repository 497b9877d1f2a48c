#include "StartupRunner.h"

#include <cstdlib>
#include <sstream>
#include <stdexcept>

#include "ChildProcess.h"
#include "ProcessProbe.h"

bool StartupRunner::ParseResult(const std::string& line, Sample& sample)
{
    std::istringstream words(line);
    std::string word;
    bool haveStartup = false, haveRss = false;
    Sample parsed;
    while (words >> word) {
        char* end = nullptr;
        if (word.rfind("startup_ms=", 0) == 0) {
            const char* value = word.c_str() + 11;
            parsed.startupMs = std::strtod(value, &end);
            haveStartup = end != value && *end == '\0' && parsed.startupMs >= 0.0;
        } else if (word.rfind("rss_kib=", 0) == 0) {
            const char* value = word.c_str() + 8;
            parsed.rssKiB = std::strtoll(value, &end, 10);
            haveRss = end != value && *end == '\0' && parsed.rssKiB > 0;
        } else if (word.rfind("rss_anon_kib=", 0) == 0) {
            parsed.rssAnonKiB = std::strtoll(word.c_str() + 13, nullptr, 10);
        } else if (word.rfind("rss_file_kib=", 0) == 0) {
            parsed.rssFileKiB = std::strtoll(word.c_str() + 13, nullptr, 10);
        } else {
            parsed.rest += (parsed.rest.empty() ? "" : " ") + word;
        }
    }
    if (!haveStartup || !haveRss)
        return false;
    sample = parsed;
    return true;
}

StartupRunner::Sample StartupRunner::RunOnce(const std::string& program, const std::string& platform,
                                             const std::vector<std::string>& extraArgs)
{
    std::vector<std::string> args;
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    // Taken just before the spawn, so the time counts the whole start of the process.
    const int64_t start = ProcessProbe::MonotonicNs();
    args.insert(args.begin(), std::to_string(start));
    ChildProcess child(program, args, {"QT_QPA_PLATFORM=" + platform});
    const auto line = child.ReadLine(std::chrono::seconds(30));
    const int status = child.Wait(std::chrono::seconds(10));
    Sample sample;
    if (!line || !ParseResult(*line, sample))
        throw std::runtime_error(program + " on " + platform + ": no result" + (line ? " in \"" + *line + "\"" : ""));
    if (status != 0)
        throw std::runtime_error(program + " on " + platform + ": exit status " + std::to_string(status));
    return sample;
}
