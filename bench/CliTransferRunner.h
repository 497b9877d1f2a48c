#pragma once
#include <string>
#include <vector>

#include "LineFloor.h"

// Runs vxrmgr-cli as a whole process, as a script would, for one transfer between a device and
// a settings file, and times it from just before the start to the end of the process: start-up,
// opening the port, the transfer, the file and the exit all count.
class CliTransferRunner {
public:
    CliTransferRunner(std::string program, std::string device, std::string file);

    // "read DEVICE FILE" or "write DEVICE FILE".
    std::vector<std::string> Arguments(LineFloor::Transfer transfer) const;

    // Wall seconds of one run; throws std::runtime_error when the run does not end with exit
    // status 0 and the success text on its output.
    double RunOnce(LineFloor::Transfer transfer) const;

private:
    std::string program_;
    std::string device_;
    std::string file_;
};
