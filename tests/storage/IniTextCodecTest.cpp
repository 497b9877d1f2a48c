#include <gtest/gtest.h>

#include <string>

#include "IniTextCodec.h"

using namespace std::string_literals;

TEST(IniTextCodec, Utf8CheckRejectsEveryMalformedForm)
{
    EXPECT_TRUE(IniTextCodec::IsValidUtf8("a\0b"s));
    EXPECT_TRUE(IniTextCodec::IsValidUtf8("\xE3\x81\x82\xC3\xA4\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"));
    for (const char* bad : {"\x80", "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xED\xA0\x80", "\xF0\x80\x80\x80",
                            "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xE3\x81", "\xE3\x41\x82", "\xFF"})
        EXPECT_FALSE(IniTextCodec::IsValidUtf8(bad)) << bad;
}

TEST(IniTextCodec, Cp932MarksBrokenSequencesAndGoesOn)
{
    // A lead byte with a trail that cannot follow it, a stray 0x80, a lead byte cut off by the end.
    EXPECT_EQ(IniTextCodec::Cp932ToUtf8("\x81\x20" "a\x80" "\x82\xA0\x88"), "\xEF\xBF\xBD a\xEF\xBF\xBD" "あ\xEF\xBF\xBD");
    EXPECT_EQ(IniTextCodec::Cp932ToUtf8("x\0y"s), "x\0y"s);
}

TEST(IniTextCodec, DecodeChoosesUtf8OrCp932ByValidity)
{
    EXPECT_EQ(IniTextCodec::ToUtf8("\xEF\xBB\xBF\xE6\x97\xA5"), "日");
    // Only the first byte-order mark is the file's; a second one is text.
    EXPECT_EQ(IniTextCodec::ToUtf8("\xEF\xBB\xBF\xEF\xBB\xBF" "a"), "\xEF\xBB\xBF" "a");
    // "～", "①" and "髙" exist only in the Windows form of Shift-JIS; 0x5C as a second byte is
    // part of "ソ", not a backslash.
    EXPECT_EQ(IniTextCodec::ToUtf8("\x93\xFA\x81\x60\x87\x40\xFB\xFC\x83\x5C\xB6"), "日～①髙ソｶ");
    // One stray byte makes the whole file CP932, as a Japanese Windows file would be.
    EXPECT_EQ(IniTextCodec::ToUtf8("abc\xB1"), "abcｱ");
}

TEST(IniTextCodec, InvalidBytesBecomeOneReplacementEach)
{
    EXPECT_EQ(IniTextCodec::RepairUtf8("a\xE3\x81z\xFF\xC0\x80\xF0\x9F\x98"),
              "a\uFFFD\uFFFDz\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD");
    EXPECT_EQ(IniTextCodec::RepairUtf8("ok \xE6\x97\xA5\xF0\x9F\x98\x80"), "ok \xE6\x97\xA5\xF0\x9F\x98\x80");
    EXPECT_EQ(IniTextCodec::ToUtf16("a\xE6\x97\xA5\xF0\x9F\x98\x80\xFF"), u"a日\U0001F600\uFFFD");
}

// Windows Notepad's "Unicode" files: UTF-16 after a byte-order mark, in either byte order.
TEST(IniTextCodec, Utf16WithItsByteOrderMarkIsReadInEitherOrder)
{
    struct Case {
        const char* what;
        std::string bytes;
        std::string text;
        size_t replaced;
    };
    const Case cases[] = {
        {"little-endian", "\xFF\xFE" "a\0=\0\xE5\x65\x2C\x67\r\0\n\0"s, "a=日本\r\n", 0},
        {"big-endian", "\xFE\xFF" "\0a\0=\x65\xE5\x67\x2C\0\r\0\n"s, "a=日本\r\n", 0},
        {"a pair of surrogates", "\xFF\xFE\x3D\xD8\x00\xDE"s, "\U0001F600", 0},
        {"a lone high surrogate, then text", "\xFF\xFE\x3D\xD8x\0"s, "\uFFFDx", 1},
        {"a lone low surrogate", "\xFE\xFF\xDE\x00\0y"s, "\uFFFDy", 1},
        {"a high surrogate at the end", "\xFF\xFEz\0\x3D\xD8"s, "z\uFFFD", 1},
        {"an odd last byte", "\xFF\xFEz\0q"s, "z\uFFFD", 1},
        {"only the mark", "\xFE\xFF"s, "", 0},
    };
    for (const Case& c : cases) {
        size_t replaced = 99;
        EXPECT_EQ(IniTextCodec::ToUtf8(c.bytes, &replaced), c.text) << c.what;
        EXPECT_EQ(replaced, c.replaced) << c.what;
    }
    // Without the mark, the same bytes are no UTF-16: NULs stay text.
    EXPECT_EQ(IniTextCodec::ToUtf8("a\0"s), "a\0"s);
}

// A file that is not valid UTF-8 as a whole: a damaged UTF-8 file keeps every good character,
// a file from a Japanese Windows system reads as CP932 exactly as before.
TEST(IniTextCodec, DamagedBytesSpoilNoOtherText)
{
    struct Case {
        const char* what;
        std::string bytes;
        std::string text;
        size_t replaced;
    };
    const Case cases[] = {
        {"UTF-8, one damaged byte", "a=日本語\r\nb=メモ\xFF\r\n", "a=日本語\r\nb=メモ\uFFFD\r\n", 1},
        {"UTF-8 cut inside its last character", "a=日本\r\nb=語\xE8\xAA", "a=日本\r\nb=語\uFFFD\uFFFD", 2},
        {"UTF-8, the damaged line itself mostly good", "m=日本語のメモ\x81です", "m=日本語のメモ\uFFFDです", 1},
        {"CP932", "\x93\xFA\x96\x7B\r\n\x83\x81\x83\x82\r\n", "日本\r\nメモ\r\n", 0},
        {"CP932 with a half-width line that is valid UTF-8 too", "\xC3\xBD\r\n\x83\x81\x83\x82", "ﾃｽ\r\nメモ", 0},
        {"CP932 with a byte that is no character", "\x83\x81\x80\r\n", "メ\uFFFD\r\n", 1},
        {"as many lines for either: UTF-8", "\xE6\x97\xA5\r\n\x83\x81", "日\r\n\uFFFD\uFFFD", 2},
    };
    for (const Case& c : cases) {
        size_t replaced = 99;
        EXPECT_EQ(IniTextCodec::ToUtf8(c.bytes, &replaced), c.text) << c.what;
        EXPECT_EQ(replaced, c.replaced) << c.what;
    }
}
