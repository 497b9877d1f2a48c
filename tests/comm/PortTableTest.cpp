#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "PortTable.h"

TEST(PortTable, PresentDevicesFillTheNumbersInOrder)
{
    PortTable table({}, {"/dev/ttyUSB0", "/dev/ttyUSB1", "/dev/ttyACM0", "/dev/ttyS0"});
    EXPECT_EQ(table.DeviceFor(1), "/dev/ttyUSB0");
    EXPECT_EQ(table.DeviceFor(2), "/dev/ttyUSB1");
    EXPECT_EQ(table.DeviceFor(3), "/dev/ttyACM0");
    EXPECT_EQ(table.DeviceFor(4), "/dev/ttyS0");
    EXPECT_EQ(table.DeviceFor(5), "");
    EXPECT_EQ(table.DeviceFor(0), "");
    EXPECT_EQ(table.DeviceFor(21), "");
    EXPECT_EQ(table.DeviceFor(-3), "");
}

TEST(PortTable, PinsWinAndPinnedDevicesAreNotListedTwice)
{
    PortTable table({{1, "/dev/ttyACM0"}, {5, "/dev/serial/by-id/usb-x"}, {25, "/dev/ignored"}},
                    {"/dev/ttyUSB0", "/dev/ttyACM0", "/dev/ttyS1"});
    EXPECT_EQ(table.DeviceFor(1), "/dev/ttyACM0");
    EXPECT_EQ(table.DeviceFor(2), "/dev/ttyUSB0");
    EXPECT_EQ(table.DeviceFor(3), "/dev/ttyS1");
    EXPECT_EQ(table.DeviceFor(4), "");
    EXPECT_EQ(table.DeviceFor(5), "/dev/serial/by-id/usb-x");

    const auto mapping = table.Mapping();
    ASSERT_EQ(mapping.size(), 20u);
    EXPECT_EQ(mapping.front(), (std::pair<int, std::string>{1, "/dev/ttyACM0"}));
    EXPECT_EQ(mapping.back(), (std::pair<int, std::string>{20, ""}));
}

TEST(PortTable, SortOrdersFamiliesThenNumbers)
{
    std::vector<std::string> paths = {"/dev/ttyS1", "/dev/ttyUSB10", "/dev/ttyACM0", "/dev/ttyUSB2",
                                      "/dev/ttyS0", "/dev/ttyUSB0"};
    PortTable::SortDevices(paths);
    EXPECT_EQ(paths, (std::vector<std::string>{"/dev/ttyUSB0", "/dev/ttyUSB2", "/dev/ttyUSB10", "/dev/ttyACM0",
                                               "/dev/ttyS0", "/dev/ttyS1"}));
}

TEST(PortTable, PlaceholderSerialPortsAreLeftOut)
{
    namespace fs = std::filesystem;
    const fs::path root = fs::temp_directory_path() / ("vxr-ports-" + std::to_string(::getpid()));
    const fs::path dev = root / "dev", sys = root / "sys";
    fs::create_directories(dev);
    for (const char* name : {"ttyS0", "ttyS1", "ttyS2", "ttyS3", "ttyACM1", "ttyUSB0", "tty1", "ttyprintk", "ptmx"})
        std::ofstream(dev / name).put('\n');
    auto uart = [&](const char* name, const char* type, bool driver) {
        fs::create_directories(sys / name / "device");
        std::ofstream(sys / name / "type") << type << "\n";
        if (driver)
            fs::create_directories(sys / name / "device" / "driver");
    };
    uart("ttyS0", "0", true);   // placeholder: unknown UART type
    uart("ttyS1", "4", true);   // a 16550A
    uart("ttyS2", "4", false);  // no driver bound
    // ttyS3: nothing in sysfs at all

    EXPECT_EQ(PortTable::PresentDevices(dev.string(), sys.string()),
              (std::vector<std::string>{(dev / "ttyUSB0").string(), (dev / "ttyACM1").string(),
                                        (dev / "ttyS1").string()}));
    fs::remove_all(root);
}
