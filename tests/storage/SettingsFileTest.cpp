#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "IniDocument.h"
#include "IniFileError.h"
#include "NotSettingsFileError.h"
#include "SettingsFile.h"

using namespace std::string_literals;

namespace {

std::string Repeated(const std::string& text, size_t times)
{
    std::string out;
    for (size_t i = 0; i < times; ++i)
        out += text;
    return out;
}

ModelBank DefaultBank()
{
    ModelBank bank;
    bank.Initialise();
    return bank;
}

// A bank where every field differs from its default and from the other models.
ModelBank DistinctBank()
{
    ModelBank bank;
    for (int m = 0; m < ModelBank::kModels; ++m) {
        ModelSettings& s = bank.models[static_cast<size_t>(m)];
        s.NBRK = 10 + m;
        s.BFREQ = 40 + m;
        s.VLT = 150 + m;
        s.PROG = m;
        for (int k = 0; k < ModelSettings::kFrqPoints; ++k)
            s.FRQ[static_cast<size_t>(k)] = 12 + (k + m) % 52;
    }
    bank.ModelNumber = 120;
    bank.SYS_CUR = 9;
    return bank;
}

ModelBank LoadText(const std::string& bytes, ModelBank bank = DistinctBank())
{
    SettingsFile::FromBytes(bytes, bank);
    return bank;
}

std::string ModelLines(int m, int memoLines)
{
    const std::string p = "MDL" + std::to_string(m) + "_";
    std::string out = p + "NBRK=128\r\n" + p + "BFREQ=32\r\n" + p + "VLT=100\r\n" + p + "PROG=1\r\n";
    for (int k = 1; k <= 32; ++k)
        out += p + "FRQ" + std::to_string(k) + "=16\r\n";
    out += p + "MEMO0=" + std::to_string(memoLines) + "\r\n";
    return out;
}

}  // namespace

TEST(SettingsFileSave, WritesTheBankInTheDocumentedLayoutByteForByte)
{
    ModelBank bank = DefaultBank();
    // Two lines: "abc" and an empty one; the final line end adds no third line.
    bank.models[1].MEMO = "abc\r\n\r\n";
    const std::string expected = "[VxrManager]\r\nSYS_MDL=0\r\nSYS_CUR=15\r\n" + ModelLines(1, 0) +
                                ModelLines(2, 2) + "MDL2_MEMO1=abc\r\nMDL2_MEMO2=\r\n" + ModelLines(3, 0) +
                                ModelLines(4, 0) + ModelLines(5, 0) + "\r\n";
    const std::string written = SettingsFile::ToBytes(bank);
    EXPECT_EQ(written, expected);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\r'), 191);
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 191);
}

TEST(SettingsFileSave, ForcedNameFollowsTheChosenFilter)
{
    EXPECT_EQ(SettingsFile::ForcedSaveName("set1.txt", 0), "set1.VXS");
    EXPECT_EQ(SettingsFile::ForcedSaveName("set1", 0), "set1.VXS");
    EXPECT_EQ(SettingsFile::ForcedSaveName("set1.vxs", 0), "set1.VXS");
    EXPECT_EQ(SettingsFile::ForcedSaveName("/a/set1.tar.gz", 0), "/a/set1.tar.VXS");
    EXPECT_EQ(SettingsFile::ForcedSaveName("/home/u/dir.with.dots/set1", 0), "/home/u/dir.with.dots/set1.VXS");
    EXPECT_EQ(SettingsFile::ForcedSaveName("set1.txt", 1), "set1.txt");
    EXPECT_EQ(SettingsFile::ForcedSaveName("/a/set1", 1), "/a/set1");
}

TEST(SettingsFileRoundTrip, EveryFieldAndMemoComesBack)
{
    ModelBank bank = DistinctBank();
    bank.models[0].MEMO = "one\r\ntwo";
    bank.models[1].MEMO = "one\r\ntwo\r\n";
    bank.models[2].MEMO = "日本語のメモ～①髙\n  padded  \rlast";
    bank.models[3].MEMO = "\r\n\r\n";
    bank.models[4].MEMO = "";
    const std::string bytes = SettingsFile::ToBytes(bank);
    const IniDocument d = IniDocument::FromBytes(bytes);
    EXPECT_EQ(d.ReadInteger("VxrManager", "MDL1_MEMO0", -1), 2);
    EXPECT_EQ(d.ReadInteger("VxrManager", "MDL2_MEMO0", -1), 2);
    EXPECT_EQ(d.ReadInteger("VxrManager", "MDL3_MEMO0", -1), 3);
    EXPECT_EQ(d.ReadInteger("VxrManager", "MDL4_MEMO0", -1), 2);
    EXPECT_EQ(d.ReadInteger("VxrManager", "MDL5_MEMO0", -1), 0);
    EXPECT_EQ(d.ReadString("VxrManager", "MDL5_MEMO1", "none"), "none");

    ModelBank loaded = DefaultBank();
    SettingsFile::FromBytes(bytes, loaded);
    ModelBank expected = bank;
    expected.models[0].MEMO = "one\r\ntwo\r\n";
    expected.models[2].MEMO = "日本語のメモ～①髙\r\npadded\r\nlast\r\n";
    EXPECT_EQ(loaded, expected);
}

