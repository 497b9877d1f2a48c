#include "ModelFieldRules.h"

#include <array>
#include <charconv>

namespace {

// The blanks that a field's text may have around a number (the separators and the line and
// tab controls of Unicode), in UTF-8.
constexpr std::array<std::string_view, 25> kBlanks = {
    "\t", "\n", "\v", "\f", "\r", " ", "\xC2\x85", "\xC2\xA0", "\xE1\x9A\x80",
    "\xE2\x80\x80", "\xE2\x80\x81", "\xE2\x80\x82", "\xE2\x80\x83", "\xE2\x80\x84", "\xE2\x80\x85",
    "\xE2\x80\x86", "\xE2\x80\x87", "\xE2\x80\x88", "\xE2\x80\x89", "\xE2\x80\x8A", "\xE2\x80\xA8",
    "\xE2\x80\xA9", "\xE2\x80\xAF", "\xE2\x81\x9F", "\xE3\x80\x80",
};

bool TrimOne(std::string_view& text, bool front)
{
    for (const std::string_view blank : kBlanks) {
        if (front ? text.starts_with(blank) : text.ends_with(blank)) {
            text = front ? text.substr(blank.size()) : text.substr(0, text.size() - blank.size());
            return true;
        }
    }
    return false;
}

}  // namespace

int32_t ModelFieldRules::Range::Take(std::string_view text, int32_t current) const
{
    return Shown(ParseDecimal(text).value_or(current));
}

std::optional<int32_t> ModelFieldRules::ParseDecimal(std::string_view text)
{
    while (TrimOne(text, true)) {
    }
    while (TrimOne(text, false)) {
    }
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '+' || negative))
        text.remove_prefix(1);
    if (text.empty() || text.front() < '0' || text.front() > '9')
        return std::nullopt;
    uint64_t magnitude = 0;
    const auto r = std::from_chars(text.data(), text.data() + text.size(), magnitude);
    if (r.ec != std::errc() || r.ptr != text.data() + text.size() || magnitude > (negative ? 0x80000000u : 0x7FFFFFFFu))
        return std::nullopt;
    return static_cast<int32_t>(negative ? -static_cast<int64_t>(magnitude) : static_cast<int64_t>(magnitude));
}

std::optional<int32_t> ModelFieldRules::BrakeOfItem(int item)
{
    if (item < 0 || item >= kBrakeItems)
        return std::nullopt;
    return BrakeFreqTable::ValueOfItem(item);
}

std::string_view ModelFieldRules::CutOffItemText(int item)
{
    return item < 0 || item >= kCutOffItems ? std::string_view{} : CutOffTable::kTexts[static_cast<size_t>(item)];
}

std::optional<int32_t> ModelFieldRules::CutOffCodeOfItem(int item)
{
    const int32_t code = CutOffTable::CodeOfItem(item);
    return code < 0 ? std::nullopt : std::optional<int32_t>(code);
}

std::optional<int32_t> ModelFieldRules::CutOffCodeOfText(std::string_view text)
{
    for (int k = 0; k < kCutOffItems; ++k)
        if (CutOffTable::kTexts[static_cast<size_t>(k)] == text)
            return CutOffTable::kCodes[static_cast<size_t>(k)];
    return std::nullopt;
}
