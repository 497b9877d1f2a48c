#include "CliTransferRunner.h"

#include <chrono>
#include <stdexcept>

#include "ChildProcess.h"

CliTransferRunner::CliTransferRunner(std::string program, std::string device, std::string file)
    : program_(std::move(program)), device_(std::move(device)), file_(std::move(file))
{
}

std::vector<std::string> CliTransferRunner::Arguments(LineFloor::Transfer transfer) const
{
    return {transfer == LineFloor::Transfer::ReadAll ? "read" : "write", device_, file_};
}

double CliTransferRunner::RunOnce(LineFloor::Transfer transfer) const
{
    using Clock = std::chrono::steady_clock;
    const auto t0 = Clock::now();
    // Its standard error is not a terminal, so it draws no progress, as under a script.
    ChildProcess child(program_, Arguments(transfer));
    const auto line = child.ReadLine(std::chrono::seconds(60));
    const int status = child.Wait(std::chrono::seconds(60));
    const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
    const std::string expected = transfer == LineFloor::Transfer::ReadAll ? "Read successful" : "Write successful";
    if (status != 0 || !line || *line != expected)
        throw std::runtime_error(program_ + " " + Arguments(transfer)[0] + ": exit status " + std::to_string(status) +
                                 (line ? ", said \"" + *line + "\"" : ", said nothing"));
    return wall;
}