// Any memo a file can hold survives any number of saves, character for character.
TEST(SettingsFileRoundTrip, LoadedMemoLinesSaveUnchanged)
{
    const std::vector<std::string> lines = {
        "\xEF\xBB\xBFstarts with a byte-order mark",
        "\xEF\xBB\xBF",
        "ends with one\xEF\xBB\xBF",
        "a=b=c",
        "[section-like]",
        "[",
        ";not a comment here",
        "a\0b"s,
        "\xE3\x80\x80" "full-width blanks stay\xE3\x80\x80",
        "\xC2\xA0no-break spaces stay\xC2\xA0",
        "MDL1_MEMO2=looks like an entry",
        "\xEF\xBF\xBD\xF0\x9F\x98\x80 e\xCC\x81",
        "",
        "x",
    };
    std::string text = "[VxrManager]\r\nMDL2_MEMO0=" + std::to_string(lines.size()) + "\r\n";
    std::string memo;
    for (size_t k = 0; k < lines.size(); ++k) {
        text += "MDL2_MEMO" + std::to_string(k + 1) + "=" + lines[k] + "\r\n";
        memo += lines[k] + "\r\n";
    }
    // A lone CR ends a line too, and blanks around a line are the file's, not the memo's.
    text += "MDL3_MEMO0=2\r\nMDL3_MEMO1= \t one \rMDL3_MEMO2=two\n";

    ModelBank loaded = DefaultBank();
    SettingsFile::FromBytes(text, loaded);
    EXPECT_EQ(loaded.models[1].MEMO, memo);
    EXPECT_EQ(loaded.models[2].MEMO, "one\r\ntwo\r\n");

    const std::string once = SettingsFile::ToBytes(loaded);
    ModelBank again = DefaultBank();
    SettingsFile::FromBytes(once, again);
    EXPECT_EQ(again, loaded);
    EXPECT_EQ(SettingsFile::ToBytes(again), once);
}

TEST(SettingsFileLoad, TheBareSectionGivesEveryDefault)
{
    for (const std::string& text : {"[VxrManager]\r\n"s, "[ vxrmanager ]\nunrelated=1\n[Other]\nMDL1_NBRK=3\n"s}) {
        ModelBank bank = DistinctBank();
        bank.models[2].MEMO = "replaced";
        EXPECT_EQ(LoadText(text, bank), DefaultBank()) << text;
    }
}

// A picture or some other text chosen by mistake must not wipe the unsaved bank.
TEST(SettingsFileLoad, FileWithoutTheSectionIsNotASettingsFileAndChangesNothing)
{
    // An empty file is no more a settings file than any other text.
    for (const std::string& text :
         {"just some text\r\n[Else]\r\nMDL1_NBRK=3\r\n"s, "; only a comment\n"s, ""s, "\xEF\xBB\xBF\r\n \t\n"s,
          "TAG_DATA=00000000000000500000\r\nFRQ_DATA0=00C8\r\n"s, "\x89PNG\r\n\x1A\n\0\0\0\rIHDR\0\0\0\x10"s}) {
        ModelBank bank = DistinctBank();
        bank.models[2].MEMO = "unsaved edit";
        const ModelBank before = bank;
        EXPECT_THROW(SettingsFile::FromBytes(text, bank, "other.VXS"), NotSettingsFileError) << text;
        EXPECT_EQ(bank, before);
    }
    // Without exceptions, for callers that cannot catch them.
    const SettingsLoadResult r = SettingsFile::Read("", DistinctBank(), "empty.VXS");
    EXPECT_EQ(r.status, SettingsLoadResult::Status::NotSettingsFile);
    EXPECT_EQ(r.message, "Cannot read file empty.VXS: it is not a settings file");
    EXPECT_EQ(r.bank, DistinctBank());
}

