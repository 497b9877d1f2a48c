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
