#include "PortTable.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <system_error>

namespace fs = std::filesystem;

namespace {

// Families of serial device names, in table order.
const char* const kFamilies[] = {"ttyUSB", "ttyACM", "ttyS"};

// Family rank and number of a device name ("ttyUSB3" -> {0, 3}); unknown names rank last.
std::pair<int, long> Rank(const std::string& path)
{
    const std::string name = fs::path(path).filename().string();
    for (int f = 0; f < 3; ++f) {
        const std::string prefix = kFamilies[f];
        if (name.size() > prefix.size() && name.compare(0, prefix.size(), prefix) == 0) {
            const std::string digits = name.substr(prefix.size());
            if (std::all_of(digits.begin(), digits.end(), [](unsigned char c) { return std::isdigit(c); }) &&
                digits.size() < 10)
                return {f, std::stol(digits)};
        }
    }
    return {3, 0};
}

// The kernel registers placeholder ttyS ports whether or not a UART is there; only those with
// a driver bound and a known UART type are real.
bool RealSerialHardware(const std::string& sysClassTty, const std::string& name)
{
    std::error_code ec;
    const fs::path sys = fs::path(sysClassTty) / name;
    if (!fs::exists(sys / "device" / "driver", ec))
        return false;
    std::ifstream type(sys / "type");
    int value = 0;
    return static_cast<bool>(type >> value) && value != 0;
}

std::string Canonical(const std::string& path)
{
    std::error_code ec;
    const fs::path p = fs::weakly_canonical(path, ec);
    return ec ? path : p.string();
}

}  // namespace

PortTable::PortTable(std::map<int, std::string> pins) : PortTable(std::move(pins), PresentDevices()) {}

PortTable::PortTable(std::map<int, std::string> pins, std::vector<std::string> present)
    : FDevices(kPorts)
{
    std::set<std::string> pinned;
    for (const auto& [portNo, path] : pins) {
        if (portNo < 1 || portNo > kPorts || path.empty())
            continue;
        FDevices[static_cast<size_t>(portNo - 1)] = path;
        pinned.insert(Canonical(path));
    }
    auto next = present.begin();
    for (auto& slot : FDevices) {
        if (!slot.empty())
            continue;
        while (next != present.end() && pinned.count(Canonical(*next)))
            ++next;
        if (next == present.end())
            break;
        slot = *next++;
    }
}

std::string PortTable::DeviceFor(int portNo) const
{
    if (portNo < 1 || portNo > kPorts)
        return {};
    return FDevices[static_cast<size_t>(portNo - 1)];
}

std::vector<std::pair<int, std::string>> PortTable::Mapping() const
{
    std::vector<std::pair<int, std::string>> mapping;
    for (int n = 1; n <= kPorts; ++n)
        mapping.emplace_back(n, FDevices[static_cast<size_t>(n - 1)]);
    return mapping;
}

void PortTable::SortDevices(std::vector<std::string>& paths)
{
    std::stable_sort(paths.begin(), paths.end(),
                     [](const std::string& a, const std::string& b) { return Rank(a) < Rank(b); });
}

std::vector<std::string> PortTable::PresentDevices(const std::string& devDir, const std::string& sysClassTty)
{
    std::vector<std::string> found;
    std::error_code ec;
    for (fs::directory_iterator it(devDir, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const int family = Rank(name).first;
        if (family > 2)
            continue;
        if (family == 2 && !RealSerialHardware(sysClassTty, name))
            continue;
        found.push_back(it->path().string());
    }
    SortDevices(found);
    return found;
}