TEST(SettingsFileLoad, ReplacedCharactersAreCountedAndTheRestLoads)
{
    const SettingsLoadResult r = SettingsFile::Read(
        "[VxrManager]\r\nMDL1_MEMO0=1\r\nMDL1_MEMO1=日本語\r\nMDL2_MEMO0=1\r\nMDL2_MEMO1=メ\xFFモ\r\n", DefaultBank());
    ASSERT_TRUE(r.Loaded());
    EXPECT_EQ(r.replaced, 1u);
    EXPECT_EQ(r.bank.models[0].MEMO, "日本語\r\n");
    EXPECT_EQ(r.bank.models[1].MEMO, "メ\uFFFDモ\r\n");
    EXPECT_EQ(SettingsFile::Read(SettingsFile::ToBytes(r.bank), DefaultBank()).replaced, 0u);
}

TEST(SettingsFileLoad, NamesWithoutCaseAndBlanksAroundEquals)
{
    const ModelBank b = LoadText("[vxrmanager]\r\nmdl1_nbrk = 77\r\n  Sys_Mdl\t=\t2  \r\nTAG_DATA=\r\n"
                                      "mdl5_frq32=0x3F\r\nMDL2_BFREQ=oops\r\n");
    EXPECT_EQ(b.models[0].NBRK, 77);
    EXPECT_EQ(b.ModelNumber, 80);
    EXPECT_EQ(b.models[4].FRQ[31], 63);
    EXPECT_EQ(b.models[1].BFREQ, 32);
}

TEST(SettingsFileLoad, OutOfRangeValuesAreKeptButTheModelIndexIsHeldToTheFive)
{
    ModelBank b = LoadText("[VxrManager]\r\nSYS_MDL=2147483647\r\nMDL1_NBRK=999\r\nMDL1_FRQ1=-4\r\n");
    EXPECT_EQ(b.ModelNumber, 160);
    EXPECT_EQ(b.models[0].NBRK, 999);
    EXPECT_EQ(b.models[0].FRQ[0], -4);
    b = LoadText("[VxrManager]\r\nSYS_MDL=-2147483648\r\n");
    EXPECT_EQ(b.ModelNumber, 0);
    b = LoadText("[VxrManager]\r\nSYS_MDL=5\r\n");
    EXPECT_EQ(b.ModelNumber, 160);
}

TEST(SettingsFileLoad, MemoLineCountsBeyondWhatTheFileHolds)
{
    // Missing lines before the last one present read as empty lines; a count beyond the last
    // one present adds none.
    ModelBank b = LoadText("[VxrManager]\r\nMDL1_MEMO0=3\r\nmdl1_memo1=a\r\nMDL1_MEMO3=c\r\nMDL2_MEMO0=-1\r\n"
                                "MDL2_MEMO1=x\r\nMDL3_MEMO0=9\r\nMDL3_MEMO1=y\r\nMDL3_MEMO2=\r\nMDL3_MEMO01=z\r\n"
                                "MDL4_MEMO0=2\r\nMDL4_MEMO1=p\r\nMDL4_MEMO5=q\r\n");
    EXPECT_EQ(b.models[0].MEMO, "a\r\n\r\nc\r\n");
    EXPECT_EQ(b.models[1].MEMO, "");
    EXPECT_EQ(b.models[2].MEMO, "y\r\n\r\n");
    EXPECT_EQ(b.models[3].MEMO, "p\r\n\r\n");
}

// What a load gives must save to a file that loads again: a damaged count in a long file
// once made a memo of a million empty lines that Open refused.
TEST(SettingsFileLoad, DamagedCountsInALongFileSaveToAFileThatOpens)
{
    std::string text = "[VxrManager]\r\n";
    for (int m = 1; m <= 5; ++m)
        text += "MDL" + std::to_string(m) + "_MEMO0=2147483647\r\nMDL" + std::to_string(m) + "_MEMO1=a\r\n";
    text += Repeated("X=1\r\n", 300000);
    const ModelBank loaded = LoadText(text);
    for (const ModelSettings& m : loaded.models)
        EXPECT_EQ(m.MEMO, "a\r\n");

    const std::string saved = SettingsFile::ToBytes(loaded);
    ASSERT_TRUE(IniDocument::IsReadable(saved));
    ModelBank again = DefaultBank();
    SettingsFile::FromBytes(saved, again);
    EXPECT_EQ(again, loaded);
}

