#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <sys/stat.h>

#include "AppSettings.h"
#include "IniDocument.h"
#include "StorageTestFiles.h"

TEST(AppSettings, MissingFileGivesOffAndExistsAfterwards)
{
    QTemporaryDir dir;
    const AppSettings s(dir.filePath("VXRMGR.ini"));
    EXPECT_EQ(s.LoadAppSettings(), 0);
    EXPECT_TRUE(QFile::exists(s.Path()));
    EXPECT_EQ(ReadBytes(s.Path()), QByteArray());
    s.SaveAppSettings(3);
    EXPECT_EQ(ReadBytes(s.Path()), "[VxrManager]\r\nCommPort=3\r\n");
    EXPECT_EQ(s.LoadAppSettings(), 3);
}

TEST(AppSettings, StoredValuesComeBackAsStored)
{
    QTemporaryDir dir;
    const AppSettings s(dir.filePath("VXRMGR.ini"));
    for (const auto& [text, index] : std::vector<std::pair<QByteArray, int>>{{"25", 25}, {"-1", -1}, {"word", 0}}) {
        ASSERT_TRUE(WriteBytes(s.Path(), "[vxrmanager]\r\ncommport=" + text + "\r\n"));
        EXPECT_EQ(s.LoadAppSettings(), index) << text.toStdString();
    }
}

namespace {
// Identifies the file object: a replacing write gives the name a new inode.
ino_t Inode(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}
}  // namespace

// Users edit the file by hand: a save changes the CommPort value and nothing else.
TEST(AppSettings, SavingChangesOnlyTheCommPortValue)
{
    struct Case {
        const char* what;
        QByteArray before;
        int index;
        QByteArray after;
    };
    const Case cases[] = {
        {"comments and blank lines, LF",
         "; vxrmgr settings\n\n[VxrManager]\n; the port list's choice\nCommPort=2\n\n; pins\n[Ports]\nCOM1=/dev/ttyUSB0\n", 5,
         "; vxrmgr settings\n\n[VxrManager]\n; the port list's choice\nCommPort=5\n\n; pins\n[Ports]\nCOM1=/dev/ttyUSB0\n"},
        {"CR LF, other entries and sections",
         "[Ports]\r\nCOM1=/dev/ttyUSB0\r\n[VxrManager]\r\nWindow=1\r\nCommPort=2\r\nOther=x\r\n", 20,
         "[Ports]\r\nCOM1=/dev/ttyUSB0\r\n[VxrManager]\r\nWindow=1\r\nCommPort=20\r\nOther=x\r\n"},
        {"spacing and case as written", "[ vxrmanager ]\n  commport =  12  \n", 3, "[ vxrmanager ]\n  commport =  3  \n"},
        {"empty value", "[VxrManager]\nCommPort=\n", 4, "[VxrManager]\nCommPort=4\n"},
        {"only the first section and entry of the name are read, so only they change",
         "CommPort=9\n[VxrManager]\nCommPort\nCommPort=1\nCommPort=7\n[VxrManager]\nCommPort=8\n", 2,
         "CommPort=9\n[VxrManager]\nCommPort\nCommPort=2\nCommPort=7\n[VxrManager]\nCommPort=8\n"},
        {"entry absent: after the section's last entry, before the next section's comment",
         "[VxrManager]\r\nWindow=1\r\n\r\n; pins\r\n[Ports]\r\nCOM2=/dev/ttyACM0\r\n", 1,
         "[VxrManager]\r\nWindow=1\r\nCommPort=1\r\n\r\n; pins\r\n[Ports]\r\nCOM2=/dev/ttyACM0\r\n"},
        {"entry absent, section last and unterminated", "[VxrManager]", 6, "[VxrManager]\r\nCommPort=6\r\n"},
        {"section absent, LF file without a final line end", "; mine\n[Ports]\nCOM1=/dev/ttyS0", 1,
         "; mine\n[Ports]\nCOM1=/dev/ttyS0\n\n[VxrManager]\nCommPort=1\n"},
        {"section absent, file ends in a blank line", "[Ports]\r\nCOM1=/dev/ttyS0\r\n\r\n", 0,
         "[Ports]\r\nCOM1=/dev/ttyS0\r\n\r\n[VxrManager]\r\nCommPort=0\r\n"},
        {"a byte-order mark and Japanese comments stay", "\xEF\xBB\xBF; \xE6\x97\xA5\xE6\x9C\xAC\r\n[VxrManager]\r\nCommPort=1\r\n", 2,
         "\xEF\xBB\xBF; \xE6\x97\xA5\xE6\x9C\xAC\r\n[VxrManager]\r\nCommPort=2\r\n"},
    };
    QTemporaryDir dir;
    const AppSettings s(dir.filePath("VXRMGR.ini"));
    for (const Case& c : cases) {
        ASSERT_TRUE(WriteBytes(s.Path(), c.before));
        s.SaveAppSettings(c.index);
        EXPECT_EQ(ReadBytes(s.Path()), c.after) << c.what;
        EXPECT_EQ(s.LoadAppSettings(), c.index) << c.what;
    }
}

