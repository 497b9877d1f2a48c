#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ModelBank;

// The bank as text for a terminal or as JSON for scripts: all five models, and the
// differences between two banks.
class BankReport {
public:
    static std::string Show(const ModelBank& bank);
    // The bank as one line of JSON (UTF-8): the stored values as numbers, the memo as
    // text, and beside them the texts the window shows (null for a value outside its table).
    static std::string Json(const ModelBank& bank);
    // One line per setting that differs, model by model ("MODEL2 NBRK: 128 -> 100").
    static std::vector<std::string> Diff(const ModelBank& a, const ModelBank& b);
    // The texts the window shows for a brake frequency and a cut-off code; nothing for a
    // value outside its table.
    static std::optional<std::string> BrakeKHz(int32_t bfreq);
    static std::optional<std::string> CutOff(int32_t vlt);
    // A memo on one line, line ends shown as "\n" and other control characters escaped.
    static std::string Escape(const std::string& text);
};
