#pragma once
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text of the application settings file "VXRMGR.ini": the chosen serial port, the table
// that maps port numbers to devices and the settings files used last. Users edit the file by
// hand, so the program changes only the CommPort value and the list of files, and keeps every
// other line, comment and blank line as written. Works on
// the file's bytes; AppSettings reads and writes the file.
class AppSettingsText {
public:
    static constexpr int kMaxPort = 20;
    static constexpr int kMaxRecent = 8;

    // The remembered port index ("CommPort" in VxrManager, default 0), as stored; nothing when
    // the bytes are beyond the bounds of a settings file.
    static std::optional<int> CommPort(std::string_view bytes);

    // Section "Ports": port number n (1..20) -> the device named by entry "COMn", when present
    // and not empty. Nothing when the bytes are beyond the bounds of a settings file.
    static std::optional<std::map<int, std::string>> PortTable(std::string_view bytes);

    // The file's bytes with only the CommPort value set to index (the entry, or the section,
    // added when absent); nothing when the stored value is index already, or the bytes are
    // beyond the bounds of a settings file. A byte-order mark the file had stays; text is
    // written as UTF-8.
    static std::optional<std::string> WithCommPort(std::string_view bytes, int index);

    // Section "Recent", entries File1..File8: the settings files opened or saved last, the
    // newest first, each once; empty entries are no file.
    static std::vector<std::string> RecentFiles(std::string_view bytes);
    // The file's bytes with path at the head of that list (moved there when listed already),
    // the oldest beyond eight dropped; nothing when unchanged or beyond the bounds.
    static std::optional<std::string> WithRecentFile(std::string_view bytes, const std::string& path);
};
