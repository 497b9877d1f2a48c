#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <set>
#include <thread>

#include "HistoryStore.h"
#include "IniFileError.h"
#include "SettingsFile.h"
#include "StorageTestFiles.h"

namespace {

using Action = HistoryEntry::Action;

HistoryEntry MakeEntry(Action action, int nbrk, const std::string& memo = {})
{
    ModelBank bank;
    bank.Initialise();
    bank.models[0].NBRK = nbrk;
    bank.models[0].MEMO = memo;
    HistoryEntry e;
    e.timeMs = 1'000'000 + nbrk;
    e.action = action;
    e.port = "COM" + std::to_string(nbrk % 20 + 1);
    e.changed = static_cast<uint8_t>(nbrk % 32);
    e.settings = SettingsFile::ToBytes(bank);
    return e;
}

class HistoryStoreTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    HistoryStore store{dir.filePath("history")};

    QString Index() const { return dir.filePath("history/index"); }
    std::vector<int64_t> Ids() const
    {
        std::vector<int64_t> ids;
        for (const auto& item : store.List())
            ids.push_back(item.id);
        return ids;
    }
};

TEST_F(HistoryStoreTest, EntriesAreListedNewestFirstNamedAndDeleted)
{
    EXPECT_TRUE(store.List().empty());
    EXPECT_FALSE(store.Newest());
    const int64_t a = store.Add(MakeEntry(Action::BeforeWrite, 10, "first line\r\nsecond\r\n"));
    const int64_t b = store.Add(MakeEntry(Action::Write, 11));
    const int64_t c = store.Add(MakeEntry(Action::ReadModel, 12));
    EXPECT_EQ(Ids(), (std::vector<int64_t>{c, b, a}));

    const auto items = store.List();
    EXPECT_EQ(items[2].action, Action::BeforeWrite);
    EXPECT_EQ(items[2].timeMs, 1'000'010);
    EXPECT_EQ(items[2].port, "COM11");
    EXPECT_EQ(items[2].changed, 10);
    EXPECT_EQ(items[2].memoLine, "first line");
    EXPECT_EQ(store.Load(b)->settings, MakeEntry(Action::Write, 11).settings);
    EXPECT_EQ(store.Newest()->action, Action::ReadModel);

    EXPECT_TRUE(store.SetName(a, "Tsukuba,\nwet"));
    EXPECT_EQ(store.List()[2].name, "Tsukuba, wet");
    EXPECT_EQ(store.Load(a)->name, "Tsukuba, wet");
    EXPECT_TRUE(store.SetName(a, ""));
    EXPECT_EQ(store.Load(a)->name, "");
    EXPECT_FALSE(store.SetName(99, "none"));

    EXPECT_TRUE(store.Delete(c));
    EXPECT_FALSE(store.Delete(c));
    EXPECT_FALSE(store.Load(c));
    EXPECT_EQ(Ids(), (std::vector<int64_t>{b, a}));
    // The deleted id is not given again: its index line must not describe another entry.
    const int64_t d = store.Add(MakeEntry(Action::Read, 13));
    EXPECT_GT(d, c);
    EXPECT_EQ(store.List()[0].action, Action::Read);
}

TEST_F(HistoryStoreTest, TheEntryFilesAreTheTruthWhateverBecameOfTheIndex)
{
    for (int k = 0; k < 4; ++k)
        store.Add(MakeEntry(Action::Read, 20 + k, "memo " + std::to_string(k)));
    const auto whole = store.List();
    auto listed = [&] {
        const auto items = store.List();
        EXPECT_EQ(items.size(), whole.size());
        for (size_t k = 0; k < items.size() && k < whole.size(); ++k) {
            EXPECT_EQ(items[k].id, whole[k].id);
            EXPECT_EQ(items[k].memoLine, whole[k].memoLine);
            EXPECT_EQ(items[k].port, whole[k].port);
        }
    };

    // Lost: rebuilt from the entries, and written again.
    ASSERT_TRUE(QFile::remove(Index()));
    listed();
    EXPECT_EQ(ReadBytes(Index()).count('\n'), 4);

    // A line cut short by a crash, then an entry added after it.
    QByteArray text = ReadBytes(Index());
    ASSERT_TRUE(WriteBytes(Index(), text.left(text.size() - 5)));
    listed();
    const int64_t e = store.Add(MakeEntry(Action::Write, 30, "late"));
    EXPECT_EQ(store.List()[0].id, e);
    EXPECT_EQ(store.List()[0].memoLine, "late");
    store.Delete(e);

    // A line altered in place fails its check and the entry file is read instead.
    text = ReadBytes(Index());
    text.replace("memo 2", "memo X");
    ASSERT_TRUE(WriteBytes(Index(), text));
    listed();
}

TEST_F(HistoryStoreTest, DamagedEntriesAndFilesBeingWrittenAreNotListed)
{
    const int64_t a = store.Add(MakeEntry(Action::Read, 40));
    const int64_t b = store.Add(MakeEntry(Action::Write, 41));
    ASSERT_TRUE(QFile::remove(Index()));
    const QString newest = dir.filePath("history/" + QString::number(b) + ".vxh");
    const QByteArray bytes = ReadBytes(newest);
    ASSERT_TRUE(WriteBytes(newest, bytes.left(bytes.size() / 2)));
    ASSERT_TRUE(WriteBytes(dir.filePath("history/.incoming-x.vxh"), bytes));
    ASSERT_TRUE(WriteBytes(dir.filePath("history/notes.txt"), "x"));
    EXPECT_EQ(Ids(), (std::vector<int64_t>{a}));
    EXPECT_EQ(store.Newest()->action, Action::Read);  // compared with the last whole entry
}

TEST_F(HistoryStoreTest, ProgramsAddingAtOnceEachGetTheirOwnId)
{
    std::vector<std::thread> writers;
    for (int w = 0; w < 4; ++w)
        writers.emplace_back([this, w] {
            for (int k = 0; k < 15; ++k)
                store.Add(MakeEntry(Action::Read, w * 100 + k));
        });
    for (auto& t : writers)
        t.join();
    const auto items = store.List();
    ASSERT_EQ(items.size(), 60u);
    std::set<int> seen;
    for (const auto& item : items)
        seen.insert(static_cast<int>(item.timeMs - 1'000'000));
    EXPECT_EQ(seen.size(), 60u);
}

TEST_F(HistoryStoreTest, AStoreThatCannotBeWrittenSaysSoAndKeepsWhatItHas)
{
    const int64_t a = store.Add(MakeEntry(Action::Read, 50));
    ASSERT_TRUE(WriteBytes(dir.filePath("blocked"), "a file, not a folder"));
    const HistoryStore blocked(dir.filePath("blocked/history"));
    EXPECT_THROW(blocked.Add(MakeEntry(Action::Read, 51)), IniFileError);
    EXPECT_EQ(Ids(), (std::vector<int64_t>{a}));
}

}  // namespace