TEST(AppSettings, AnUnchangedValueOrAStartWritesNothing)
{
    QTemporaryDir dir;
    const AppSettings s(dir.filePath("VXRMGR.ini"));
    const QByteArray text = "; pinned by hand\n[VxrManager]\nCommPort=03\n[Ports]\nCOM3=/dev/ttyUSB1\n";
    ASSERT_TRUE(WriteBytes(s.Path(), text));
    const ino_t before = Inode(s.Path());
    EXPECT_EQ(s.LoadAppSettings(), 3);
    s.SaveAppSettings(3);
    EXPECT_EQ(Inode(s.Path()), before);
    EXPECT_EQ(ReadBytes(s.Path()), text);
    s.SaveAppSettings(4);
    EXPECT_NE(Inode(s.Path()), before);
}

// Installed, the program keeps its file in the user's configuration folder; a file beside the
// program (portable use, the build folder) wins, but none is ever created there.
TEST(AppSettings, DefaultPathPrefersAFileBesideTheProgramElseTheUserConfigFolder)
{
    QTemporaryDir program;
    QTemporaryDir config;
    const QByteArray savedXdg = qgetenv("XDG_CONFIG_HOME");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));

    const QString userFile = config.filePath("vxrmgr/VXRMGR.ini");
    EXPECT_EQ(AppSettings::DefaultPath(program.path()), userFile);
    const AppSettings installed(AppSettings::DefaultPath(program.path()));
    EXPECT_EQ(installed.LoadAppSettings(), 0);
    installed.SaveAppSettings(2);
    EXPECT_EQ(ReadBytes(userFile), "[VxrManager]\r\nCommPort=2\r\n");
    EXPECT_TRUE(QDir(program.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));

    const QString portable = program.filePath("VXRMGR.ini");
    ASSERT_TRUE(WriteBytes(portable, "[VxrManager]\nCommPort=4\n"));
    EXPECT_EQ(AppSettings::DefaultPath(program.path()), portable);
    EXPECT_EQ(AppSettings(AppSettings::DefaultPath(program.path())).LoadAppSettings(), 4);

    if (savedXdg.isNull())
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", savedXdg);
}

TEST(AppSettings, FailuresAreSilent)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain");
    ASSERT_TRUE(WriteBytes(plain, "x"));
    const AppSettings unwritable(plain + "/VXRMGR.ini");
    EXPECT_EQ(unwritable.LoadAppSettings(), 0);
    EXPECT_NO_THROW(unwritable.SaveAppSettings(4));
    EXPECT_EQ(unwritable.LoadPortTable(), (std::map<int, std::string>{}));

    // A folder where the file should be: nothing read, nothing written, nothing thrown.
    const AppSettings folder(dir.path());
    EXPECT_EQ(folder.LoadAppSettings(), 0);
    EXPECT_NO_THROW(folder.SaveAppSettings(4));
    EXPECT_EQ(ReadBytes(plain), "x");
}

TEST(AppSettings, PortTableMapsNumbersToDevices)
{
    QTemporaryDir dir;
    const AppSettings s(dir.filePath("VXRMGR.ini"));
    ASSERT_TRUE(WriteBytes(s.Path(), "[ports]\r\ncom1 = /dev/ttyUSB0\r\nCOM3=\r\nCOM20=/dev/serial/by-id/usb-x\r\n"
                                     "COM21=/dev/ttyS9\r\nCOM0=/dev/ttyS8\r\n"));
    const std::map<int, std::string> expected{{1, "/dev/ttyUSB0"}, {20, "/dev/serial/by-id/usb-x"}};
    EXPECT_EQ(s.LoadPortTable(), expected);

    // A file that is there but cannot be read gives no table at all, not an empty one.
    const AppSettings folder(dir.path());
    EXPECT_EQ(folder.LoadPortTable(), std::nullopt);
}

