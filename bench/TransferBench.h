#pragma once
#include <string>
#include <vector>

#include "BenchReporter.h"
#include "CommXLine.h"
#include "DeviceBank.h"
#include "DeviceExchange.h"
#include "LineFloor.h"
#include "ModelBank.h"
#include "TCommX.h"
#include "TransferOperations.h"

// The real transfers through the real serial component, configured as the main window
// configures it, on a device the caller names (the simulator's pseudo-terminal). Needs a
// QCoreApplication on the calling thread.
class TransferBench {
public:
    struct Figures {
        std::vector<double> wallSeconds;  // one per transfer
        double cpuSeconds = 0.0;          // this process, summed over the transfers
        double wallTotal = 0.0;
        std::string failure;              // empty when every transfer succeeded
    };

    TransferBench(const std::string& devicePath, BenchReporter::Pauses pauses);
    ~TransferBench();

    // Opens the port; throws ECommError as the component does.
    void Open();

    // Runs the transfer `repeats` times in a row, stopping at the first failure.
    Figures Run(LineFloor::Transfer transfer, int repeats);

    // One transfer; false and a description when it failed.
    bool RunOnce(LineFloor::Transfer transfer, std::string* failure = nullptr);

    ModelBank& Bank() { return bank_; }
    BenchReporter& Reporter() { return reporter_; }

private:
    TCommX comm_;
    CommXLine line_{comm_};
    DeviceExchange exchange_{line_};
    ModelBank bank_;
    DeviceBank staging_;
    BenchReporter reporter_;
    TransferOperations operations_;
};
