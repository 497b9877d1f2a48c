#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "ModelBank.h"

// What the setting sheet says, worked out once for every front end that draws it (the window's
// and the command line's painter, the page's print view), so that their sheets cannot differ:
// each model's settings as the window shows them, a value outside its range noted beside it,
// the memo, and the curve point by point with the kHz its table gives and the step number that
// is printed under the point.
struct SettingSheetContent {
    enum Row { kBrake, kBrakeFreq, kCutOff, kTiming, kRows };
    // The curve's kHz axis; fixed, so that sheets compare at a glance.
    static constexpr double kAxisMinKHz = 1.0;
    static constexpr double kAxisMaxKHz = 13.0;
    static constexpr double kAxisStepKHz = 2.0;

    struct Setting {
        std::string label;
        std::string value;
        bool outside = false;  // a value the controller cannot take
    };
    struct Point {
        double khz = 0;  // where it stands; a value outside the curve's range at the nearer end
        std::string step;  // the window's step number 1..52, "?" outside the range
        bool outside = false;
    };
    struct Model {
        std::string name;  // "MODEL1"
        bool current = false;
        std::array<Setting, kRows> settings;
        std::string memo;  // line ends as '\n', other control characters as blanks
        std::array<Point, ModelSettings::kFrqPoints> curve;
    };

    int language = 1;
    std::string title;        // the settings file's name; the program's without one
    std::string subtitle;     // the program's
    std::string currentMark;  // beside the current model's name
    std::string memoLabel;
    std::string plotTitle;     // "DriveFreq (kHz)"
    std::string memoContinued; // says that a memo goes on on a further page, and heads that page
    std::string made;          // the foot's left: the day the sheet was made
    std::array<Model, ModelBank::kModels> models;

    // language 0 Japanese, 1 English; title names the settings file (may be empty); made is the
    // day as YYYY-MM-DD.
    static SettingSheetContent Make(const ModelBank& bank, int language, const std::string& title,
                                    const std::string& made);
    // The foot's right: "page 2 of 3".
    std::string PageNumber(int page, int pages) const;

    // The drive frequency of a curve value in kHz, as its table text says.
    static double KHzOf(int32_t frq);
    // The texts shown for a brake frequency and a cut-off code, with a note for a value the
    // window cannot show.
    static std::string BrakeFreqText(int32_t bfreq, int language);
    static std::string CutOffText(int32_t vlt, int language);
    static std::string MemoText(const std::string& memo);
};
