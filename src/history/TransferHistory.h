#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "HistoryEntry.h"
#include "ModelBank.h"
#include "TransferResult.h"

// Which entries a transfer adds to the history, decided once for the window, the command line
// and the page.
class TransferHistory {
public:
    enum class Kind : uint8_t { ReadAll, ReadShown, WriteAll, WriteShown };

    struct Transfer {
        Kind kind = Kind::ReadAll;
        int model = 0;  // the shown model, for ReadShown and WriteShown
        TransferResult result;
        ModelBank bank;  // the bank after the transfer
        // What the controller held before a write (TransferOperations::ControllerBefore).
        std::optional<ModelBank> before;
        std::string port;
        int64_t timeMs = 0;
    };

    // In the order they are to be kept, each compared with the one before it (previous: the
    // newest entry kept so far, if any).
    // A read adds what was read. A write adds what the controller held before it, then what
    // was written. A write that failed after its reads adds the first entry still when any
    // part of it may have reached the controller, so the user can put the old setup back.
    static std::vector<HistoryEntry> Entries(const Transfer& t, const HistoryEntry* previous);
};
