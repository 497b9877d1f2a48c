#include "IniTextCodec.h"

#include "Cp932Table.h"

#include <cstdint>
#include <cstring>

namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";
constexpr char32_t kReplacement = 0xFFFD;

// Two bytes that UTF-8 reads as one character of U+0080..U+07FF and CP932 as two half-width
// katakana (lead 0xC2..0xDF, then 0xA1..0xBF): such a sequence tells neither.
bool Ambiguous(std::string_view bytes, size_t pos, size_t length)
{
    if (length != 2)
        return false;
    const auto second = static_cast<unsigned char>(bytes[pos + 1]);
    return second >= 0xA1 && second <= 0xBF;
}

// Which reading one line speaks for.
enum class Vote { None, Utf8, Cp932 };

Vote LineVote(std::string_view line)
{
    size_t telling = 0;  // bytes of UTF-8 characters that CP932 text hardly forms
    size_t bad = 0;      // bytes that are no part of a UTF-8 character
    for (size_t i = 0; i < line.size();) {
        if (static_cast<unsigned char>(line[i]) < 0x80) {
            ++i;
            continue;
        }
        char32_t c = 0;
        const size_t n = IniTextCodec::SequenceAt(line, i, c);
        if (n == 0) {
            ++bad;
            ++i;
            continue;
        }
        if (!Ambiguous(line, i, n))
            telling += n;
        i += n;
    }
    if (telling > bad)
        return Vote::Utf8;
    return bad > 0 ? Vote::Cp932 : Vote::None;
}

// Whether text that is not valid UTF-8 as a whole is UTF-8 with damaged bytes (see ToUtf8).
bool DamagedUtf8(std::string_view body)
{
    size_t utf8 = 0;
    size_t cp932 = 0;
    size_t pos = 0;
    while (pos < body.size()) {
        size_t end = body.find_first_of("\r\n", pos);
        if (end == std::string_view::npos)
            end = body.size();
        switch (LineVote(body.substr(pos, end - pos))) {
        case Vote::Utf8:
            ++utf8;
            break;
        case Vote::Cp932:
            ++cp932;
            break;
        case Vote::None:
            break;
        }
        pos = end + 1;
    }
    return utf8 > 0 && utf8 >= cp932;
}

// Windows Notepad's "Unicode" (little-endian) and "Unicode big endian" files: UTF-16 after its
// byte-order mark. A lone surrogate or an odd last byte becomes U+FFFD.
std::string Utf16ToUtf8(std::string_view body, bool bigEndian, size_t* replaced)
{
    std::string out;
    out.reserve(body.size() + body.size() / 2);
    size_t bad = 0;
    const auto unit = [&](size_t i) {
        const auto a = static_cast<unsigned char>(body[i]);
        const auto b = static_cast<unsigned char>(body[i + 1]);
        return static_cast<char32_t>(bigEndian ? (a << 8 | b) : (b << 8 | a));
    };
    size_t i = 0;
    for (; i + 1 < body.size(); i += 2) {
        char32_t c = unit(i);
        if (c >= 0xD800 && c <= 0xDBFF && i + 3 < body.size()) {
            const char32_t low = unit(i + 2);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
                i += 2;
            }
        }
        if (c >= 0xD800 && c <= 0xDFFF) {
            c = kReplacement;
            ++bad;
        }
        IniTextCodec::AppendUtf8(out, c);
    }
    if (i < body.size()) {
        IniTextCodec::AppendUtf8(out, kReplacement);
        ++bad;
    }
    if (replaced != nullptr)
        *replaced = bad;
    return out;
}

}  // namespace

std::string IniTextCodec::ToUtf8(std::string_view bytes, size_t* replaced)
{
    if (replaced != nullptr)
        *replaced = 0;
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF"))
        return Utf16ToUtf8(bytes.substr(2), bytes[0] == '\xFE', replaced);
    const std::string_view body = bytes.substr(bytes.starts_with(kBom) ? kBom.size() : 0);
    if (IsValidUtf8(body))
        return std::string(body);
    if (DamagedUtf8(body))
        return RepairUtf8(body, replaced);
    return Cp932ToUtf8(body, replaced);
}

