#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "BrakeFreqTable.h"
#include "CutOffTable.h"

// How the editors of a model's scalar settings take what the user types or picks, and what they
// show for a stored value. A stored value that a control cannot show stays in the model until
// the user edits that control: a bar shows the nearest end of its range, a list its fallback.
class ModelFieldRules {
public:
    // A number field with its bar.
    struct Range {
        int32_t min;
        int32_t max;
        // Position of the bar for a stored value: the value limited to the range.
        int32_t Shown(int32_t value) const { return value < min ? min : value > max ? max : value; }
        // What the number field reads for a stored value.
        std::string Text(int32_t value) const { return std::to_string(Shown(value)); }
        // The value typed text stands for: a decimal integer limited to the range; text that is
        // no integer keeps the bar's current position.
        int32_t Take(std::string_view text, int32_t current) const;
    };
    static constexpr Range kNbrk{0, 255};
    static constexpr Range kProg{0, 12};

    // A decimal integer with an optional sign, blanks around it allowed (a full-width blank
    // typed with a Japanese input method as well); nothing for empty text, any other
    // character, or a number beyond 32 bits.
    static std::optional<int32_t> ParseDecimal(std::string_view text);

    // The brake-frequency list: item k stands for BFREQ k + 12.
    static constexpr int kBrakeItems = BrakeFreqTable::kListItems;
    static std::string BrakeItemText(int item) { return BrakeFreqTable::KHz(BrakeFreqTable::ValueOfItem(item)); }
    // Item shown for a BFREQ; -1 (no item) outside 12..63.
    static int BrakeItemOf(int32_t bfreq) { return BrakeFreqTable::ItemOf(bfreq); }
    // BFREQ of a chosen item; nothing when no item is chosen.
    static std::optional<int32_t> BrakeOfItem(int item);

    // The cut-off list, seven items.
    static constexpr int kCutOffItems = CutOffTable::kItems;
    static std::string_view CutOffItemText(int item);
    // Item shown for a code: its own, else the last item (the code stays stored).
    static int CutOffItemOf(int32_t vlt) { return CutOffTable::ItemOfCode(vlt); }
    // Code of a chosen item, or of typed text that is exactly an item's text; nothing else.
    static std::optional<int32_t> CutOffCodeOfItem(int item);
    static std::optional<int32_t> CutOffCodeOfText(std::string_view text);
};
