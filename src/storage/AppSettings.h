#pragma once
#include <QString>

#include <map>
#include <string>

// The application settings file "VXRMGR.ini": the chosen serial port and the table that maps
// port numbers to devices. Every failure here is silent; the defaults apply instead.
class AppSettings {
public:
    static constexpr int kMaxPort = 20;

    // The file beside the executable, or in the per-user configuration folder when the
    // executable's folder cannot be written (a system-wide install).
    AppSettings();
    explicit AppSettings(QString path);

    const QString& Path() const { return path_; }

    // The remembered port index ("CommPort", default 0), as stored: the caller decides what an
    // index outside 0..20 selects. Writes the file back so that it exists afterwards.
    int LoadAppSettings() const;

    // Stores the port index; other sections and entries of the file stay as they are.
    void SaveAppSettings(int index) const;

    // Section "Ports": port number n (1..20) -> the device named by entry "COMn", when present
    // and not empty.
    std::map<int, std::string> LoadPortTable() const;

    static QString DefaultPath();

private:
    QString path_;
};
