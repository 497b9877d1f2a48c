#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "ModelBank.h"

// Two banks side by side: what differs, model by model, and the two drive-frequency curves in
// kHz. The command line's diff, the window and the page all take their differences from here.
class BankComparison {
public:
    // A setting that differs between two banks: model 1..5, or 0 for the bank's own fields
    // (SYS_MDL, SYS_CUR); field as the settings file names it (NBRK, FRQ32, MEMO).
    struct Difference {
        int model = 0;
        std::string field;
        int32_t from = 0;
        int32_t to = 0;
        std::string fromText;  // MEMO only
        std::string toText;
    };
    static std::vector<Difference> Differences(const ModelBank& a, const ModelBank& b);

    // One line of the side-by-side view of a model (index 0..4): the setting's title in the
    // window's language, each side's value as the window shows it, and whether they differ.
    // The curve points come one line each, after the four settings, memo last.
    struct Row {
        std::string title;
        std::string left;
        std::string right;
        bool differs = false;
    };
    static std::vector<Row> ModelRows(const ModelBank& a, const ModelBank& b, int model, int language);
    static bool ModelDiffers(const ModelBank& a, const ModelBank& b, int model);

    // A curve in kHz, point by point; a value outside the table reads its nearest end.
    static std::array<double, ModelSettings::kFrqPoints> CurveKHz(const ModelSettings& model);

    // The texts the window shows for a brake frequency and a cut-off code; nothing for a
    // value outside its table.
    static std::optional<std::string> BrakeKHz(int32_t bfreq);
    static std::optional<std::string> CutOff(int32_t vlt);
};
