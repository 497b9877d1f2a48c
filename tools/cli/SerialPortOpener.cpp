#include "SerialPortOpener.h"

#include <cctype>
#include <cerrno>
#include <cstring>

#include "ECommError.h"
#include "OpenCause.h"
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
    } catch (const ECommError& e) {
        comm.Close();
        if (error) {
            const std::string why = Describe(e.Cause());
            *error = "cannot open " + device + ": " + (why.empty() ? e.what() : why);
        }
        return false;
    } catch (const std::exception& e) {
        comm.Close();
        if (error)
            *error = "cannot open " + device + ": " + e.what();
        return false;
    }
    return true;
}

std::string SerialPortOpener::Describe(const OpenCause& cause)
{
    using K = OpenCause::Kind;
    switch (cause.kind) {
    case K::Unknown:
        return {};
    case K::Unassigned:
        return "no device is assigned to this port";
    case K::NoDevice:
        return std::strerror(cause.error ? cause.error : ENOENT);
    case K::NotSerial:
        return "not a serial device";
    case K::Busy: {
        std::string why = "in use by another program";
        for (size_t k = 0; k < cause.holders.size(); ++k) {
            const auto& h = cause.holders[k];
            why += (k == 0 ? ": " : ", ") + (h.program.empty() ? std::string("?") : h.program) + " (pid " +
                   std::to_string(h.pid) + ")";
        }
        return why;
    }
    case K::PermissionDenied:
        switch (cause.access) {
        case OpenCause::Access::JoinGroup:
            return std::string(std::strerror(EACCES)) + "\n  the device belongs to group " + cause.group +
                   "; add yourself to it with\n    sudo usermod -aG " + cause.group + " $USER\n  then log in again";
        case OpenCause::Access::LogInAgain:
            return std::string(std::strerror(EACCES)) + "\n  you were added to group " + cause.group +
                   ", which owns the device, after this session began: log out and in again";
        case OpenCause::Access::RootOnly:
            return std::string(std::strerror(EACCES)) +
                   "\n  only root may open it; give its group (e.g. dialout) access with a udev rule";
        }
        return std::strerror(EACCES);
    case K::Other:
        return std::strerror(cause.error);
    }
    return {};
}
