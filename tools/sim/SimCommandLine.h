#pragma once
#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class ControllerSimulator;

// The options of the vxr-sim program, parsed without touching anything, so they can be checked
// on their own.
class SimCommandLine {
public:
    struct FaultOption {
        enum class Kind { Silence, Short, BadChecksum, RefuseWrite, RefuseModelNumber, Stray, Delay, HangUp };
        Kind kind = Kind::Silence;
        int command = -1;    // command byte, or -1 for any
        int model = 0;       // model index 0..4
        size_t count = 0;    // bytes kept or sent before the hang-up
        std::chrono::milliseconds delay{0};
        std::vector<uint8_t> bytes;
        bool once = false;
    };

    bool help = false;
    bool version = false;
    bool paced = false;
    std::string statePath;
    std::string transcriptPath;
    std::string linkPath;
    std::optional<uint8_t> modelNumber;
    std::chrono::milliseconds frameTimeout{500};
    std::vector<FaultOption> faults;

    // args without the program name. Nothing and a reason on a bad option.
    static std::optional<SimCommandLine> Parse(const std::vector<std::string>& args, std::string* error);
    static std::string Usage();

    void ApplyFaults(ControllerSimulator& simulator) const;
};
