#include "BankComparison.h"

#include <string_view>

#include "BrakeFreqTable.h"
#include "CutOffTable.h"
#include "DriveFreqTable.h"
#include "TextTable.h"

namespace {

std::string Or(const std::optional<std::string>& text, int32_t value) { return text ? *text : "? " + std::to_string(value); }

std::string PointText(int32_t v)
{
    if (v < DriveFreqTable::kMin || v > DriveFreqTable::kMax)
        return "? " + std::to_string(v);
    return std::to_string(DriveFreqTable::Step(v)) + "  " + DriveFreqTable::KHz(v);
}

// A table's "9.05": read without the locale, which may write a decimal comma.
double Decimal(std::string_view text)
{
    double value = 0, scale = 0;
    for (const char c : text) {
        if (c == '.') {
            scale = 1;
        } else if (c >= '0' && c <= '9') {
            value = value * 10 + (c - '0');
            scale *= 10;
        }
    }
    return scale > 0 ? value / scale : value;
}

// Memo lines as a text field shows them.
std::string MemoText(const std::string& memo)
{
    std::string out;
    for (size_t i = 0; i < memo.size(); ++i) {
        if (memo[i] == '\r') {
            out += '\n';
            if (i + 1 < memo.size() && memo[i + 1] == '\n')
                ++i;
        } else {
            out += memo[i];
        }
    }
    return out;
}

}  // namespace

std::vector<BankComparison::Difference> BankComparison::Differences(const ModelBank& a, const ModelBank& b)
{
    std::vector<Difference> out;
    auto num = [&out](int model, const std::string& field, int32_t x, int32_t y) {
        if (x != y)
            out.push_back({model, field, x, y, {}, {}});
    };
    num(0, "SYS_MDL", a.ModelNumber / ModelBank::kModelStep, b.ModelNumber / ModelBank::kModelStep);
    num(0, "SYS_CUR", a.SYS_CUR, b.SYS_CUR);
    for (size_t i = 0; i < a.models.size(); ++i) {
        const ModelSettings& x = a.models[i];
        const ModelSettings& y = b.models[i];
        const int model = static_cast<int>(i + 1);
        num(model, "NBRK", x.NBRK, y.NBRK);
        num(model, "BFREQ", x.BFREQ, y.BFREQ);
        num(model, "VLT", x.VLT, y.VLT);
        num(model, "PROG", x.PROG, y.PROG);
        for (size_t k = 0; k < x.FRQ.size(); ++k)
            num(model, "FRQ" + std::to_string(k + 1), x.FRQ[k], y.FRQ[k]);
        if (x.MEMO != y.MEMO)
            out.push_back({model, "MEMO", 0, 0, x.MEMO, y.MEMO});
    }
    return out;
}

std::vector<BankComparison::Row> BankComparison::ModelRows(const ModelBank& a, const ModelBank& b, int model, int language)
{
    const ModelSettings& x = a.Model(model);
    const ModelSettings& y = b.Model(model);
    std::vector<Row> rows;
    const auto row = [&rows](std::string title, std::string left, std::string right, bool differs) {
        rows.push_back({std::move(title), std::move(left), std::move(right), differs});
    };
    const auto title = [language](int msg) { return TextTable::Message(msg, language); };
    row(title(TextTable::kAutomaticBrake), std::to_string(x.NBRK), std::to_string(y.NBRK), x.NBRK != y.NBRK);
    row(title(TextTable::kBrakeFreq), Or(BrakeKHz(x.BFREQ), x.BFREQ), Or(BrakeKHz(y.BFREQ), y.BFREQ), x.BFREQ != y.BFREQ);
    row(title(TextTable::kLowVoltCut), Or(CutOff(x.VLT), x.VLT), Or(CutOff(y.VLT), y.VLT), x.VLT != y.VLT);
    row(title(TextTable::kTimingAdjust), std::to_string(x.PROG), std::to_string(y.PROG), x.PROG != y.PROG);
    for (size_t k = 0; k < x.FRQ.size(); ++k)
        row(title(TextTable::kDriveFreq) + " " + std::to_string(k + 1), PointText(x.FRQ[k]), PointText(y.FRQ[k]),
            x.FRQ[k] != y.FRQ[k]);
    row(title(TextTable::kMemo), MemoText(x.MEMO), MemoText(y.MEMO), x.MEMO != y.MEMO);
    return rows;
}

bool BankComparison::ModelDiffers(const ModelBank& a, const ModelBank& b, int model)
{
    return !(a.Model(model) == b.Model(model));
}

std::array<double, ModelSettings::kFrqPoints> BankComparison::CurveKHz(const ModelSettings& model)
{
    std::array<double, ModelSettings::kFrqPoints> out{};
    for (size_t k = 0; k < out.size(); ++k)
        out[k] = Decimal(DriveFreqTable::Text(model.FRQ[k]));
    return out;
}

std::optional<std::string> BankComparison::BrakeKHz(int32_t v)
{
    if (v < BrakeFreqTable::kMin || v > BrakeFreqTable::kMax)
        return std::nullopt;
    return BrakeFreqTable::KHz(v);
}

std::optional<std::string> BankComparison::CutOff(int32_t v)
{
    for (int k = 0; k < CutOffTable::kItems; ++k)
        if (CutOffTable::kCodes[static_cast<size_t>(k)] == v)
            return std::string(CutOffTable::kTexts[static_cast<size_t>(k)]);
    return std::nullopt;
}
