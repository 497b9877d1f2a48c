#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Drive frequency in kHz of a curve value (0..63; 0..11 repeat entry 12).
class DriveFreqTable {
public:
    static constexpr int kSize = 64;
    static constexpr int32_t kMin = 12;
    static constexpr int32_t kMax = 63;

    // Out-of-range values read the nearest end of the table.
    static std::string_view Text(int32_t value);
    // "9.05kHz": the table text followed directly by the unit.
    static std::string KHz(int32_t value) { return std::string(Text(value)) + "kHz"; }
    // Step number shown for a value (1..52 in range).
    static int32_t Step(int32_t value) { return value - 11; }
    // Curve value <-> position of its vertical bar (0 top = 63, 51 bottom = 12).
    static int32_t BarPosition(int32_t value) { return 63 - value; }
    static int32_t ValueOfPosition(int32_t position) { return 63 - position; }
};
