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
#include "IniFileError.h"
#include "StorageTestFiles.h"

namespace {

IniDocument Doc(const char* utf8)
{
    return IniDocument::FromText(QString::fromUtf8(utf8));
}

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
        EXPECT_EQ(d.ReadString("s", QString::fromUtf8(c.name), "-"), QString::fromUtf8(c.value)) << c.name;
}

TEST(IniDocumentRead, LineWithoutEqualsIsKeptButNeverFound)
{
    IniDocument d = Doc("[S]\njust words\nx=1\n");
    EXPECT_EQ(d.ReadString("S", "just words", "-"), "-");
    EXPECT_EQ(d.LineCount("S"), 2);
    d.WriteString("S", "y", "2");
    EXPECT_EQ(d.Text(), QString("[S]\r\njust words\r\nx=1\r\ny=2\r\n\r\n"));
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
    EXPECT_EQ(d.Text(), QString("[A]\r\nx=-5\r\ny=2\r\n\r\n"
                                "[B]\r\nz=3\r\nnew=v=w\r\n\r\n"
                                "[C]\r\nn=0\r\n\r\n"));
    d.Clear();
    EXPECT_EQ(d.Text(), QString());
    EXPECT_EQ(d.ReadInteger("A", "y", 9), 9);
}

TEST(IniDocumentFile, AbsentFileGivesEmptyDocumentAndUpdateCreatesIt)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("new.ini");
    IniDocument d(path);
    EXPECT_EQ(d.Text(), QString());
    d.UpdateFile();
    EXPECT_TRUE(QFile::exists(path));
    EXPECT_EQ(ReadBytes(path), QByteArray());

    d.WriteString("Käse", "名前", "値");
    d.UpdateFile();
    // UTF-8 without a byte-order mark, CR LF line ends, one empty line after the section.
    EXPECT_EQ(ReadBytes(path), QByteArray("[K\xC3\xA4se]\r\n\xE5\x90\x8D\xE5\x89\x8D=\xE5\x80\xA4\r\n\r\n"));
    EXPECT_EQ(IniDocument(path).ReadString("käse", "名前", ""), "値");
    // An absent folder is just another absent file.
    EXPECT_EQ(IniDocument(dir.filePath("no/such/file.ini")).Text(), QString());
}

TEST(IniDocumentFile, ExistingButUnreadablePathsThrow)
{
    QTemporaryDir dir;
    EXPECT_THROW(IniDocument{dir.path()}, IniFileError);
    EXPECT_THROW(IniDocument{"/dev/null"}, IniFileError);
}

TEST(IniDocumentFile, UpdateFailuresThrowAndLeaveNothingBehind)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain");
    ASSERT_TRUE(WriteBytes(plain, "x"));
    IniDocument d = IniDocument::FromText("[S]\nk=v\n", plain + "/inside.ini");
    EXPECT_THROW(d.UpdateFile(), IniFileError);
    d = IniDocument::FromText("[S]\nk=v\n", dir.filePath("absent/inside.ini"));
    EXPECT_THROW(d.UpdateFile(), IniFileError);
    ASSERT_TRUE(QDir(dir.path()).mkdir("sub"));
    d = IniDocument::FromText("[S]\nk=v\n", dir.filePath("sub"));
    try {
        d.UpdateFile();
        ADD_FAILURE() << "writing over a folder succeeded";
    } catch (const IniFileError& e) {
        EXPECT_NE(std::string(e.what()).find("sub"), std::string::npos) << e.what();
    }
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({"plain", "sub"}));
    EXPECT_EQ(ReadBytes(plain), "x");
}

