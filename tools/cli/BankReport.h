#pragma once
#include <string>
#include <vector>

struct ModelBank;

// The bank as text for a terminal: all five models, and the differences between two banks.
class BankReport {
public:
    static std::string Show(const ModelBank& bank);
    // One line per setting that differs, model by model ("MODEL2 NBRK: 128 -> 100").
    static std::vector<std::string> Diff(const ModelBank& a, const ModelBank& b);
    // A memo on one line, line ends shown as "\n" and other control characters escaped.
    static std::string Escape(const std::string& text);
};
