#include <gtest/gtest.h>

#include "IniTextCodec.h"

TEST(IniTextCodec, Utf8CheckRejectsEveryMalformedForm)
{
    EXPECT_TRUE(IniTextCodec::IsValidUtf8(QByteArray("a\0b", 3)));
    EXPECT_TRUE(IniTextCodec::IsValidUtf8("\xE3\x81\x82\xC3\xA4\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF"));
    for (const char* bad : {"\x80", "\xC0\x80", "\xC1\xBF", "\xE0\x80\x80", "\xED\xA0\x80", "\xF0\x80\x80\x80",
                            "\xF4\x90\x80\x80", "\xF5\x80\x80\x80", "\xE3\x81", "\xE3\x41\x82", "\xFF"})
        EXPECT_FALSE(IniTextCodec::IsValidUtf8(bad)) << QByteArray(bad).toHex().constData();
}

TEST(IniTextCodec, Cp932MarksBrokenSequencesAndGoesOn)
{
    // A lead byte with a trail that cannot follow it, a stray 0x80, a lead byte cut off by the end.
    EXPECT_EQ(IniTextCodec::DecodeCp932("\x81\x20" "a\x80" "\x82\xA0\x88"),
              QString::fromUtf8("\xEF\xBF\xBD a\xEF\xBF\xBD" "あ\xEF\xBF\xBD"));
    EXPECT_EQ(IniTextCodec::DecodeCp932(QByteArray("x\0y", 3)), QStringView(u"x\0y", 3).toString());
}

TEST(IniTextCodec, DecodeChoosesUtf8OrCp932ByValidity)
{
    EXPECT_EQ(IniTextCodec::Decode("\xEF\xBB\xBF\xE6\x97\xA5"), "日");
    // "～", "①" and "髙" exist only in the Windows form of Shift-JIS; 0x5C as a second byte is
    // part of "ソ", not a backslash.
    EXPECT_EQ(IniTextCodec::Decode("\x93\xFA\x81\x60\x87\x40\xFB\xFC\x83\x5C\xB6"), "日～①髙ソｶ");
    // One stray byte makes the whole file CP932, as a Japanese Windows file would be.
    EXPECT_EQ(IniTextCodec::Decode("abc\xB1"), QString::fromUtf8("abcｱ"));
    EXPECT_EQ(IniTextCodec::Encode("日"), "\xE6\x97\xA5");
}
