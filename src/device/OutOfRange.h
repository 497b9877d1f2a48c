#pragma once
#include <cstdint>
#include <optional>
#include <string>

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

    // What is wrong and how to mend it, in the given language.
    std::string Text(int language) const;

    bool operator==(const OutOfRange&) const = default;
};
