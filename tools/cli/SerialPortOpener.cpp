#include "SerialPortOpener.h"

#include <cctype>
#include <cstring>

#include "CliText.h"
#include "ECommError.h"
#include "PortCauseText.h"
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
                               std::string* error, int language)
{
    const int n = ComNumber(port);
    if (n == 0) {
        device = port;
        return true;
    }
    if (n < 0) {
        if (error)
            *error = CliText::Get(CliText::kNoSuchPort, language, {port});
        return false;
    }
    device = PortTable(pins).DeviceFor(n);
    if (device.empty()) {
        if (error)
            *error = CliText::Get(CliText::kNotAssigned, language, {std::to_string(n)});
        return false;
    }
    return true;
}

bool SerialPortOpener::Open(TCustomCommX& comm, const std::string& device, int32_t receiveTimeoutMs,
                            std::string* error, int language)
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
            // The system's words, then what to do about them, as the window says it.
            const OpenCause& cause = e.Cause();
            const std::string line = PortCauseText::Line(cause, language);
            *error = CliText::Get(CliText::kCannotOpen, language,
                                  {device, cause.error ? std::strerror(cause.error) : e.what()}) +
                     (line.empty() ? "" : "\n  " + line);
        }
        return false;
    } catch (const std::exception& e) {
        comm.Close();
        if (error)
            *error = CliText::Get(CliText::kCannotOpen, language, {device, e.what()});
        return false;
    }
    return true;
}
