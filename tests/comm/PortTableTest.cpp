#include <gtest/gtest.h>

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

TEST(PortTable, ThisMachinesDevicesAreSerialOnesInOrder)
{
    const auto present = PortTable::PresentDevices();
    auto sorted = present;
    PortTable::SortDevices(sorted);
    EXPECT_EQ(present, sorted);
    for (const auto& path : present) {
        EXPECT_EQ(path.rfind("/dev/tty", 0), 0u) << path;
        EXPECT_EQ(path.find("ptmx"), std::string::npos);
    }
}
