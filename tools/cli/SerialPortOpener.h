#pragma once
#include <cstdint>
#include <map>
#include <string>

class TCustomCommX;

// Turns the command line's PORT into a device and opens it with the window's line settings
// (1200 bit/s, 8N1, no flow control, 500 ms transmit time-out), telling the user why not.
class SerialPortOpener {
public:
    // COM1..COM20 (any case) through the port table with the given pins; anything else is taken
    // as a device path. False with the reason when a COM number has no device.
    static bool Resolve(const std::string& port, const std::map<int, std::string>& pins, std::string& device,
                        std::string* error, int language = 1);

    // Number n of "COMn" (1..20), 0 for a text that is not of that form, -1 for COM0, COM21...
    static int ComNumber(const std::string& port);

    // Opens the device; on failure the port stays closed and *error says why (language 0
    // Japanese, 1 English).
    static bool Open(TCustomCommX& comm, const std::string& device, int32_t receiveTimeoutMs, std::string* error,
                     int language = 1);
};
