#include "JsonWriter.h"

JsonWriter& JsonWriter::String(std::string_view value)
{
    static constexpr char kHex[] = "0123456789abcdef";
    Separate();
    text_ += '"';
    for (const char c : value) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            text_ += '\\';
            text_ += c;
        } else if (u < 0x20) {
            text_ += "\\u00";
            text_ += kHex[u >> 4];
            text_ += kHex[u & 15];
        } else {
            text_ += c;
        }
    }
    text_ += '"';
    return *this;
}
