#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Bytes of a settings file to text and back; text is UTF-8 in std::string. Files are written as
// UTF-8 without a byte-order mark. Files from Japanese Windows systems are in CP932, so text
// that is not valid UTF-8 is read as CP932 (Cp932Table); bytes that are neither become U+FFFD
// rather than failing the whole file. A byte-order mark is removed only at the very start of a
// file; one anywhere else, as at the start of a memo line, is text like any other character.
class IniTextCodec {
public:
    // The file's text as UTF-8: the bytes themselves when they are valid UTF-8 (less a leading
    // byte-order mark), else the CP932 reading converted.
    static std::string ToUtf8(std::string_view bytes);

    static bool IsValidUtf8(std::string_view bytes);
    // An invalid or cut-off sequence becomes U+FFFD, and reading goes on at its next byte.
    static std::string Cp932ToUtf8(std::string_view bytes);
    // Valid UTF-8 as it is; every byte that does not begin a valid sequence becomes U+FFFD.
    static std::string RepairUtf8(std::string_view bytes);
    // The same characters in UTF-16, invalid bytes as RepairUtf8 takes them.
    static std::u16string ToUtf16(std::string_view utf8);

    // The length of the valid UTF-8 sequence at pos (its character in c), 0 when there is none.
    static size_t SequenceAt(std::string_view bytes, size_t pos, char32_t& c);
    static void AppendUtf8(std::string& out, char32_t c);
};
