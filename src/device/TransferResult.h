#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "ExchangeFailure.h"
#include "OutOfRange.h"

// Outcome of one transfer: ok, or the step that failed and why; for a write, also what reached
// the controller.
struct TransferResult {
    enum class Step { None, RangeCheck, ReadModelNumber, ReadModel, WriteModel, WriteModelNumber };
    // Whether a write reached the controller: Maybe when its frame went out but no
    // acknowledgement was accepted, so the controller may or may not have stored it.
    enum class Written : uint8_t { No, Maybe, Yes };

    bool ok = true;
    Step step = Step::None;
    int model = -1;  // model index for RangeCheck / ReadModel / WriteModel
    ExchangeFailure failure;
    std::optional<OutOfRange> outOfRange;  // RangeCheck: the value that stopped the write

    // The models a write covers, once it has started sending, and what became of each.
    std::array<bool, 5> addressed{};
    std::array<Written, 5> written{};
    Written modelNumber = Written::No;

    // The failing step and its cause in a language (0 Japanese, 1 English), e.g.
    // "reading MODEL3: short reply: ...".
    std::string Describe(int language = 1) const;
    // The second line of a failure's message in a front end with a port list: the step and its
    // cause, and what to do where the port is the trouble.
    std::string Cause(int language) const;
    // What a failed write leaves on the controller, in the given language, e.g. "MODEL1 to
    // MODEL4 were written; MODEL5 and the model number were not." Empty unless a write failed
    // after it began sending.
    std::string WriteSummary(int language) const;
};
