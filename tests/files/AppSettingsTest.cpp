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

namespace {
// Identifies the file object: a replacing write gives the name a new inode.
ino_t Inode(const QString& path)
{
    struct stat st {};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}
}  // namespace

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

// Beside a program installed under /usr a VXRMGR.ini is never read (/bin is /usr/bin on Debian).
TEST(AppSettings, AProgramUnderUsrIsNeverPortable)
{
    QTemporaryDir dir;
    const QString linkToUsr = dir.filePath("bin");
    ASSERT_TRUE(QFile::link("/usr/bin", linkToUsr));
    const std::pair<QString, bool> cases[] = {
        {"/usr/bin", true},   {"/usr/local/bin", true}, {"/usr", true},       {"/usr/bin/../lib", true},
        {linkToUsr, true},    {"/usrlocal/bin", false}, {"/opt/vxr", false}, {dir.path(), false},
    };
    for (const auto& [folder, system] : cases)
        EXPECT_EQ(AppSettings::IsSystemFolder(folder), system) << folder.toStdString();
}

// The system-wide defaults stand in for a user file that does not exist, and the user's file
// starts as their copy; once the user has a file, the defaults play no part.
TEST(AppSettings, SystemDefaultsAreTheFirstContent)
{
    QTemporaryDir dir;
    const QString defaults = dir.filePath("defaults.ini");
    const QByteArray text = "; site defaults\n[VxrManager]\nCommPort=2\n[Ports]\nCOM2=/dev/ttyUSB7\n";
    ASSERT_TRUE(WriteBytes(defaults, text));
    const AppSettings s(dir.filePath("user/VXRMGR.ini"), defaults);
    EXPECT_EQ(s.LoadPortTable(), (std::map<int, std::string>{{2, "/dev/ttyUSB7"}}));
    EXPECT_EQ(s.LoadAppSettings(), 2);
    EXPECT_EQ(ReadBytes(s.Path()), text);
    s.SaveAppSettings(5);
    ASSERT_TRUE(WriteBytes(defaults, "[VxrManager]\nCommPort=9\n"));
    EXPECT_EQ(s.LoadAppSettings(), 5);
    EXPECT_EQ(s.LoadPortTable(), (std::map<int, std::string>{{2, "/dev/ttyUSB7"}}));

    // Closing before the file could be made still makes it, from the defaults.
    const AppSettings late(dir.filePath("late/VXRMGR.ini"), defaults);
    late.SaveAppSettings(9);
    EXPECT_EQ(ReadBytes(late.Path()), "[VxrManager]\nCommPort=9\n");
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

TEST(AppSettings, PortTableComesFromTheFile)
{
    QTemporaryDir dir;
    const AppSettings s(dir.filePath("VXRMGR.ini"));
    ASSERT_TRUE(WriteBytes(s.Path(), "[ports]\r\ncom1 = /dev/ttyUSB0\r\n"));
    EXPECT_EQ(s.LoadPortTable(), (std::map<int, std::string>{{1, "/dev/ttyUSB0"}}));

    // A file that is there but cannot be read gives no table at all, not an empty one.
    const AppSettings folder(dir.path());
    EXPECT_EQ(folder.LoadPortTable(), std::nullopt);
}

