#pragma once
#include <QString>

#include <map>
#include <optional>
#include <string>

#include "AppSettingsText.h"

// The application settings file "VXRMGR.ini" on disk (its text: AppSettingsText). Every failure
// here is silent; the defaults apply instead.
class AppSettings {
public:
    static constexpr int kMaxPort = AppSettingsText::kMaxPort;

    // The file where the running program keeps it (DefaultPath).
    AppSettings();
    explicit AppSettings(QString path);

    const QString& Path() const { return path_; }

    // The remembered port index ("CommPort", default 0), as stored: the caller decides what an
    // index outside 0..20 selects. An absent file is created empty, so that the user finds it.
    int LoadAppSettings() const;

    // Stores the port index by changing only the CommPort value of the file (adding the entry,
    // or the section, when absent). Nothing is written when the stored value is already index.
    void SaveAppSettings(int index) const;

    // Section "Ports": port number n (1..20) -> the device named by entry "COMn", when present
    // and not empty. Nothing (not an empty table) when the file is there but cannot be read:
    // the pins it holds are unknown, and numbering the devices present without them could open
    // a device other than the one pinned.
    std::optional<std::map<int, std::string>> LoadPortTable() const;

    // VXRMGR.ini beside the program when one is there (portable use); otherwise vxrmgr's folder
    // in the user's configuration folder (XDG_CONFIG_HOME, by default ~/.config). A file is never
    // created beside the program: that is the folder it was installed into.
    static QString DefaultPath();
    static QString DefaultPath(const QString& programDir);

private:
    // Replaces the file whole (AtomicFileWriter); throws IniFileError.
    void Write(const std::string& data) const;

    QString path_;
};
