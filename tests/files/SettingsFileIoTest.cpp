#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "IniDocument.h"
#include "IniFile.h"
#include "IniFileError.h"
#include "SettingsFile.h"
#include "SettingsFileIo.h"
#include "StorageTestFiles.h"

namespace {

ModelBank DefaultBank()
{
    ModelBank bank;
    bank.Initialise();
    return bank;
}

ModelBank EditedBank()
{
    ModelBank bank = DefaultBank();
    bank.ModelNumber = 120;
    bank.models[1].NBRK = 3;
    bank.models[1].MEMO = "stay";
    return bank;
}

}  // namespace

TEST(SettingsFileIoSave, ReplacesEverythingAnExistingFileHeld)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("old.VXS");
    ASSERT_TRUE(WriteBytes(path, "[Other]\r\nx=1\r\n[VxrManager]\r\nEXTRA=5\r\nMDL1_NBRK=3\r\n"));
    ASSERT_EQ(SettingsFileIo::Save(DefaultBank(), path), SettingsFileIo::SaveResult::Saved);
    const IniDocument d = IniFile::Load(path);
    EXPECT_EQ(d.ReadString("Other", "x", "gone"), "gone");
    EXPECT_EQ(d.ReadString("VxrManager", "EXTRA", "gone"), "gone");
    EXPECT_EQ(d.ReadInteger("VxrManager", "MDL1_NBRK", 0), 128);
    EXPECT_TRUE(ReadBytes(path).startsWith("[VxrManager]\r\nSYS_MDL=0\r\n"));
}

TEST(SettingsFileIoSave, UnwritablePlaceReportsNotWritableAndWritesNothing)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain");
    ASSERT_TRUE(WriteBytes(plain, "x"));
    for (const QString& path : {plain + "/set1.VXS", dir.filePath("absent/set1.VXS"), QString("/proc/set1.VXS")})
        EXPECT_EQ(SettingsFileIo::Save(DefaultBank(), path), SettingsFileIo::SaveResult::NotWritable) << path.toStdString();
    EXPECT_EQ(ReadBytes(plain), "x");
    // A folder by that name exists but cannot be read as a file.
    EXPECT_THROW(SettingsFileIo::Save(DefaultBank(), dir.path()), IniFileError);
}

// Asked to stop (Ctrl-C) just before the old file would be replaced: it stays, no temporary file.
TEST(SettingsFileIoSave, ASaveAskedToStopLeavesTheOldFileAndNoTemporaryOne)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath("old.VXS");
    ASSERT_TRUE(WriteBytes(existing, "[VxrManager]\r\nSYS_CUR=1\r\n\r\n"));
    int asked = 0;
    EXPECT_THROW(SettingsFileIo::Save(DefaultBank(), existing, [&asked] { return ++asked > 0; }), IniFileError);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(ReadBytes(existing), "[VxrManager]\r\nSYS_CUR=1\r\n\r\n");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"old.VXS"});
    EXPECT_EQ(SettingsFileIo::Save(DefaultBank(), existing, [] { return false; }), SettingsFileIo::SaveResult::Saved);
    EXPECT_TRUE(ReadBytes(existing).startsWith("[VxrManager]\r\nSYS_MDL=0\r\n"));
}

TEST(SettingsFileIoSave, BankWhoseFileWouldNotOpenIsRefusedAndNothingWritten)
{
    QTemporaryDir dir;
    const QString existing = dir.filePath("old.VXS");
    ASSERT_TRUE(WriteBytes(existing, "[VxrManager]\r\nSYS_CUR=1\r\n"));
    ModelBank tooLong = DefaultBank();
    tooLong.models[1].MEMO = std::string(IniDocument::kMaxFileSize, 'x');
    ModelBank tooManyLines = DefaultBank();
    tooManyLines.models[4].MEMO = std::string(SettingsFile::kMaxMemoLines + 1, '\n');
    ModelBank atTheLimit = DefaultBank();
    atTheLimit.models[4].MEMO = std::string(SettingsFile::kMaxMemoLines - 1, '\n');
    atTheLimit.models[0].MEMO = "last";
    EXPECT_EQ(SettingsFileIo::Save(tooLong, existing), SettingsFileIo::SaveResult::NotWritable);
    EXPECT_EQ(SettingsFileIo::Save(tooManyLines, dir.filePath("new.VXS")), SettingsFileIo::SaveResult::NotWritable);
    EXPECT_EQ(ReadBytes(existing), "[VxrManager]\r\nSYS_CUR=1\r\n");
    EXPECT_FALSE(QFile::exists(dir.filePath("new.VXS")));

    ASSERT_EQ(SettingsFileIo::Save(atTheLimit, existing), SettingsFileIo::SaveResult::Saved);
    ModelBank loaded = DefaultBank();
    SettingsFileIo::Load(existing, loaded);
    EXPECT_EQ(loaded.models[0].MEMO, "last\r\n");
    EXPECT_EQ(loaded.models[4].MEMO.size(), 2u * (SettingsFile::kMaxMemoLines - 1));
}

TEST(SettingsFileIoLoad, UnreadableFileThrowsAndLeavesTheBankUnchanged)
{
    QTemporaryDir dir;
    ModelBank bank = EditedBank();
    const ModelBank before = bank;
    EXPECT_THROW(SettingsFileIo::Load(dir.path(), bank), IniFileError);
    EXPECT_EQ(bank, before);
}


TEST(SettingsFileIoLoad, AbsentFileGivesEveryDefault)
{
    QTemporaryDir dir;
    ModelBank absent = EditedBank();
    SettingsFileIo::Load(dir.filePath("missing.VXS"), absent);
    EXPECT_EQ(absent, DefaultBank());
}
