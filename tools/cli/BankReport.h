#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "BankComparison.h"

struct ModelBank;

// The bank as text for a terminal or as JSON for scripts: all five models, and the
// differences between two banks.
class BankReport {
public:
    // Language 0 Japanese, 1 English for the few words beside the values.
    static std::string Show(const ModelBank& bank, int language = 1);
    // The bank as one line of JSON (UTF-8): the stored values as numbers, the memo as
    // text, and beside them the texts the window shows (null for a value outside its table).
    static std::string Json(const ModelBank& bank);
    // A setting that differs between two banks: model 1..5, or 0 for the bank's own fields
    // (SYS_MDL, SYS_CUR); field as the settings file names it (NBRK, FRQ32, MEMO).
    using Difference = BankComparison::Difference;
    static std::vector<Difference> Differences(const ModelBank& a, const ModelBank& b)
    {
        return BankComparison::Differences(a, b);
    }
    // One line per setting that differs, model by model ("MODEL2 NBRK: 128 -> 100").
    static std::vector<std::string> Diff(const ModelBank& a, const ModelBank& b);
    // The same as one line of JSON: {"same": bool, "differences": [{"model": 1..5 or null,
    // "field", "from", "to"}]}, numbers as numbers and memos as text.
    static std::string DiffJson(const ModelBank& a, const ModelBank& b);
    // The texts the window shows for a brake frequency and a cut-off code; nothing for a
    // value outside its table.
    static std::optional<std::string> BrakeKHz(int32_t bfreq) { return BankComparison::BrakeKHz(bfreq); }
    static std::optional<std::string> CutOff(int32_t vlt) { return BankComparison::CutOff(vlt); }
    // A memo on one line, line ends shown as "\n" and other control characters escaped.
    static std::string Escape(const std::string& text);
};
