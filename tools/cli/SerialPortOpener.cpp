#include "SerialPortOpener.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstring>

#include "PortTable.h"
#include "TCustomCommX.h"

int SerialPortOpener::ComNumber(const std::string& port)
{
    if (port.size() < 4 || port.size() > 6)
        return 0;
    for (size_t k = 0; k < 3; ++k)
        if (std::toupper(static_cast<unsigned char>(port[k])) != "COM"[k])
            return 0;
    int n = 0;
    for (size_t k = 3; k < port.size(); ++k) {
        if (!std::isdigit(static_cast<unsigned char>(port[k])))
            return 0;
        n = n * 10 + (port[k] - '0');
    }
    return n >= 1 && n <= PortTable::kPorts ? n : -1;
}

bool SerialPortOpener::Resolve(const std::string& port, const std::map<int, std::string>& pins, std::string& device,
                               std::string* error)
{
    const int n = ComNumber(port);
    if (n == 0) {
        device = port;
        return true;
    }
    if (n < 0) {
        if (error)
            *error = port + ": no such port (COM1..COM20)";
        return false;
    }
    device = PortTable(pins).DeviceFor(n);
    if (device.empty()) {
        if (error)
            *error = "COM" + std::to_string(n) +
                     " is not assigned to a device (see 'vxrmgr-cli ports'; assign one in section [Ports])";
        return false;
    }
    return true;
}

bool SerialPortOpener::Open(TCustomCommX& comm, const std::string& device, int32_t receiveTimeoutMs,
                            std::string* error)
{
    comm.SetPortResolver([device](int32_t) { return device; });
    comm.SetBitRate(1200);
    comm.SetCharSize(8);
    comm.SetParityBit(cpbNone);
    comm.SetStopBit(csb1);
    comm.SetFlowCtrl(cfcNone);
    comm.SetTimeOutTrans(500);
    comm.SetTimeOutReceive(receiveTimeoutMs);
    try {
        comm.Open();
        // As the window's port selection does after opening: a DTR pulse, then clean queues.
        comm.SetDtr(true);
        comm.SetDtr(false);
        comm.PurgeReceive();
        comm.PurgeTrans();
    } catch (const std::exception& e) {
        comm.Close();
        if (error) {
            const std::string why = Diagnose(device);
            *error = "cannot open " + device + ": " + (why.empty() ? e.what() : why);
        }
        return false;
    }
    return true;
}

std::string SerialPortOpener::Diagnose(const std::string& device)
{
    const int fd = ::open(device.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int e = errno;
        std::string why = std::strerror(e);
        if (e == EACCES) {
            struct stat st {};
            if (::stat(device.c_str(), &st) == 0 && st.st_gid == 0) {
                why += "\n  only root may open it; give its group (e.g. dialout) access with a udev rule";
            } else if (::stat(device.c_str(), &st) == 0) {
                const struct group* g = ::getgrgid(st.st_gid);
                const std::string name = g ? g->gr_name : std::to_string(st.st_gid);
                why += "\n  the device belongs to group " + name + "; add yourself to it with\n" +
                       "    sudo usermod -aG " + name + " $USER\n  then log in again";
            }
        }
        return why;
    }
    std::string why;
    if (!::isatty(fd))
        why = "not a serial device";
    else if (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK)
        why = "in use by another program";
    ::close(fd);
    return why;
}
