#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "HistoryEntry.h"

// How a history entry is named wherever the user meets it (the history list, the compare views'
// lists and headers, the command line), in the user's language and local time.
class HistoryLabels {
public:
    // Local time, "2026-12-08 16:22:32": the clock the user read when the transfer ran.
    static std::string Time(int64_t timeMs);
    // "#12 Tsukuba, wet" for a named entry, else "#12 2026-12-08 16:22:32 Read (MODEL3)".
    static std::string Entry(int64_t id, std::string_view name, int64_t timeMs, HistoryEntry::Action action, int model,
                             int language);
    // The models an entry changed, "1,3,5"; "-" for none.
    static std::string Models(uint8_t changed);
};
