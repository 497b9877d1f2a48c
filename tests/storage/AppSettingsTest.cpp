#include <gtest/gtest.h>

#include <QTemporaryDir>

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
    EXPECT_EQ(ReadBytes(s.Path()), "[VxrManager]\r\nCommPort=3\r\n\r\n");
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

TEST(AppSettings, SavingKeepsForeignSectionsAndEntries)
{
    QTemporaryDir dir;
    const AppSettings s(dir.filePath("VXRMGR.ini"));
    ASSERT_TRUE(WriteBytes(s.Path(), "[Ports]\r\nCOM1=/dev/ttyUSB0\r\n[VxrManager]\r\nWindow=1\r\nCommPort=2\r\n"
                                     "Other=x\r\n"));
    s.SaveAppSettings(20);
    EXPECT_EQ(ReadBytes(s.Path()),
              "[Ports]\r\nCOM1=/dev/ttyUSB0\r\n\r\n[VxrManager]\r\nWindow=1\r\nCommPort=20\r\nOther=x\r\n\r\n");
}

TEST(AppSettings, FailuresAreSilent)
{
    QTemporaryDir dir;
    const QString plain = dir.filePath("plain");
    ASSERT_TRUE(WriteBytes(plain, "x"));
    const AppSettings unwritable(plain + "/VXRMGR.ini");
    EXPECT_EQ(unwritable.LoadAppSettings(), 0);
    EXPECT_NO_THROW(unwritable.SaveAppSettings(4));
    EXPECT_TRUE(unwritable.LoadPortTable().empty());

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
}