// Files whose bank could not be saved again are refused as a whole, the bank unchanged.
TEST(SettingsFileLoad, FilesTooLargeToSaveAgainAreRefused)
{
    std::string gaps = "[VxrManager]\r\n";  // lines far apart: a million empty ones between
    for (int m = 1; m <= 5; ++m)
        gaps += "MDL" + std::to_string(m) + "_MEMO0=999999\r\nMDL" + std::to_string(m) + "_MEMO999999=x\r\n";
    // Half-width katakana: one byte in CP932, three in UTF-8.
    const std::string cp932 = "[VxrManager]\r\nMDL1_MEMO0=1\r\nMDL1_MEMO1=" +
                              std::string(IniDocument::kMaxFileSize / 3 + 1000, '\xB1') + "\r\n";
    for (const std::string* text : {static_cast<const std::string*>(&gaps), &cp932}) {
        ModelBank bank = DistinctBank();
        EXPECT_THROW(SettingsFile::FromBytes(*text, bank), IniFileError);
        EXPECT_EQ(bank, DistinctBank());
    }
    // A smaller CP932 file loads, in UTF-8 three times its size.
    ModelBank bank = DefaultBank();
    SettingsFile::FromBytes("[VxrManager]\r\nMDL1_MEMO0=1\r\nMDL1_MEMO1=" + std::string(1000, '\xB1'), bank);
    EXPECT_EQ(bank.models[0].MEMO.size(), 3000u + 2);
}

TEST(SettingsFileLoad, Cp932FileKeepsItsJapaneseMemo)
{
    // "設定①" and "髙橋～" in CP932.
    const ModelBank b = LoadText("[VxrManager]\r\nMDL3_MEMO0=2\r\nMDL3_MEMO1=\x90\xDD\x92\xE8\x87\x40\r\n"
                                      "MDL3_MEMO2=\xFB\xFC\x8B\xB4\x81\x60\r\n");
    EXPECT_EQ(b.models[2].MEMO, "設定①\r\n髙橋～\r\n");
}

// Saved as "Unicode" by Windows Notepad: read with its memo, and written back as UTF-8.
TEST(SettingsFileLoad, Utf16FileFromNotepadKeepsItsMemoAndSavesAsUtf8)
{
    const std::u16string text = u"[VxrManager]\r\nSYS_MDL=2\r\nMDL3_NBRK=77\r\nMDL3_MEMO0=2\r\nMDL3_MEMO1=設定①\r\n"
                                u"MDL3_MEMO2=髙橋\U0001F3CE\r\n";
    for (const bool bigEndian : {false, true}) {
        std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
        for (const char16_t u : text) {
            const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
            bytes += bigEndian ? std::string{hi, lo} : std::string{lo, hi};
        }
        const ModelBank b = LoadText(bytes, DefaultBank());
        EXPECT_EQ(b.models[2].NBRK, 77) << bigEndian;
        EXPECT_EQ(b.ModelNumber, 80) << bigEndian;
        EXPECT_EQ(b.models[2].MEMO, "設定①\r\n髙橋\U0001F3CE\r\n") << bigEndian;
        const std::string saved = SettingsFile::ToBytes(b);
        EXPECT_NE(saved.find("MDL3_MEMO1=設定①\r\n"), std::string::npos) << bigEndian;
        EXPECT_EQ(saved.find('\0'), std::string::npos) << bigEndian;
    }
}

