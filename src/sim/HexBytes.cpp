#include "HexBytes.h"

#include <cctype>
#include <climits>

namespace HexBytes {

namespace {

int DigitValue(char c)
{
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string Format(const uint8_t* data, size_t size)
{
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(size * 3);
    for (size_t i = 0; i < size; ++i) {
        if (i) out += ' ';
        out += digits[data[i] >> 4];
        out += digits[data[i] & 0x0F];
    }
    return out;
}

std::optional<std::vector<uint8_t>> Parse(const std::string& text)
{
    std::vector<uint8_t> bytes;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (c == ' ' || c == '\t' || c == ',') {
            ++i;
            continue;
        }
        // A token of hex digits, each pair one byte.
        if (c == '0' && i + 1 < text.size() && (text[i + 1] == 'x' || text[i + 1] == 'X')) i += 2;
        const size_t start = i;
        while (i < text.size() && DigitValue(text[i]) >= 0) ++i;
        const size_t len = i - start;
        if (len == 0 || len % 2 != 0) return std::nullopt;
        if (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != ',') return std::nullopt;
        for (size_t k = start; k < i; k += 2)
            bytes.push_back(static_cast<uint8_t>(DigitValue(text[k]) * 16 + DigitValue(text[k + 1])));
    }
    return bytes;
}

std::optional<long> ParseNumber(const std::string& text)
{
    size_t i = 0;
    int base = 10;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        i = 2;
    }
    if (i == text.size()) return std::nullopt;
    long value = 0;
    for (; i < text.size(); ++i) {
        const int d = DigitValue(text[i]);
        if (d < 0 || d >= base) return std::nullopt;
        value = value * base + d;
        if (value > static_cast<long>(UINT32_MAX)) return std::nullopt;
    }
    return value;
}

}  // namespace HexBytes
