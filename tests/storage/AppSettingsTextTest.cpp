#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "AppSettingsText.h"

TEST(AppSettingsText, StoredValuesComeBackAsStored)
{
    for (const auto& [text, index] : std::vector<std::pair<std::string, int>>{{"25", 25}, {"-1", -1}, {"word", 0}})
        EXPECT_EQ(AppSettingsText::CommPort("[vxrmanager]\r\ncommport=" + text + "\r\n"), index) << text;
    EXPECT_EQ(AppSettingsText::CommPort(""), 0);
}

// Users edit the file by hand: a save changes the CommPort value and nothing else.
TEST(AppSettingsText, SavingChangesOnlyTheCommPortValue)
{
    struct Case {
        const char* what;
        std::string before;
        int index;
        std::string after;
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
    for (const Case& c : cases) {
        const auto after = AppSettingsText::WithCommPort(c.before, c.index);
        ASSERT_TRUE(after) << c.what;
        EXPECT_EQ(*after, c.after) << c.what;
        EXPECT_EQ(AppSettingsText::CommPort(*after), c.index) << c.what;
    }
    // The value stored already, as the document reads it: nothing to write.
    EXPECT_EQ(AppSettingsText::WithCommPort("[VxrManager]\nCommPort=03\n", 3), std::nullopt);
}

TEST(AppSettingsText, PortTableMapsNumbersToDevices)
{
    const std::map<int, std::string> expected{{1, "/dev/ttyUSB0"}, {20, "/dev/serial/by-id/usb-x"}};
    EXPECT_EQ(AppSettingsText::PortTable("[ports]\r\ncom1 = /dev/ttyUSB0\r\nCOM3=\r\nCOM20=/dev/serial/by-id/usb-x\r\n"
                                         "COM21=/dev/ttyS9\r\nCOM0=/dev/ttyS8\r\n"),
              expected);
}

// The files used last: the newest first, each once, eight at most; the rest of the file as the
// user wrote it.
TEST(AppSettingsText, RecentFilesKeepTheNewestEightAndNothingElseChanges)
{
    const std::string start = "; mine\n[VxrManager]\nCommPort=1\n";
    std::string bytes = start;
    for (int n = 1; n <= 9; ++n)
        bytes = AppSettingsText::WithRecentFile(bytes, "/f/" + std::to_string(n) + ".VXS").value();
    EXPECT_EQ(AppSettingsText::RecentFiles(bytes),
              (std::vector<std::string>{"/f/9.VXS", "/f/8.VXS", "/f/7.VXS", "/f/6.VXS", "/f/5.VXS", "/f/4.VXS",
                                        "/f/3.VXS", "/f/2.VXS"}));
    EXPECT_EQ(bytes.rfind(start, 0), 0u);
    EXPECT_EQ(AppSettingsText::CommPort(bytes), 1);

    // A file used again moves to the head; the newest again changes nothing.
    bytes = AppSettingsText::WithRecentFile(bytes, "/f/5.VXS").value();
    EXPECT_EQ(AppSettingsText::RecentFiles(bytes)[0], "/f/5.VXS");
    EXPECT_EQ(AppSettingsText::RecentFiles(bytes)[4], "/f/6.VXS");
    EXPECT_EQ(AppSettingsText::RecentFiles(bytes)[5], "/f/4.VXS");
    EXPECT_EQ(AppSettingsText::RecentFiles(bytes).size(), 8u);
    EXPECT_FALSE(AppSettingsText::WithRecentFile(bytes, "/f/5.VXS"));

    // Edited by hand: empty entries and repeats are no files; a name with "=" and blanks inside stays whole.
    const std::string edited = "[Recent]\nFile1=/a b=c.VXS\nFile2=\nFile3=/a b=c.VXS\nFile4=/d.VXS\n";
    EXPECT_EQ(AppSettingsText::RecentFiles(edited), (std::vector<std::string>{"/a b=c.VXS", "/d.VXS"}));
}
