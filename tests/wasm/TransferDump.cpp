// Runs the four transfers against the controller's logic over the in-process line, healthy and
// with every fault of the fault table, and prints per case what went over the line, the result,
// the progress and messages, both banks and the controller's state afterwards, then the same for
// the next transfer of that kind once the fault is gone.
#include <cstdio>
#include <memory>
#include <string>

#include "BankText.h"
#include "DeviceExchange.h"
#include "FaultTable.h"
#include "RecordingLine.h"
#include "RecordingReporter.h"
#include "SimulatedLine.h"
#include "SimulatorTestState.h"
#include "TransferOperations.h"

using namespace faultcases;

namespace {

struct Bench {
    SimulatedLine& line;
    ModelBank& bank;
    DeviceBank& staging;

    std::string Run(Transfer transfer)
    {
        RecordingLine recording(line);
        DeviceExchange exchange(recording);
        RecordingReporter reporter;
        TransferOperations ops(exchange, bank, staging, reporter, 1);
        const TransferResult r = RunTransfer(ops, transfer);
        std::string out = (r.ok ? "ok" : "failed: " + r.Describe()) + " | line " + recording.log + "| report";
        for (const auto& entry : reporter.log) out += " " + entry + ";";
        out += " | bank " + dumptext::Text(bank) + " | staging " + dumptext::Text(staging) +
               " | controller " + dumptext::Hex(line.Controller().State().ToText()) + " | t=" +
               std::to_string(std::chrono::duration_cast<std::chrono::milliseconds>(line.Now().time_since_epoch()).count());
        return dumptext::OneLine(out);
    }
};

void RunCase(Transfer transfer, const Fault* fault)
{
    ControllerLogic controller(std::chrono::milliseconds(500), DistinctControllerState(80));
    auto line = std::make_unique<SimulatedLine>(controller, kTimeOutMs);
    ModelBank bank = DistinctBank();
    DeviceBank staging;
    if (fault) Arm(controller, *fault, StruckCommand(*fault, transfer));
    const std::string first = Bench{*line, bank, staging}.Run(transfer);

    controller.ClearFaults();
    // Unplugged and plugged in again after a hang-up; a late reply lands before the next run.
    if (line->HungUp()) line = std::make_unique<SimulatedLine>(controller, kTimeOutMs);
    line->Wait(kLateBy * 2);
    const std::string next = Bench{*line, bank, staging}.Run(transfer);
    std::printf("%s/%s %s || next %s\n", TransferName(transfer), fault ? FaultName(*fault) : "None", first.c_str(),
                next.c_str());
}

}  // namespace

int main()
{
    for (Transfer t : kAllTransfers) {
        RunCase(t, nullptr);
        for (const Fault& f : kAllFaults) RunCase(t, &f);
    }
    return 0;
}