size_t IniTextCodec::SequenceAt(std::string_view bytes, size_t pos, char32_t& c)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    const unsigned char b = p[pos];
    if (b < 0x80) {
        c = b;
        return 1;
    }
    size_t more = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (b >= 0xC2 && b <= 0xDF) {
        more = 1;
        cp = b & 0x1F;
        min = 0x80;
    } else if (b >= 0xE0 && b <= 0xEF) {
        more = 2;
        cp = b & 0x0F;
        min = 0x800;
    } else if (b >= 0xF0 && b <= 0xF4) {
        more = 3;
        cp = b & 0x07;
        min = 0x10000;
    } else {
        return 0;
    }
    if (size - pos <= more)
        return 0;
    for (size_t k = 1; k <= more; ++k) {
        const unsigned char n = p[pos + k];
        if ((n & 0xC0) != 0x80)
            return 0;
        cp = cp << 6 | (n & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    c = cp;
    return 1 + more;
}

// Stops at the first fault, so a binary file is recognised at once.
bool IniTextCodec::IsValidUtf8(std::string_view bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    size_t i = 0;
    while (i < size) {
        // Plain ASCII eight bytes at a time: most of a settings file.
        if (size - i >= 8) {
            uint64_t word = 0;
            std::memcpy(&word, p + i, sizeof word);
            if ((word & 0x8080808080808080ULL) == 0) {
                i += 8;
                continue;
            }
        }
        if (p[i] < 0x80) {
            ++i;
            continue;
        }
        char32_t c = 0;
        const size_t n = SequenceAt(bytes, i, c);
        if (n == 0)
            return false;
        i += n;
    }
    return true;
}

void IniTextCodec::AppendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | c >> 6);
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | c >> 12);
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | c >> 18);
        out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

std::string IniTextCodec::Cp932ToUtf8(std::string_view bytes, size_t* replaced)
{
    size_t marked = 0;
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    // CP932 holds only characters of the Basic Multilingual Plane: at most three bytes each.
    std::string out(size * 3, '\0');
    auto* o = reinterpret_cast<unsigned char*>(out.data());
    size_t n = 0;
    for (size_t i = 0; i < size;) {
        const unsigned char b = in[i];
        char16_t c = Cp932Table::kNone;
        if (Cp932Table::IsLead(b) && i + 1 < size)
            c = Cp932Table::Pair(b, in[i + 1]);
        if (c != Cp932Table::kNone) {
            i += 2;
        } else {
            // An invalid or cut-off sequence: mark it and go on with the next byte.
            c = Cp932Table::Single(b);
            if (c == Cp932Table::kNone) {
                c = static_cast<char16_t>(kReplacement);
                ++marked;
            }
            ++i;
        }
        if (c < 0x80) {
            o[n++] = static_cast<unsigned char>(c);
        } else if (c < 0x800) {
            o[n++] = static_cast<unsigned char>(0xC0 | c >> 6);
            o[n++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        } else {
            o[n++] = static_cast<unsigned char>(0xE0 | c >> 12);
            o[n++] = static_cast<unsigned char>(0x80 | (c >> 6 & 0x3F));
            o[n++] = static_cast<unsigned char>(0x80 | (c & 0x3F));
        }
    }
    out.resize(n);
    if (replaced != nullptr)
        *replaced = marked;
    return out;
}

std::string IniTextCodec::RepairUtf8(std::string_view bytes, size_t* replaced)
{
    size_t marked = 0;
    std::string out;
    out.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size();) {
        char32_t c = 0;
        const size_t n = SequenceAt(bytes, i, c);
        if (n == 0) {
            AppendUtf8(out, kReplacement);
            ++marked;
            ++i;
        } else {
            out.append(bytes.substr(i, n));
            i += n;
        }
    }
    if (replaced != nullptr)
        *replaced = marked;
    return out;
}

std::u16string IniTextCodec::ToUtf16(std::string_view utf8)
{
    std::u16string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        char32_t c = kReplacement;
        const size_t n = SequenceAt(utf8, i, c);
        i += n == 0 ? 1 : n;
        if (n == 0)
            c = kReplacement;
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
            out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
        }
    }
    return out;
}
