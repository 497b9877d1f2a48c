#pragma once
// What the comparison programs print: one line per case, the same natively and in WebAssembly.
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>

namespace dumptext {

// FNV-1a, 64 bits: enough to tell two outputs apart, and short to print.
inline std::string Hash(const void* data, size_t size)
{
    uint64_t h = 0xcbf29ce484222325ULL;
    const auto* p = static_cast<const uint8_t*>(data);
    for (size_t i = 0; i < size; ++i) {
        h ^= p[i];
        h *= 0x100000001b3ULL;
    }
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(h));
    return out;
}
inline std::string Hash(const std::string& bytes) { return Hash(bytes.data(), bytes.size()); }

template <class Bytes>
std::string Hex(const Bytes& bytes)
{
    static const char* digits = "0123456789ABCDEF";
    std::string out;
    for (auto b : bytes) {
        const auto v = static_cast<uint8_t>(b);
        out += digits[v >> 4];
        out += digits[v & 15];
    }
    return out;
}

inline std::optional<std::string> ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Line ends shown as \r and \n, so one case stays one line (messages have second lines).
inline std::string OneLine(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += "\\n";
        else if (c == '\r')
            out += "\\r";
        else
            out += c;
    }
    return out;
}

// The file's name without its folders: the same case key whichever way the program was started.
inline std::string BaseName(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace dumptext