TEST(IniDocumentFile, UpdateKeepsAnExistingFilesModeAndFollowsLinks)
{
    QTemporaryDir dir;
    const QString real = dir.filePath("real.ini");
    const QString link = dir.filePath("link.ini");
    ASSERT_TRUE(WriteBytes(real, "[S]\r\nk=1\r\n"));
    ASSERT_TRUE(QFile::setPermissions(real, QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    ASSERT_TRUE(QFile::link(real, link));
    IniDocument d(link);
    d.WriteInteger("S", "k", 2);
    d.UpdateFile();
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(ReadBytes(real), "[S]\r\nk=2\r\n\r\n");
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(real).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
}

// A rename would get past the read-only mark; the write must refuse like a plain write would.
TEST(IniDocumentFile, ReadOnlyFileIsNotReplaced)
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
            IniDocument::FromText("[S]\nk=2\n", path).UpdateFile();
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
TEST(IniDocumentFile, InterruptedUpdateLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("target.ini");
    IniDocument oldDoc = IniDocument::FromText("[Old]\nkeep=1\n", path);
    oldDoc.UpdateFile();
    const QByteArray oldBytes = ReadBytes(path);

    IniDocument newDoc = IniDocument::FromText("", path);
    for (int i = 0; i < 60000; ++i)
        newDoc.WriteString("New", QString("entry%1").arg(i), QString(40, QChar('a' + i % 26)));
    const QByteArray newBytes = newDoc.Text().toUtf8();
    ASSERT_GT(newBytes.size(), 2 * 1000 * 1000);

    const auto startWriter = [&newDoc] {
        const pid_t child = fork();
        if (child == 0) {
            try {
                newDoc.UpdateFile();
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

// Generous bound: these must not hang, but sanitizer builds on a busy machine are slow.
constexpr qint64 kQuickMs = 60000;

TEST(IniDocumentLimits, FiftyMegabyteLineLoadsQuickly)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("long.ini");
    ASSERT_TRUE(WriteBytes(path, "[S]\nk=" + QByteArray(50 * 1000 * 1000, 'x') + "\n"));
    QElapsedTimer timer;
    timer.start();
    const IniDocument d(path);
    EXPECT_LT(timer.elapsed(), kQuickMs);
    EXPECT_EQ(d.ReadString("S", "k", "").size(), 50 * 1000 * 1000);
}

TEST(IniDocumentLimits, BinaryDataLoadsAsReplacedText)
{
    QTemporaryDir dir;
    QByteArray noise(8 * 1000 * 1000, '\0');
    std::mt19937 rng(7);
    for (char& c : noise)
        c = static_cast<char>(rng());
    const QString path = dir.filePath("binary.ini");
    ASSERT_TRUE(WriteBytes(path, "[S]\n" + noise));
    QElapsedTimer timer;
    timer.start();
    const IniDocument d(path);
    EXPECT_LT(timer.elapsed(), kQuickMs);
    EXPECT_GT(d.LineCount("S"), 0);
    EXPECT_TRUE(d.Text().contains(QChar(0xFFFD)));
}

TEST(IniDocumentLimits, LineCountIsBounded)
{
    QTemporaryDir dir;
    QByteArray many = "[S]\n";
    for (int i = 0; i < IniDocument::kMaxLines - 1; ++i)
        many += "k=1\n";
    const QString path = dir.filePath("many.ini");
    ASSERT_TRUE(WriteBytes(path, many));
    QElapsedTimer timer;
    timer.start();
    EXPECT_EQ(IniDocument(path).LineCount("S"), IniDocument::kMaxLines - 1);
    ASSERT_TRUE(WriteBytes(path, many + "k=1\n"));
    EXPECT_THROW(IniDocument{path}, IniFileError);
    // Nor is a file written that would be refused so.
    IniDocument atLimit = IniDocument::FromText(QString::fromLatin1(many), path);
    atLimit.WriteString("S", "one more", "1");
    EXPECT_THROW(atLimit.UpdateFile(), IniFileError);
    EXPECT_EQ(ReadBytes(path).size(), many.size() + 4);
    // Empty lines and comments are not kept, so they do not count.
    ASSERT_TRUE(WriteBytes(path, "[S]\n" + QByteArray(3 * 1000 * 1000, '\n') + QByteArray(";\n").repeated(500000)));
    EXPECT_EQ(IniDocument(path).LineCount("S"), 0);
    EXPECT_LT(timer.elapsed(), kQuickMs);
}

TEST(IniDocumentLimits, OversizedFileIsRefused)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("huge.ini");
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        ASSERT_TRUE(f.resize(IniDocument::kMaxFileSize + 1));
    }
    try {
        IniDocument d(path);
        ADD_FAILURE() << "an oversized file was read";
    } catch (const IniFileError& e) {
        EXPECT_NE(std::string(e.what()).find("larger than 64 MiB"), std::string::npos) << e.what();
    }
    ASSERT_TRUE(QFile::resize(path, IniDocument::kMaxFileSize));
    EXPECT_NO_THROW(IniDocument{path});
}
