#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// Bytes as upper-case hex pairs separated by blanks ("E6 28 28"), the form of every text the
// simulator reads or writes.
namespace HexBytes {

std::string Format(const uint8_t* data, size_t size);
inline std::string Format(const std::vector<uint8_t>& bytes) { return Format(bytes.data(), bytes.size()); }

// Accepts pairs separated by blanks, commas or nothing, an optional "0x" on each token;
// nothing on any other character or an odd digit count.
std::optional<std::vector<uint8_t>> Parse(const std::string& text);

// A whole number in decimal, or in hex after "0x"; nothing on anything else or beyond 32 bits.
std::optional<long> ParseNumber(const std::string& text);

}  // namespace HexBytes
