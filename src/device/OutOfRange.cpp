#include "OutOfRange.h"

#include "CutOffTable.h"
#include "ModelBank.h"
#include "ModelSettings.h"
#include "TextTable.h"

namespace {
constexpr int32_t kMinFreq = 12;
constexpr int32_t kMaxFreq = 63;
constexpr int32_t kMaxNBRK = 255;
constexpr int32_t kMaxPROG = 12;

bool IsCutOffCode(int32_t v)
{
    for (int32_t code : CutOffTable::kCodes)
        if (code == v)
            return true;
    return false;
}

// A heading and one line per value.
std::string List(int heading, const std::vector<OutOfRange>& values, int language)
{
    std::string text = TextTable::Message(heading, language);
    for (const OutOfRange& v : values)
        text += "\n" + v.ListLine(language);
    return text;
}
}  // namespace

std::string OutOfRange::Allowed(const std::string& field)
{
    if (field == "NBRK")
        return "0.." + std::to_string(kMaxNBRK);
    if (field == "PROG")
        return "0.." + std::to_string(kMaxPROG);
    if (field == "VLT") {
        std::string codes;
        for (int32_t code : CutOffTable::kCodes)
            codes += (codes.empty() ? "" : ", ") + std::to_string(code);
        return codes;
    }
    return std::to_string(kMinFreq) + ".." + std::to_string(kMaxFreq);
}

std::vector<OutOfRange> OutOfRange::FindAll(const ModelSettings& m, int model)
{
    std::vector<OutOfRange> found;
    const auto check = [&](const std::string& field, int32_t v, bool fits) {
        if (!fits)
            found.push_back(OutOfRange{model, field, v});
    };
    const auto within = [](int32_t v, int32_t lo, int32_t hi) { return v >= lo && v <= hi; };
    check("NBRK", m.NBRK, within(m.NBRK, 0, kMaxNBRK));
    check("BFREQ", m.BFREQ, within(m.BFREQ, kMinFreq, kMaxFreq));
    check("VLT", m.VLT, IsCutOffCode(m.VLT));
    check("PROG", m.PROG, within(m.PROG, 0, kMaxPROG));
    for (size_t k = 0; k < m.FRQ.size(); ++k)
        check("FRQ" + std::to_string(k + 1), m.FRQ[k], within(m.FRQ[k], kMinFreq, kMaxFreq));
    return found;
}

std::optional<OutOfRange> OutOfRange::Find(const ModelSettings& m, int model)
{
    auto all = FindAll(m, model);
    if (all.empty())
        return std::nullopt;
    return all.front();
}

std::vector<OutOfRange> OutOfRange::FindAll(const ModelBank& bank, const std::vector<int>& models)
{
    std::vector<OutOfRange> found;
    for (int i : models) {
        auto some = FindAll(bank.Model(i), ModelBank::ClampIndex(i));
        found.insert(found.end(), some.begin(), some.end());
    }
    return found;
}

std::string OutOfRange::Text(int language) const
{
    const std::string number = std::to_string(model + 1);
    if (field == "VLT")
        return TextTable::ReplaceStars(TextTable::Message(TextTable::kNotACutOff, language),
                                       {number, std::to_string(value), Allowed(field)});
    return TextTable::ReplaceStars(TextTable::Message(TextTable::kOutOfRange, language),
                                   {number, field, std::to_string(value), Allowed(field)});
}

std::string OutOfRange::ListLine(int language) const
{
    return TextTable::ReplaceStars(TextTable::Message(TextTable::kRangeListLine, language),
                                   {std::to_string(model + 1), field, std::to_string(value), Allowed(field)});
}

std::string OutOfRange::OpenWarning(const ModelBank& bank, int language)
{
    const auto values = FindAll(bank);
    return values.empty() ? std::string() : List(TextTable::kOpenedOutOfRange, values, language);
}

std::string OutOfRange::WriteRefusal(const std::vector<OutOfRange>& values, int language)
{
    return List(TextTable::kWriteOutOfRange, values, language);
}
