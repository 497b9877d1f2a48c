#pragma once
#include <cstddef>
#include <string>
#include <string_view>

// Bytes of a settings file to text and back; text is UTF-8 in std::string. Files are written as
// UTF-8 without a byte-order mark. Files from Japanese Windows systems are in CP932 (Cp932Table);
// bytes that can be read neither way become U+FFFD rather than failing the whole file. A
// byte-order mark is removed only at the very start of a file; one anywhere else, as at the
// start of a memo line, is text like any other character. A file that begins with a UTF-16
// byte-order mark (Windows Notepad's "Unicode", either byte order) is read as UTF-16.
class IniTextCodec {
public:
    // The file's text as UTF-8. Valid UTF-8 is taken as it is (less a leading byte-order mark).
    // Other text is judged line by line: a line that is valid UTF-8 with characters CP932 could
    // hardly make, or mostly so with a damaged byte or two, speaks for UTF-8; a line that is
    // not UTF-8 speaks for CP932; ASCII lines, and lines of two-byte UTF-8 characters that could
    // equally be half-width katakana in CP932, say nothing. When UTF-8 has at least as many
    // lines for it as CP932 (and one at least), the file is UTF-8 with damaged bytes: every
    // valid character stays and only the damaged bytes become U+FFFD, so one bad byte never
    // turns the good text around it into CP932 mojibake. Otherwise the whole file is CP932,
    // as files from Japanese Windows systems are.
    // replaced, when given, is set to how many characters could not be read and became U+FFFD.
    static std::string ToUtf8(std::string_view bytes, size_t* replaced = nullptr);

    static bool IsValidUtf8(std::string_view bytes);
    // An invalid or cut-off sequence becomes U+FFFD, and reading goes on at its next byte.
    static std::string Cp932ToUtf8(std::string_view bytes, size_t* replaced = nullptr);
    // Valid UTF-8 as it is; every byte that does not begin a valid sequence becomes U+FFFD.
    static std::string RepairUtf8(std::string_view bytes, size_t* replaced = nullptr);
    // The same characters in UTF-16, invalid bytes as RepairUtf8 takes them.
    static std::u16string ToUtf16(std::string_view utf8);

    // The length of the valid UTF-8 sequence at pos (its character in c), 0 when there is none.
    static size_t SequenceAt(std::string_view bytes, size_t pos, char32_t& c);
    static void AppendUtf8(std::string& out, char32_t c);
};
