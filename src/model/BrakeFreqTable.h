#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Brake frequency in kHz of a BFREQ value (0..63; 0..11 repeat entry 12). The same texts
// are entries 0..63 of the TextTable. Entry 34 is "0,908" with a comma, and is shown so.
class BrakeFreqTable {
public:
    static constexpr int kSize = 64;
    static constexpr int32_t kMin = 12;
    static constexpr int32_t kMax = 63;
    static constexpr int kListItems = kMax - kMin + 1;  // 52 items in the brake list

    // Out-of-range values read the nearest end of the table.
    static std::string_view Text(int32_t value);
    static std::string KHz(int32_t value) { return std::string(Text(value)) + "kHz"; }
    // BFREQ <-> item of the brake-frequency list; -1 when the value has no item.
    static int ItemOf(int32_t bfreq) { return bfreq < kMin || bfreq > kMax ? -1 : bfreq - kMin; }
    static int32_t ValueOfItem(int item) { return item + kMin; }
};
