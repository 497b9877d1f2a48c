#pragma once
#include <cstdint>
#include <string>
#include <vector>

class AppSettings;
class TCommX;
class TPortComboBox;

// The port list's commands: the numbers COM1..COM20 and the devices they open, the choice kept
// in the application settings, and opening the chosen port when the list closes up.
class TPortSelection {
public:
    // language is the window's, read when a message is shown (it is set after the panel is built).
    TPortSelection(TPortComboBox* list, TCommX& commX, AppSettings& settings, std::string devDir, const int& language);

    void FillPortList();
    // Reads the pinned numbers and the devices present again, for the port about to be chosen.
    void ReadPortTable();
    void LoadAppSettings();
    void SaveAppSettings();
    void CommPortCloseUp();
    // The device each port number opens, as of the last port choice.
    std::string DeviceOfPort(int32_t portNo) const;

private:
    // The window's control, port and settings, under the window's names.
    TPortComboBox* CommPort;
    TCommX& CommX1;
    AppSettings& appSettings_;
    const int& Language;
    std::string devDir_;
    std::vector<std::string> portDevices_;  // index n - 1: the device of COMn
};
