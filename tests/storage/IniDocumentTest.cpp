#include <gtest/gtest.h>

#include <chrono>
#include <random>
#include <string>

#include "IniDocument.h"
#include "IniFileError.h"

namespace {

IniDocument Doc(const char* utf8)
{
    return IniDocument::FromText(utf8);
}

std::string Repeated(const std::string& text, size_t times)
{
    std::string out;
    out.reserve(text.size() * times);
    for (size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

// Generous bound: these must not hang, but sanitizer builds on a busy machine are slow.
constexpr auto kQuick = std::chrono::seconds(60);

class Stopwatch {
public:
    std::chrono::steady_clock::duration Elapsed() const { return std::chrono::steady_clock::now() - start_; }

private:
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace

TEST(IniDocumentRead, TrimsSkipsCommentsAndDropsLinesBeforeTheFirstSection)
{
    const IniDocument d = Doc("orphan=1\r\n"
                              "  [ Main ]  \r\n"
                              "; a=9\r\n"
                              "\t a \t=\t 1 \r\n"
                              "\r\n"
                              "b = x = y\n"
                              "c=\r"
                              "d=4");
    EXPECT_EQ(d.ReadString("main", "orphan", "none"), "none");
    EXPECT_EQ(d.ReadInteger("MAIN", "a", 0), 1);
    EXPECT_EQ(d.ReadString("Main", "b", "-"), "x = y");
    EXPECT_EQ(d.ReadString("Main", "c", "-"), "");
    EXPECT_EQ(d.ReadString("Main", "d", "-"), "4");
    EXPECT_EQ(d.ReadString("Main", ";", "-"), "-");
    EXPECT_EQ(d.ReadString("Other", "a", "-"), "-");
}

TEST(IniDocumentRead, NamesMatchWithoutCaseAndTheFirstOfTwinsWins)
{
    const IniDocument d = Doc("[VxrManager]\nmdl1_nbrk = 12\nMDL1_NBRK=13\n[vxrmanager]\nSYS_CUR=3\n");
    EXPECT_EQ(d.ReadInteger("VxrManager", "MDL1_NBRK", 0), 12);
    // A repeated section header starts a second section that lookups never reach.
    EXPECT_EQ(d.ReadInteger("VXRMANAGER", "SYS_CUR", 15), 15);
}

TEST(IniDocumentRead, OnlyAsciiLettersMatchWithoutCase)
{
    // Names are compared eight bytes at a time: the neighbours of A-Z and a-z, which differ
    // from each other by the same bit as upper and lower case, must stay distinct, in the
    // whole words and in the bytes after them, and so must bytes above 0x7F.
    const IniDocument d = Doc("[S]\n"
                              "Az@[=1\n"
                              "MDL1_FRQ17_LONGER_NAME=2\n"
                              "k\xC3\xA9=3\n");
    struct Case {
        const char* name;
        const char* value;
    };
    for (const Case& c : std::initializer_list<Case>{{"aZ@[", "1"},
                                                      {"az`[", "-"},
                                                      {"az@{", "-"},
                                                      {"mdl1_frq17_longer_name", "2"},
                                                      {"MDL1_FRQ17_LONGER_NAMe", "2"},
                                                      {"MDL1_FRQ17_LONGER_NAM\x7f", "-"},
                                                      {"MDL1\x7f""FRQ17_LONGER_NAME", "-"},
                                                      {"K\xC3\xA9", "3"},
                                                      {"k\xC3\x89", "3"},  // other names are folded as text
                                                      {"k\xC3\xA8", "-"}})
        EXPECT_EQ(d.ReadString("s", c.name, "-"), c.value) << c.name;
}

TEST(IniDocumentRead, LineWithoutEqualsIsKeptButNeverFound)
{
    IniDocument d = Doc("[S]\njust words\nx=1\n");
    EXPECT_EQ(d.ReadString("S", "just words", "-"), "-");
    EXPECT_EQ(d.LineCount("S"), 2);
    d.WriteString("S", "y", "2");
    EXPECT_EQ(d.Bytes(), "[S]\r\njust words\r\nx=1\r\ny=2\r\n\r\n");
}

TEST(IniDocumentIntegers, DecimalAndHexadecimalForms)
{
    const IniDocument d = Doc("[S]\n"
                              "a=-17\nb=+5\nc=0x1F\nd=0X1f\ne=$ff\nf=007\n"
                              "g=2147483647\nh=-2147483648\ni=$FFFFFFFF\n");
    EXPECT_EQ(d.ReadInteger("S", "a", 0), -17);
    EXPECT_EQ(d.ReadInteger("S", "b", 0), 5);
    EXPECT_EQ(d.ReadInteger("S", "c", 0), 31);
    EXPECT_EQ(d.ReadInteger("S", "d", 0), 31);
    EXPECT_EQ(d.ReadInteger("S", "e", 0), 255);
    EXPECT_EQ(d.ReadInteger("S", "f", 0), 7);
    EXPECT_EQ(d.ReadInteger("S", "g", 0), 2147483647);
    EXPECT_EQ(d.ReadInteger("S", "h", 0), -2147483648);
    EXPECT_EQ(d.ReadInteger("S", "i", 0), -1);
}

TEST(IniDocumentIntegers, UnconvertibleOrTooLargeGiveTheDefault)
{
    const IniDocument d = Doc("[S]\n"
                              "a=\nb=12a\nc=1 2\nd=-\ne=0x\nf=$\ng=2147483648\nh=-2147483649\n"
                              "i=$100000000\nj=99999999999999999999999\nk=1.5\nl=0xG1\nm=--1\n");
    for (const char* name : {"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k", "l", "m", "absent"})
        EXPECT_EQ(d.ReadInteger("S", name, -77), -77) << name;
}

TEST(IniDocumentWrite, ReplacesInPlaceAppendsAndAddsMissingSections)
{
    IniDocument d = Doc("[A]\nx=1\ny=2\n[B]\nz=3\n");
    d.WriteInteger("a", "X", -5);
    d.WriteString("B", "new", "v=w");
    d.WriteInteger("C", "n", 0);
    EXPECT_EQ(d.Bytes(), "[A]\r\nx=-5\r\ny=2\r\n\r\n"
                         "[B]\r\nz=3\r\nnew=v=w\r\n\r\n"
                         "[C]\r\nn=0\r\n\r\n");
    d.Clear();
    EXPECT_EQ(d.Bytes(), "");
    EXPECT_EQ(d.ReadInteger("A", "y", 9), 9);
}

TEST(IniDocumentLimits, FiftyMegabyteLineLoadsQuickly)
{
    const Stopwatch timer;
    const IniDocument d = IniDocument::FromBytes("[S]\nk=" + std::string(50 * 1000 * 1000, 'x') + "\n");
    EXPECT_LT(timer.Elapsed(), kQuick);
    EXPECT_EQ(d.ReadString("S", "k", "").size(), 50u * 1000 * 1000);
}

TEST(IniDocumentLimits, BinaryDataLoadsAsReplacedText)
{
    std::string noise(8 * 1000 * 1000, '\0');
    std::mt19937 rng(7);
    for (char& c : noise)
        c = static_cast<char>(rng());
    const Stopwatch timer;
    const IniDocument d = IniDocument::FromBytes("[S]\n" + noise);
    EXPECT_LT(timer.Elapsed(), kQuick);
    EXPECT_GT(d.LineCount("S"), 0);
    EXPECT_NE(d.Bytes().find("\uFFFD"), std::string::npos);
}

TEST(IniDocumentLimits, LineCountAndSizeAreBounded)
{
    const std::string many = "[S]\n" + Repeated("k=1\n", IniDocument::kMaxLines - 1);
    const Stopwatch timer;
    EXPECT_EQ(IniDocument::FromBytes(many).LineCount("S"), IniDocument::kMaxLines - 1);
    try {
        IniDocument::FromBytes(many + "k=1\n", "many.ini");
        ADD_FAILURE() << "a file of too many lines was read";
    } catch (const IniFileError& e) {
        EXPECT_STREQ(e.what(), "Cannot read file many.ini: it holds more than 1000000 lines");
    }
    // Nor is a document written that would be refused so.
    IniDocument atLimit = IniDocument::FromText(many);
    EXPECT_TRUE(IniDocument::IsReadable(atLimit.Bytes()));
    atLimit.WriteString("S", "one more", "1");
    IniFileError::Reason why{};
    int64_t limit = 0;
    EXPECT_FALSE(IniDocument::IsReadable(atLimit.Bytes(), &why, &limit));
    EXPECT_EQ(why, IniFileError::Reason::WouldHoldTooManyLines);
    EXPECT_EQ(limit, IniDocument::kMaxLines);
    // Empty lines and comments are not kept, so they do not count.
    const std::string blank = "[S]\n" + std::string(3 * 1000 * 1000, '\n') + Repeated(";\n", 500000);
    EXPECT_EQ(IniDocument::FromBytes(blank).LineCount("S"), 0);
    EXPECT_LT(timer.Elapsed(), kQuick);

    std::optional<IniFileError> error;
    EXPECT_FALSE(IniDocument::TryFromBytes(std::string(IniDocument::kMaxFileSize + 1, 'x'), "huge.ini", error));
    ASSERT_TRUE(error);
    EXPECT_STREQ(error->what(), "Cannot read file huge.ini: it is larger than 64 MiB");
}
