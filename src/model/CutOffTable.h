#pragma once
#include <array>
#include <cstdint>
#include <string_view>

// The seven low-voltage cut-off codes in the order of the cut-off list, with their texts
// (the runs of blanks align the columns and are part of the texts).
class CutOffTable {
public:
    static constexpr int kItems = 7;
    static constexpr int kFallbackItem = 6;  // shown for a code that is not in the table

    static constexpr std::array<int32_t, kItems> kCodes = {80, 88, 92, 96, 100, 160, 195};
    static constexpr std::array<std::string_view, kItems> kTexts = {
        "NiMH   4cell     2.6V",
        "LiPo     1cell     2.9V",
        "LiPo     1cell     3.0V",
        "LiPo     1cell     3.1V",
        "NiMH   5-6cell  3.2V",
        "LiFe     2cell     5.0V",
        "LiFe     2cell     6.0V",
    };

    // Code stored for list item k; -1 for an item outside the list.
    static int32_t CodeOfItem(int item) { return item < 0 || item >= kItems ? -1 : kCodes[static_cast<size_t>(item)]; }
    // Item shown for a code: its own, else the fallback item.
    static int ItemOfCode(int32_t code)
    {
        for (int k = 0; k < kItems; ++k)
            if (kCodes[static_cast<size_t>(k)] == code)
                return k;
        return kFallbackItem;
    }
};
