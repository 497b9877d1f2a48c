#include <gtest/gtest.h>

#include "HistoryEntry.h"
#include "SettingsFile.h"

namespace {

ModelBank SampleBank()
{
    ModelBank bank;
    bank.Initialise();
    bank.ModelNumber = 80;
    bank.SYS_CUR = 42;
    bank.models[2].NBRK = 7;
    bank.models[2].FRQ[31] = 63;
    bank.models[2].MEMO = "\r\n  \r\nつくば 雨\r\nsecond\r\n";
    bank.models[4].MEMO = "spare\r\n";
    return bank;
}

HistoryEntry SampleEntry()
{
    HistoryEntry e;
    e.timeMs = 1'765'156'952'123;
    e.action = HistoryEntry::Action::BeforeWrite;
    e.model = 3;
    e.port = "/dev/ttyUSB0";
    e.name = "Tsukuba, wet";
    e.changed = 0b10101;
    e.settings = SettingsFile::ToBytes(SampleBank());
    return e;
}

void ExpectSame(const HistoryEntry& a, const HistoryEntry& b)
{
    EXPECT_EQ(a.timeMs, b.timeMs);
    EXPECT_EQ(a.action, b.action);
    EXPECT_EQ(a.model, b.model);
    EXPECT_EQ(a.port, b.port);
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.changed, b.changed);
    EXPECT_EQ(a.settings, b.settings);
}

TEST(HistoryEntryTest, EveryFieldAndActionSurvivesItsBytes)
{
    for (auto action : {HistoryEntry::Action::Read, HistoryEntry::Action::Write, HistoryEntry::Action::BeforeWrite,
                        HistoryEntry::Action::ReadModel, HistoryEntry::Action::WriteModel}) {
        HistoryEntry e = SampleEntry();
        e.action = action;
        e.model = action == HistoryEntry::Action::Read ? -1 : 4;
        const auto back = HistoryEntry::Decode(e.Encode());
        ASSERT_TRUE(back) << HistoryEntry::ActionName(action);
        ExpectSame(*back, e);
        const auto bank = back->Bank();
        ASSERT_TRUE(bank);
        // As a settings file keeps it (memo lines trimmed), otherwise the same.
        ModelBank expected = SampleBank();
        expected.models[2].MEMO = "\r\n\r\nつくば 雨\r\nsecond\r\n";
        EXPECT_EQ(*bank, expected);
    }
}

TEST(HistoryEntryTest, NamesAndPortsStayOneLine)
{
    HistoryEntry e = SampleEntry();
    e.name = "wet\r\nsecond line\tx=1";
    const auto back = HistoryEntry::Decode(e.Encode());
    ASSERT_TRUE(back);
    EXPECT_EQ(back->name, "wet  second line x=1");
    EXPECT_EQ(back->settings, e.settings);
}

TEST(HistoryEntryTest, DamagedBytesAreRefused)
{
    const std::string good = SampleEntry().Encode();
    // Cut short anywhere, or run on, the entry is not taken (the settings part would still load).
    for (size_t n = 0; n < good.size(); n += 7)
        EXPECT_FALSE(HistoryEntry::Decode(good.substr(0, n))) << "cut at " << n;
    EXPECT_FALSE(HistoryEntry::Decode(good + "X"));
    auto replaced = [&](const std::string& from, const std::string& to) {
        std::string s = good;
        s.replace(s.find(from), from.size(), to);
        return HistoryEntry::Decode(s);
    };
    EXPECT_FALSE(replaced("VXRMGR-HISTORY 1", "VXRMGR-HISTORY"));
    EXPECT_FALSE(replaced("action=before-write", "action=erase"));
    EXPECT_FALSE(replaced("changed=1,3,5", "changed=1,6"));
    EXPECT_FALSE(replaced("model=4", "model=9"));
    EXPECT_FALSE(replaced("time=", "when="));
    // A later version's keys are passed over.
    EXPECT_TRUE(replaced("port=", "colour=red\r\nport="));

    HistoryEntry notSettings = SampleEntry();
    notSettings.settings = "just text\r\n";
    EXPECT_FALSE(HistoryEntry::Decode(notSettings.Encode()));
}

TEST(HistoryEntryTest, IsoTimeInUtc)
{
    EXPECT_EQ(HistoryEntry::IsoTime(0), "1970-01-01T00:00:00Z");
    EXPECT_EQ(HistoryEntry::IsoTime(-1), "1969-12-31T23:59:59Z");
    EXPECT_EQ(HistoryEntry::IsoTime(951'782'400'000), "2000-02-29T00:00:00Z");
    EXPECT_EQ(HistoryEntry::IsoTime(1'765'156'952'999), "2025-12-08T01:22:32Z");
    EXPECT_EQ(HistoryEntry::IsoTime(4'107'542'399'000), "2100-02-28T23:59:59Z");
}

// What the window's history, its compare dialog and the page show for an entry's action.
TEST(HistoryEntryTest, ActionTextInEitherLanguage)
{
    using A = HistoryEntry::Action;
    const struct {
        A action;
        int model;
        const char* japanese;
        const char* english;
    } cases[] = {
        {A::Read, -1, "全て読取", "Read all"},
        {A::Read, 2, "全て読取", "Read all"},  // a model is named only for a transfer of one
        {A::Write, -1, "全て書込", "Write all"},
        {A::BeforeWrite, -1, "書込前", "Before write"},
        {A::BeforeWrite, 4, "書込前 (MODEL5)", "Before write (MODEL5)"},
        {A::ReadModel, 0, "MODEL1読取", "Read MODEL1"},
        {A::WriteModel, 2, "MODEL3書込", "Write MODEL3"},
        // Not made by a transfer: no number rather than a wrong one.
        {A::ReadModel, -1, "MODEL読取", "Read MODEL"},
        {A::WriteModel, 5, "MODEL書込", "Write MODEL"},
        {A::BeforeWrite, 7, "書込前", "Before write"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(HistoryEntry::ActionName(c.action)) + " " + std::to_string(c.model));
        EXPECT_EQ(HistoryEntry::ActionText(c.action, c.model, 0), c.japanese);
        EXPECT_EQ(HistoryEntry::ActionText(c.action, c.model, 1), c.english);
    }
}

TEST(HistoryEntryTest, FirstMemoLineOfTheConcernedModelFirst)
{
    HistoryEntry e = SampleEntry();
    e.model = -1;  // the shown model, MODEL3: blank lines passed over
    EXPECT_EQ(e.FirstMemoLine(), "つくば 雨");
    e.model = 4;
    EXPECT_EQ(e.FirstMemoLine(), "spare");
    e.model = 0;  // no memo there: the first model that has one
    EXPECT_EQ(e.FirstMemoLine(), "つくば 雨");
    ModelBank plain;
    plain.Initialise();
    e.settings = SettingsFile::ToBytes(plain);
    EXPECT_EQ(e.FirstMemoLine(), "");
}

TEST(HistoryEntryTest, DifferencesMarkEachModelThatDiffers)
{
    ModelBank a;
    a.Initialise();
    ModelBank b = a;
    b.ModelNumber = 120;  // the shown model alone is no difference
    b.SYS_CUR = 1;
    EXPECT_EQ(HistoryEntry::Differences(a, b), 0);
    b.models[0].FRQ[0] = 20;
    b.models[3].MEMO = "x";
    b.models[4].PROG = 2;
    EXPECT_EQ(HistoryEntry::Differences(a, b), 0b11001);
}

}  // namespace
