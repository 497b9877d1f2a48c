// A save killed at any moment, hundreds of times over: the settings file is always the old one
// or the new one, byte for byte, never a mixture or a torn file.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <csignal>
#include <algorithm>
#include <filesystem>
#include <random>
#include <string>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

#include "IniDocument.h"
#include "ModelBank.h"
#include "IniFile.h"
#include "SettingsFileIo.h"
#include "StorageTestFiles.h"

namespace {

int ThreadCount()
{
    int n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator("/proc/self/task"))
        ++n;
    return n;
}

// A bank whose memos are large enough that one save takes a measurable time.
ModelBank BigBank(char fill, int linesPerModel)
{
    ModelBank bank;
    bank.Initialise();
    for (int i = 0; i < ModelBank::kModels; ++i) {
        ModelSettings& m = bank.models[static_cast<size_t>(i)];
        m.NBRK = fill + i;
        std::string memo;
        for (int k = 0; k < linesPerModel; ++k)
            memo += std::string(1, fill) + std::to_string(k) + std::string(48, static_cast<char>(fill + k % 10)) + "\r\n";
        m.MEMO = memo;
    }
    bank.ModelNumber = fill % 5 * ModelBank::kModelStep;
    return bank;
}

// Runs the save in a child process; only the save runs there.
pid_t StartSave(const ModelBank& bank, const QString& path)
{
    const pid_t child = fork();
    if (child == 0) {
        try {
            _exit(SettingsFileIo::Save(bank, path) == SettingsFileIo::SaveResult::Saved ? 0 : 1);
        } catch (...) {
            _exit(2);
        }
    }
    return child;
}

// Removes the hidden temporary files a killed save leaves beside the target; their number.
int RemoveLeftovers(const QString& folder, const QString& target)
{
    int n = 0;
    const QString prefix = "." + target + ".";
    for (const QString& name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
        if (name.startsWith(prefix) && name.endsWith(".tmp")) {
            QFile::remove(QDir(folder).filePath(name));
            ++n;
        }
    }
    return n;
}

class InterruptedSave : public ::testing::Test {
protected:
    void SetUp() override
    {
        // fork() copies only the calling thread; the child is safe only if there is no other.
        ASSERT_EQ(ThreadCount(), 1) << "the save must be forked from a single-threaded process";
    }

    // Duration of one whole save over the old file, measured in a child as the trials run it:
    // the median of five, so that one save slowed by a busy machine does not stretch the window.
    qint64 MeasureSaveNs(const QByteArray& oldBytes, const ModelBank& bank)
    {
        std::vector<qint64> took;
        for (int k = 0; k < 5; ++k) {
            EXPECT_TRUE(WriteBytes(path, oldBytes));
            QElapsedTimer timer;
            timer.start();
            const pid_t child = StartSave(bank, path);
            int status = 0;
            waitpid(child, &status, 0);
            took.push_back(timer.nsecsElapsed());
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        }
        std::sort(took.begin(), took.end());
        return took[took.size() / 2];
    }

    // One trial: the file holds before, a save of bank starts and is killed after delayUs.
    void KillSaveAfter(const QByteArray& before, const ModelBank& bank, qint64 delayUs, int& status)
    {
        ASSERT_TRUE(WriteBytes(path, before));
        const pid_t child = StartSave(bank, path);
        ASSERT_GT(child, 0);
        usleep(static_cast<useconds_t>(delayUs));
        kill(child, SIGKILL);
        ASSERT_EQ(waitpid(child, &status, 0), child);
    }

    QTemporaryDir dir;
    QString path = dir.filePath("bank.VXS");
};

