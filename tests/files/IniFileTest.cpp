#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <csignal>
#include <random>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "IniDocument.h"
#include "IniFile.h"
#include "IniFileError.h"
#include "StorageTestFiles.h"

TEST(IniFile, AbsentFileGivesEmptyDocumentAndUpdateCreatesIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("new.ini");
    IniDocument d = IniFile::Load(path);
    EXPECT_EQ(d.Bytes(), "");
    IniFile::Update(d, path);
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(ReadBytes(path), QByteArray());

    d.WriteString("Käse", "名前", "値");
    IniFile::Update(d, path);
    // UTF-8 without a byte-order mark, CR LF line ends, one empty line after the section.
    EXPECT_EQ(ReadBytes(path), QByteArray("[K\xC3\xA4se]\r\n\xE5\x90\x8D\xE5\x89\x8D=\xE5\x80\xA4\r\n\r\n"));
    EXPECT_EQ(IniFile::Load(path).ReadString("käse", "名前", ""), "値");
    // An absent folder is just another absent file.
    EXPECT_EQ(IniFile::Load(dir.filePath("no/such/file.ini")).Bytes(), "");
}

TEST(IniFile, ExistingButUnreadablePathsThrow)
{
    QTemporaryDir dir;
    EXPECT_THROW(IniFile::Load(dir.path()), IniFileError);
    EXPECT_THROW(IniFile::Load("/dev/null"), IniFileError);
}

TEST(IniFile, UpdateFailuresThrowAndLeaveNothingBehind)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain");
    ASSERT_TRUE(WriteBytes(plain, "x"));
    const IniDocument d = IniDocument::FromText("[S]\nk=v\n");
    EXPECT_THROW(IniFile::Update(d, plain + "/inside.ini"), IniFileError);
    EXPECT_THROW(IniFile::Update(d, dir.filePath("absent/inside.ini")), IniFileError);
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    try {
        IniFile::Update(d, dir.filePath("sub"));
        ADD_FAILURE() << "writing over a folder succeeded";
    } catch (const IniFileError& e) {
        EXPECT_NE(std::string(e.what()).find("sub"), std::string::npos) << e.what();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"plain", "sub"}));
    EXPECT_EQ(ReadBytes(plain), "x");
}

TEST(IniFile, UpdateKeepsAnExistingFilesModeAndFollowsLinks)
{
    QTemporaryDir dir;
    const QString real = dir.filePath("real.ini");
    const QString link = dir.filePath("link.ini");
    ASSERT_TRUE(WriteBytes(real, "[S]\r\nk=1\r\n"));
    ASSERT_TRUE(QFile::setPermissions(real, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::link(real, link));
    IniDocument d = IniFile::Load(link);
    d.WriteInteger("S", "k", 2);
    IniFile::Update(d, link);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadBytes(real), "[S]\r\nk=2\r\n\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

// A rename would get past the read-only mark; the write must refuse like a plain write would.
TEST(IniFile, ReadOnlyFileIsNotReplaced)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("locked.ini");
    ASSERT_TRUE(WriteBytes(path, "[S]\r\nk=1\r\n"));
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0777), 0);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    // Root may write anything, so the attempt runs as an ordinary user.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(3);
        try {
            IniFile::Update(IniDocument::FromText("[S]\nk=2\n"), path);
        } catch (const IniFileError&) {
            _exit(0);
        }
        _exit(1);
    }
    int status = 0;
    waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_EQ(ReadBytes(path), "[S]\r\nk=1\r\n");
}

// A writer killed at any moment leaves the target either as it was or as it was meant to be.
TEST(IniFile, InterruptedUpdateLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("target.ini");
    IniFile::Update(IniDocument::FromText("[Old]\nkeep=1\n"), path);
    const QByteArray oldBytes = ReadBytes(path);

    IniDocument newDoc;
    for (int i = 0; i < 60000; ++i)
        newDoc.WriteString("New", "entry" + std::to_string(i), std::string(40, static_cast<char>('a' + i % 26)));
    const QByteArray newBytes = QByteArray::fromStdString(newDoc.Bytes());
    ASSERT_GT(newBytes.size(), 2 * 1000 * 1000);

    const auto startWriter = [&newDoc, &path] {
        const pid_t child = fork();
        if (child == 0) {
            try {
                IniFile::Update(newDoc, path);
            } catch (...) {
                _exit(2);
            }
            _exit(0);
        }
        return child;
    };
    // Kill times spread over the length of one whole write, measured here, so that slow
    // (sanitizer) builds are cut at all stages too.
    QElapsedTimer timer;
    timer.start();
    const pid_t probe = startWriter();
    ASSERT_GE(probe, 0);
    int probeStatus = 0;
    waitpid(probe, &probeStatus, 0);
    ASSERT_TRUE(WIFEXITED(probeStatus) && WEXITSTATUS(probeStatus) == 0);
    ASSERT_EQ(ReadBytes(path), newBytes);
    const auto window = static_cast<useconds_t>(timer.nsecsElapsed() / 1000 * 3 / 2 + 1000);

    std::mt19937 rng(12345);
    int sawOld = 0;
    int sawNew = 0;
    for (int trial = 0; trial < 30; ++trial) {
        ASSERT_TRUE(WriteBytes(path, oldBytes));
        const pid_t child = startWriter();
        ASSERT_GE(child, 0);
        usleep(std::uniform_int_distribution<useconds_t>(0, window)(rng));
        kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        const QByteArray now = ReadBytes(path);
        ASSERT_TRUE(now == oldBytes || now == newBytes) << "trial " << trial << ", size " << now.size();
        (now == oldBytes ? sawOld : sawNew)++;
    }
    // Both outcomes should occur; otherwise the timing above does not test anything.
    EXPECT_GT(sawOld, 0);
    EXPECT_GT(sawNew, 0);
}

TEST(IniFile, OversizedFileIsRefused)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("huge.ini");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(IniDocument::kMaxFileSize + 1));
    }
    try {
        IniFile::Load(path);
        ADD_FAILURE() << "an oversized file was read";
    } catch (const IniFileError& e) {
        EXPECT_NE(std::string(e.what()).find("larger than 64 MiB"), std::string::npos) << e.what();
    }
    ASSERT_TRUE(QFile::resize(path, IniDocument::kMaxFileSize));
    EXPECT_NO_THROW(IniFile::Load(path));
}

TEST(IniFile, ADocumentThatWouldNotReadAgainIsNotWritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("many.ini");
    ASSERT_TRUE(WriteBytes(path, "[S]\r\n"));
    IniDocument many;
    for (int64_t i = 0; i < IniDocument::kMaxLines; ++i)
        many.WriteInteger("S", "k" + std::to_string(i), 1);
    EXPECT_THROW(IniFile::Update(many, path), IniFileError);
    EXPECT_EQ(ReadBytes(path), "[S]\r\n");
}
