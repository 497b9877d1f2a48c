#include "TransferBench.h"

#include <chrono>

#include "ProcessProbe.h"

TransferBench::TransferBench(const std::string& devicePath, BenchReporter::Pauses pauses)
    : reporter_(pauses), operations_(exchange_, bank_, staging_, reporter_, 1)
{
    bank_.Initialise();
    // The main window's line: 1200 bit/s, 8N1, no flow control, its time-outs.
    comm_.SetBitRate(1200);
    comm_.SetFlowCtrl(cfcNone);
    comm_.SetTimeOutTrans(500);
    comm_.SetTimeOutReceive(7000);
    comm_.SetPortResolver([devicePath](int32_t) { return devicePath; });
}

TransferBench::~TransferBench()
{
    comm_.Close();
}

void TransferBench::Open()
{
    comm_.Open();
}

bool TransferBench::RunOnce(LineFloor::Transfer transfer, std::string* failure)
{
    reporter_.Reset();
    const TransferResult result =
        transfer == LineFloor::Transfer::ReadAll ? operations_.ReadAll() : operations_.WriteAll();
    const int expectedSteps = transfer == LineFloor::Transfer::ReadAll ? TransferOperations::kReadAllSteps
                                                                        : TransferOperations::kWriteAllSteps;
    const bool ok = result.ok && reporter_.LastKind() == TransferReporter::Kind::Information &&
                    reporter_.Steps() == expectedSteps;
    if (!ok && failure)
        *failure = std::string(LineFloor::Name(transfer)) + ": " +
                   (result.ok ? "reported \"" + reporter_.LastText() + "\"" : result.Describe());
    return ok;
}

TransferBench::Figures TransferBench::Run(LineFloor::Transfer transfer, int repeats)
{
    using Clock = std::chrono::steady_clock;
    Figures figures;
    for (int i = 0; i < repeats; ++i) {
        const double cpu0 = ProcessProbe::CpuSeconds();
        const auto t0 = Clock::now();
        const bool ok = RunOnce(transfer, &figures.failure);
        const double wall = std::chrono::duration<double>(Clock::now() - t0).count();
        figures.cpuSeconds += ProcessProbe::CpuSeconds() - cpu0;
        figures.wallTotal += wall;
        if (!ok)
            break;
        figures.wallSeconds.push_back(wall);
    }
    return figures;
}
