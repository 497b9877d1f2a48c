#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Starts a window program (vxr-bench-bare or vxr-bench-tool) on a Qt platform, hands it the
// moment of its start and collects its result line.
class StartupRunner {
public:
    struct Sample {
        double startupMs = 0.0;
        int64_t rssKiB = -1;
        int64_t rssAnonKiB = -1;  // of rssKiB: private memory
        int64_t rssFileKiB = -1;  // of rssKiB: pages of mapped files (libraries, fonts)
        std::string rest;  // whatever else the program reported
    };

    // Nothing when the line is not a result line.
    static bool ParseResult(const std::string& line, Sample& sample);

    // One run; throws std::runtime_error when the program fails or reports nothing in time.
    static Sample RunOnce(const std::string& program, const std::string& platform,
                          const std::vector<std::string>& extraArgs = {});
};
