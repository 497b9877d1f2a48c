#include "OutOfRange.h"

#include "CutOffTable.h"
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

// The allowed values of a field as the message shows them.
std::string Allowed(const std::string& field)
{
    if (field == "NBRK")
        return "0.." + std::to_string(kMaxNBRK);
    if (field == "PROG")
        return "0.." + std::to_string(kMaxPROG);
    return std::to_string(kMinFreq) + ".." + std::to_string(kMaxFreq);
}
}  // namespace

std::optional<OutOfRange> OutOfRange::Find(const ModelSettings& m, int model)
{
    const auto outside = [](int32_t v, int32_t lo, int32_t hi) { return v < lo || v > hi; };
    if (outside(m.NBRK, 0, kMaxNBRK))
        return OutOfRange{model, "NBRK", m.NBRK};
    if (outside(m.BFREQ, kMinFreq, kMaxFreq))
        return OutOfRange{model, "BFREQ", m.BFREQ};
    if (!IsCutOffCode(m.VLT))
        return OutOfRange{model, "VLT", m.VLT};
    if (outside(m.PROG, 0, kMaxPROG))
        return OutOfRange{model, "PROG", m.PROG};
    for (size_t k = 0; k < m.FRQ.size(); ++k)
        if (outside(m.FRQ[k], kMinFreq, kMaxFreq))
            return OutOfRange{model, "FRQ" + std::to_string(k + 1), m.FRQ[k]};
    return std::nullopt;
}

std::string OutOfRange::Text(int language) const
{
    const std::string number = std::to_string(model + 1);
    if (field == "VLT") {
        std::string codes;
        for (int32_t code : CutOffTable::kCodes)
            codes += (codes.empty() ? "" : ", ") + std::to_string(code);
        return TextTable::ReplaceStars(TextTable::Message(TextTable::kNotACutOff, language),
                                       {number, std::to_string(value), codes});
    }
    return TextTable::ReplaceStars(TextTable::Message(TextTable::kOutOfRange, language),
                                   {number, field, std::to_string(value), Allowed(field)});
}
