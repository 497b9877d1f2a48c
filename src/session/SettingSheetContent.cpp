#include "SettingSheetContent.h"

#include <algorithm>
#include <vector>

#include "BankComparison.h"
#include "DriveFreqTable.h"
#include "OutOfRange.h"
#include "TextTable.h"
#include "WindowTexts.h"

namespace {

// "70 (out of range)"; Japanese notes bring their own full-width brackets.
std::string WithNote(int32_t value, int note, int language)
{
    return std::to_string(value) + (language == 0 ? "" : " ") + TextTable::Message(note, language);
}

}  // namespace

double SettingSheetContent::KHzOf(int32_t frq)
{
    // "9.05" as 905 / 100: one division of exact numbers, so correctly rounded, and free of the
    // locale's decimal sign that strtod would follow.
    int64_t digits = 0;
    double scale = 1;
    bool fraction = false;
    for (const char c : DriveFreqTable::Text(frq)) {
        if (c == '.') {
            fraction = true;
        } else if (c >= '0' && c <= '9') {
            digits = digits * 10 + (c - '0');
            scale *= fraction ? 10 : 1;
        }
    }
    return static_cast<double>(digits) / scale;
}

std::string SettingSheetContent::BrakeFreqText(int32_t bfreq, int language)
{
    return BankComparison::BrakeKHz(bfreq).value_or(WithNote(bfreq, TextTable::kSheetOutOfRange, language));
}

std::string SettingSheetContent::CutOffText(int32_t vlt, int language)
{
    return BankComparison::CutOff(vlt).value_or(WithNote(vlt, TextTable::kSheetNotCutOff, language));
}

std::string SettingSheetContent::MemoText(const std::string& memo)
{
    std::string text;
    text.reserve(memo.size());
    for (size_t k = 0; k < memo.size(); ++k) {
        const auto c = static_cast<unsigned char>(memo[k]);
        if (c == '\r') {
            text += '\n';
            if (k + 1 < memo.size() && memo[k + 1] == '\n')
                ++k;
        } else if (c != '\n' && (c < 0x20 || c == 0x7F)) {
            text += ' ';
        } else {
            text += static_cast<char>(c);
        }
    }
    return text;
}

std::string SettingSheetContent::PageNumber(int page, int pages) const
{
    return TextTable::ReplaceStars(TextTable::Message(TextTable::kSheetPageNumber, language),
                                   {std::to_string(page), std::to_string(pages)});
}

SettingSheetContent SettingSheetContent::Make(const ModelBank& bank, int language, const std::string& title,
                                              const std::string& made)
{
    SettingSheetContent c;
    c.language = language;
    c.title = title.empty() ? WindowTexts::kAppTitle : title;
    c.subtitle = WindowTexts::kAppTitle;
    c.currentMark = TextTable::Message(TextTable::kSheetCurrentModel, language);
    c.memoLabel = TextTable::Message(TextTable::kMemo, language);
    c.plotTitle = TextTable::Message(TextTable::kDriveFreq, language) + " (kHz)";
    c.memoContinued = TextTable::Message(TextTable::kSheetMemoContinued, language);
    c.made = TextTable::ReplaceStars(TextTable::Message(TextTable::kSheetMadeOn, language), {made});
    const std::array<int, kRows> labels = {TextTable::kAutomaticBrake, TextTable::kBrakeFreq, TextTable::kLowVoltCut,
                                           TextTable::kTimingAdjust};
    for (int index = 0; index < ModelBank::kModels; ++index) {
        const ModelSettings& m = bank.Model(index);
        Model& box = c.models[static_cast<size_t>(index)];
        box.name = "MODEL" + std::to_string(index + 1);
        box.current = index == bank.ShownIndex();
        // Every value outside its range is marked, as the texts of the tables mark theirs.
        const std::vector<OutOfRange> outside = OutOfRange::FindAll(m, index);
        const auto isOutside = [&outside](const std::string& field) {
            return std::any_of(outside.begin(), outside.end(), [&field](const OutOfRange& o) { return o.field == field; });
        };
        const auto plain = [&](const char* field, int32_t v) {
            return isOutside(field) ? WithNote(v, TextTable::kSheetOutOfRange, language) : std::to_string(v);
        };
        const std::array<std::string, kRows> values = {plain("NBRK", m.NBRK), BrakeFreqText(m.BFREQ, language),
                                                       CutOffText(m.VLT, language), plain("PROG", m.PROG)};
        const std::array<const char*, kRows> fields = {"NBRK", "BFREQ", "VLT", "PROG"};
        for (size_t r = 0; r < kRows; ++r)
            box.settings[r] = {TextTable::Message(labels[r], language), values[r], isOutside(fields[r])};
        box.memo = MemoText(m.MEMO);
        for (size_t k = 0; k < box.curve.size(); ++k) {
            const int32_t v = m.FRQ[k];
            const bool inRange = v >= DriveFreqTable::kMin && v <= DriveFreqTable::kMax;
            box.curve[k] = {KHzOf(v), inRange ? std::to_string(DriveFreqTable::Step(v)) : "?",
                            isOutside("FRQ" + std::to_string(k + 1))};
        }
    }
    return c;
}