TEST_F(InterruptedSave, AKilledSaveLeavesTheWholeOldOrTheWholeNewFile)
{
    const ModelBank oldBank = BigBank('a', 1000);
    const ModelBank newBank = BigBank('n', 1000);
    ASSERT_EQ(SettingsFileIo::Save(oldBank, path), SettingsFileIo::SaveResult::Saved);
    const QByteArray oldBytes = ReadBytes(path);
    ASSERT_EQ(SettingsFileIo::Save(newBank, path), SettingsFileIo::SaveResult::Saved);
    const QByteArray newBytes = ReadBytes(path);
    ASSERT_GT(oldBytes.size(), 300 * 1000);
    ASSERT_NE(oldBytes, newBytes);
    // A save first rewrites the existing file with its own content to prove the place
    // writable; for a file this program wrote, that changes no byte.
    ASSERT_TRUE(WriteBytes(path, oldBytes));
    IniFile::Update(IniFile::Load(path), path);
    ASSERT_EQ(ReadBytes(path), oldBytes);

    // Kill times spread over one and a half saves, so that every stage, the final rename
    // included, is cut in some trials, however fast or slow this build is.
    const qint64 windowUs = MeasureSaveNs(oldBytes, newBank) * 3 / 2 / 1000 + 1000;

    std::mt19937 rng(20261207);
    std::uniform_int_distribution<qint64> killAt(0, windowUs);
    constexpr int kTrials = 300;
    int sawOld = 0;
    int sawNew = 0;
    int cutMidWrite = 0;  // a temporary file was left: the kill came between its creation and the rename
    // Every trial checks the file; more trials, up to three times as many, only when a busy
    // machine's timing left a stage too rarely cut.
    const auto reachedEveryStage = [&] { return sawOld >= kTrials / 10 && sawNew >= kTrials / 10 && cutMidWrite >= 1; };
    // The extra trials aim at the side that was missed: a busy machine can make the saves
    // slower or faster than when they were measured.
    std::uniform_int_distribution<qint64> killEarly(0, windowUs / 3);
    std::uniform_int_distribution<qint64> killLate(windowUs / 2, windowUs * 3);
    int trial = 0;
    for (; trial < kTrials || (!reachedEveryStage() && trial < 3 * kTrials); ++trial) {
        int status = 0;
        qint64 delayUs = killAt(rng);
        if (trial >= kTrials && sawOld < kTrials / 10)
            delayUs = killEarly(rng);
        else if (trial >= kTrials && sawNew < kTrials / 10)
            delayUs = killLate(rng);
        ASSERT_NO_FATAL_FAILURE(KillSaveAfter(oldBytes, newBank, delayUs, status));
        // A save that finished before the kill must have succeeded.
        if (WIFEXITED(status)) {
            ASSERT_EQ(WEXITSTATUS(status), 0) << "trial " << trial;
        }

        const QByteArray now = ReadBytes(path);
        ASSERT_TRUE(now == oldBytes || now == newBytes)
            << "trial " << trial << ": " << now.size() << " bytes, neither the old " << oldBytes.size()
            << " nor the new " << newBytes.size();
        (now == oldBytes ? sawOld : sawNew)++;
        if (RemoveLeftovers(dir.path(), "bank.VXS") > 0) {
            ++cutMidWrite;
            EXPECT_TRUE(WIFSIGNALED(status)) << "a finished save left its temporary file, trial " << trial;
        }
    }
    // Otherwise the kill times did not reach all stages and the trials proved little. The
    // temporary file lives for a few per cent of a save only (less in slow builds, where the
    // preparation grows more than the writing), so a handful of such cuts is all one can ask.
    EXPECT_GE(sawOld, kTrials / 10);
    EXPECT_GE(sawNew, kTrials / 10);
    EXPECT_GE(cutMidWrite, 1);
    std::cout << "old " << sawOld << ", new " << sawNew << ", cut while writing " << cutMidWrite << " of " << trial
              << " (kills within " << windowUs / 1000 << " ms)\n";

    // The file is usable whichever way the last trial ended.
    const ModelBank loaded = LoadedBank(path);
    EXPECT_TRUE(loaded == oldBank || loaded == newBank);
}

// A file this program did not write (LF line ends, a comment) is first rewritten in this
// program's form by the save's writability check; a kill after that leaves that form, which
// holds the same settings. Never anything else.
TEST_F(InterruptedSave, AKilledSaveOverAForeignFileLeavesItsSettingsOrTheNewFile)
{
    const ModelBank newBank = BigBank('n', 1000);
    ASSERT_EQ(SettingsFileIo::Save(BigBank('a', 1000), path), SettingsFileIo::SaveResult::Saved);
    QByteArray foreign = ReadBytes(path);
    foreign.replace("\r\n", "\n");
    foreign.prepend("; written by hand\n");
    ASSERT_TRUE(WriteBytes(path, foreign));
    IniFile::Update(IniFile::Load(path), path);
    const QByteArray rewritten = ReadBytes(path);
    ASSERT_NE(rewritten, foreign);
    const ModelBank oldBank = LoadedBank(path);
    ASSERT_EQ(SettingsFileIo::Save(newBank, path), SettingsFileIo::SaveResult::Saved);
    const QByteArray newBytes = ReadBytes(path);

    const qint64 windowUs = MeasureSaveNs(foreign, newBank) * 3 / 2 / 1000 + 1000;
    std::mt19937 rng(7);
    std::uniform_int_distribution<qint64> killAt(0, windowUs);
    int sawRewritten = 0;
    for (int trial = 0; trial < 40; ++trial) {
        int status = 0;
        ASSERT_NO_FATAL_FAILURE(KillSaveAfter(foreign, newBank, killAt(rng), status));
        const QByteArray now = ReadBytes(path);
        ASSERT_TRUE(now == foreign || now == rewritten || now == newBytes) << "trial " << trial << ", " << now.size()
                                                                            << " bytes";
        if (now == rewritten) {
            ++sawRewritten;
            EXPECT_EQ(LoadedBank(path), oldBank);
        }
        RemoveLeftovers(dir.path(), "bank.VXS");
    }
    std::cout << "left in the rewritten form " << sawRewritten << " of 40\n";
}

}  // namespace
