#include <gtest/gtest.h>

#include "SettingsFile.h"
#include "TransferHistory.h"

namespace {

using Action = HistoryEntry::Action;
using Kind = TransferHistory::Kind;
using Written = TransferResult::Written;

class TransferHistoryTest : public ::testing::Test {
protected:
    TransferHistory::Transfer t;
    ModelBank controller;

    void SetUp() override
    {
        t.bank.Initialise();
        t.bank.models[1].MEMO = "wet\r\n";
        t.port = "COM3";
        t.timeMs = 1000;
        controller = t.bank;
        controller.models[1].NBRK = 9;
        controller.models[4].FRQ[0] = 40;
    }

    static HistoryEntry Kept(const ModelBank& bank)
    {
        HistoryEntry e;
        e.settings = SettingsFile::ToBytes(bank);
        return e;
    }
};

TEST_F(TransferHistoryTest, ReadsKeepWhatWasRead)
{
    t.kind = Kind::ReadAll;
    auto entries = TransferHistory::Entries(t, nullptr);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].action, Action::Read);
    EXPECT_EQ(entries[0].model, -1);
    EXPECT_EQ(entries[0].port, "COM3");
    EXPECT_EQ(entries[0].timeMs, 1000);
    EXPECT_EQ(entries[0].changed, HistoryEntry::kAllModels);  // nothing before to compare with
    EXPECT_EQ(entries[0].Bank(), t.bank);

    t.kind = Kind::ReadShown;
    t.model = 3;
    const HistoryEntry previous = Kept(controller);
    entries = TransferHistory::Entries(t, &previous);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].action, Action::ReadModel);
    EXPECT_EQ(entries[0].model, 3);
    EXPECT_EQ(entries[0].changed, 0b10010);
}

TEST_F(TransferHistoryTest, AWriteKeepsTheControllersSetupBeforeItAndThenTheWrittenOne)
{
    t.before = controller;
    const HistoryEntry previous = Kept(controller);
    for (Kind kind : {Kind::WriteAll, Kind::WriteShown}) {
        t.kind = kind;
        t.model = 1;
        const auto entries = TransferHistory::Entries(t, &previous);
        ASSERT_EQ(entries.size(), 2u);
        EXPECT_EQ(entries[0].action, Action::BeforeWrite);
        EXPECT_EQ(entries[0].Bank(), controller);
        EXPECT_EQ(entries[0].changed, 0);  // the same as the newest entry
        EXPECT_EQ(entries[1].action, kind == Kind::WriteAll ? Action::Write : Action::WriteModel);
        EXPECT_EQ(entries[1].Bank(), t.bank);
        EXPECT_EQ(entries[1].changed, 0b10010);  // compared with the entry just before it
        EXPECT_EQ(entries[1].model, kind == Kind::WriteAll ? -1 : 1);
    }
}

TEST_F(TransferHistoryTest, FailedTransfersKeepOnlyWhatCanUndoThem)
{
    struct Case {
        const char* what;
        Kind kind;
        bool readsDone;
        Written model;
        Written number;
        size_t entries;
    };
    const Case cases[] = {
        {"read failed", Kind::ReadAll, false, Written::No, Written::No, 0},
        {"write failed in its reads", Kind::WriteAll, false, Written::No, Written::No, 0},
        {"nothing went out", Kind::WriteAll, true, Written::No, Written::No, 0},
        {"a model may have been written", Kind::WriteShown, true, Written::Maybe, Written::No, 1},
        {"a model was written", Kind::WriteAll, true, Written::Yes, Written::No, 1},
        {"the model number alone", Kind::WriteAll, true, Written::Yes, Written::Maybe, 1},
    };
    for (const Case& c : cases) {
        t.kind = c.kind;
        t.result = TransferResult{};
        t.result.ok = false;
        t.result.written[1] = c.model;
        t.result.modelNumber = c.number;
        t.before = c.readsDone ? std::optional<ModelBank>(controller) : std::nullopt;
        const auto entries = TransferHistory::Entries(t, nullptr);
        ASSERT_EQ(entries.size(), c.entries) << c.what;
        if (!entries.empty()) {
            EXPECT_EQ(entries[0].action, Action::BeforeWrite) << c.what;
            EXPECT_EQ(entries[0].Bank(), controller) << c.what;
        }
    }
}

}  // namespace
