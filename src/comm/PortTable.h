#pragma once
#include <map>
#include <string>
#include <utility>
#include <vector>

// Port numbers COM1..COM20 to device paths. A number pinned in the application settings
// (section "Ports", entry "COMn") opens that path; the other numbers, in ascending order, get
// the serial devices present when the table is built, in a stable order (/dev/ttyUSB*,
// /dev/ttyACM*, then /dev/ttyS* with real hardware), skipping devices already pinned.
class PortTable {
public:
    static constexpr int kPorts = 20;

    explicit PortTable(std::map<int, std::string> pins = {});
    // With the list of present devices given (already in order).
    PortTable(std::map<int, std::string> pins, std::vector<std::string> present);

    std::string DeviceFor(int portNo) const;                   // "" when unassigned
    std::vector<std::pair<int, std::string>> Mapping() const;  // 1..20 with their devices

    // The serial devices of this machine, in table order (the folders are for tests).
    static std::vector<std::string> PresentDevices(const std::string& devDir = "/dev",
                                                   const std::string& sysClassTty = "/sys/class/tty");
    // Orders device names: ttyUSB, then ttyACM, then ttyS, each by number; others last.
    static void SortDevices(std::vector<std::string>& paths);

private:
    std::vector<std::string> FDevices;  // index 0 is COM1
};
