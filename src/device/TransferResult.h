#pragma once
#include <string>

#include "ExchangeFailure.h"

// Outcome of one transfer: ok, or the step that failed and why.
struct TransferResult {
    enum class Step { None, ReadModelNumber, ReadModel, WriteModel, WriteModelNumber };

    bool ok = true;
    Step step = Step::None;
    int model = -1;  // model index for ReadModel / WriteModel
    ExchangeFailure failure;

    // English text of the failing step and its cause, e.g. "reading MODEL3: short reply: ...".
    std::string Describe() const;
};
