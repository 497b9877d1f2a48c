#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

struct ModelBank;
struct ModelSettings;

// A value of a model that the controller cannot take as it is: a settings file may hold one
// (loads keep what the file says), and a byte on the wire would carry only its low eight bits.
// A write that finds one sends nothing.
struct OutOfRange {
    int model = 0;        // index 0..4
    std::string field;    // as the settings file names it: NBRK, BFREQ, VLT, PROG, FRQ1..FRQ32
    int32_t value = 0;

    // The first value of the record outside its range, in field order; nothing when all fit.
    static std::optional<OutOfRange> Find(const ModelSettings& settings, int model);
    // Every such value of the record, in field order.
    static std::vector<OutOfRange> FindAll(const ModelSettings& settings, int model);
    // Every such value of the listed models (indices 0..4), model by model.
    static std::vector<OutOfRange> FindAll(const ModelBank& bank, const std::vector<int>& models = {0, 1, 2, 3, 4});

    // What is wrong and how to mend it, in the given language.
    std::string Text(int language) const;
    // The values a field takes, as the messages show them: "0..255", "80, 88, 92, ...".
    static std::string Allowed(const std::string& field);
    // One line of a list: "MODEL2 BFREQ = 999 (allowed: 12..63)".
    std::string ListLine(int language) const;

    // Opening a file: the warning that lists every value outside its range; empty when none.
    static std::string OpenWarning(const ModelBank& bank, int language);
    // A write refused: nothing was sent, and every value that stopped it.
    static std::string WriteRefusal(const std::vector<OutOfRange>& values, int language);

    bool operator==(const OutOfRange&) const = default;
};