TEST(SettingsFileLegacy, ModelNumberAndFieldsFromTheHexTexts)
{
    ModelBank before = DistinctBank();
    before.models[0].MEMO = "old memo";
    std::string model1 = "00C82A000000000000";  // NBRK C8, BFREQ 2A
    for (int k = 0; k < 32; ++k) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", 63 - (12 + k));
        model1 += pair;
    }
    const ModelBank b = LoadText("[VxrManager]\r\nTAG_DATA=00000000000000500000\r\n"
                                 "FRQ_DATA0=" + model1 + "\r\n"
                                 "FRQ_DATA1=00G0zz\r\n"
                                 "FRQ_DATA3=00AB1F0000\r\n"
                                 "FRQ_DATA4=00ab1f000000000000ff0\r\n",
                                 before);
    EXPECT_EQ(b.ModelNumber, 80);
    EXPECT_EQ(b.SYS_CUR, before.SYS_CUR);
    // Other numbers stay as they are while they name a model; beyond the five, the last one.
    EXPECT_EQ(LoadText("[VxrManager]\r\nTAG_DATA=00000000000000510000\r\n", before).ModelNumber, 0x51);
    EXPECT_EQ(LoadText("[VxrManager]\r\nTAG_DATA=00000000000000C70000\r\n", before).ModelNumber, 199);
    EXPECT_EQ(LoadText("[VxrManager]\r\nTAG_DATA=00000000000000F20000\r\n", before).ModelNumber, 160);
    EXPECT_EQ(b.models[0].NBRK, 200);
    EXPECT_EQ(b.models[0].BFREQ, 42);
    for (int k = 0; k < 32; ++k)
        EXPECT_EQ(b.models[0].FRQ[static_cast<size_t>(k)], 12 + k);
    // "G0" and "zz" are not hexadecimal; the curve lies beyond the short text.
    EXPECT_EQ(b.models[1].NBRK, 128);
    EXPECT_EQ(b.models[1].BFREQ, 32);
    EXPECT_EQ(b.models[1].FRQ, ModelSettings::MakeDefaultCurve());
    // A missing model text has its own default.
    EXPECT_EQ(b.models[2].NBRK, 0);
    EXPECT_EQ(b.models[2].BFREQ, 16);
    for (int v : b.models[2].FRQ)
        EXPECT_EQ(v, 47);
    // Ten characters: brake fields read, every point defaults.
    EXPECT_EQ(b.models[3].NBRK, 0xAB);
    EXPECT_EQ(b.models[3].BFREQ, 0x1F);
    EXPECT_EQ(b.models[3].FRQ, ModelSettings::MakeDefaultCurve());
    // Lower-case digits count; a pair cut by the end of the text does not.
    EXPECT_EQ(b.models[4].NBRK, 0xAB);
    EXPECT_EQ(b.models[4].FRQ[0], 63 - 0xFF);
    EXPECT_EQ(b.models[4].FRQ[1], 16);
    for (int m = 0; m < ModelBank::kModels; ++m) {
        EXPECT_EQ(b.models[static_cast<size_t>(m)].PROG, 1);
        EXPECT_EQ(b.models[static_cast<size_t>(m)].VLT, before.models[static_cast<size_t>(m)].VLT);
        EXPECT_EQ(b.models[static_cast<size_t>(m)].MEMO, before.models[static_cast<size_t>(m)].MEMO);
    }
}

TEST(SettingsFileLegacy, ShortOrBrokenTagGivesModelOne)
{
    EXPECT_EQ(LoadText("[VxrManager]\r\nTAG_DATA=00000000000000000000\r\n").ModelNumber, 0);
    EXPECT_EQ(LoadText("[VxrManager]\r\nTAG_DATA=123456789012345\r\n").ModelNumber, 0);
    EXPECT_EQ(LoadText("[VxrManager]\r\nTAG_DATA=00000000000000x5\r\n").ModelNumber, 0);
    // Beyond the five models: the last one.
    EXPECT_EQ(LoadText("[VxrManager]\r\nTAG_DATA=00000000000000FF\r\n").ModelNumber, 160);
}

TEST(SettingsFileParseHex, DigitsOrTheDefault)
{
    EXPECT_EQ(SettingsFile::ParseHex(u"50", -1), 0x50);
    EXPECT_EQ(SettingsFile::ParseHex(u"fF", -1), 255);
    EXPECT_EQ(SettingsFile::ParseHex(u"", -1), 0);
    EXPECT_EQ(SettingsFile::ParseHex(u"G0", -1), -1);
    EXPECT_EQ(SettingsFile::ParseHex(u"0g", -1), -1);
    EXPECT_EQ(SettingsFile::ParseHex(u" 1", 9), 9);
    EXPECT_EQ(SettingsFile::ParseHex(u"FFFFFFFF", 0), -1);
    EXPECT_EQ(SettingsFile::ParseHex(u"123456789", 0), 0x23456789);
}

TEST(SettingsFileMemo, LineEndsOfEveryKind)
{
    using L = std::vector<std::string>;
    EXPECT_EQ(SettingsFile::SplitMemoLines(""), L{});
    EXPECT_EQ(SettingsFile::SplitMemoLines("a"), L{"a"});
    EXPECT_EQ(SettingsFile::SplitMemoLines("a\r\n"), L{"a"});
    EXPECT_EQ(SettingsFile::SplitMemoLines("\r\n"), L{""});
    EXPECT_EQ(SettingsFile::SplitMemoLines("a\rb\nc\r\nd"), (L{"a", "b", "c", "d"}));
    EXPECT_EQ(SettingsFile::SplitMemoLines("a\n\rb"), (L{"a", "", "b"}));
    EXPECT_EQ(SettingsFile::SplitMemoLines("a\r\r\n"), (L{"a", ""}));
}
