#pragma once
#include <QString>
#include <QStringList>

#include <map>
#include <optional>
#include <string>

#include "AppSettingsText.h"

// The application settings file "VXRMGR.ini" on disk (its text: AppSettingsText). Every failure
// here is silent; the defaults apply instead.
class AppSettings {
public:
    static constexpr int kMaxPort = AppSettingsText::kMaxPort;

    // System-wide defaults an administrator may provide: while the user has no file of their
    // own, it is read in its place, and the user's file is first made as a copy of it.
    static const QString kSystemDefaults;

    // The file where the running program keeps it (DefaultPath), with kSystemDefaults.
    AppSettings();
    // A file of the caller's, with the system-wide defaults in systemDefaults (none when empty).
    explicit AppSettings(QString path, QString systemDefaults = {});

    const QString& Path() const { return path_; }

    // The remembered port index ("CommPort", default 0), as stored: the caller decides what an
    // index outside 0..20 selects. An absent file is created, so that the user finds it: empty,
    // or as a copy of the system-wide defaults.
    int LoadAppSettings() const;

    // Stores the port index by changing only the CommPort value of the file (adding the entry,
    // or the section, when absent). Nothing is written when the stored value is already index.
    void SaveAppSettings(int index) const;

    // Section "Ports": port number n (1..20) -> the device named by entry "COMn", when present
    // and not empty. Nothing (not an empty table) when the file is there but cannot be read:
    // the pins it holds are unknown, and numbering the devices present without them could open
    // a device other than the one pinned.
    std::optional<std::map<int, std::string>> LoadPortTable() const;

    // The settings files opened or saved last, the newest first (at most eight); none when the
    // file cannot be read.
    QStringList RecentFiles() const;
    // Puts a file (made absolute) at the head of that list; a failure is silent.
    void AddRecentFile(const QString& path) const;

    // VXRMGR.ini beside the program when one is there (portable use), unless the program is
    // installed in the system's folders; otherwise vxrmgr's folder in the user's configuration
    // folder (XDG_CONFIG_HOME, by default ~/.config). A file is never created beside the
    // program: that is the folder it was installed into.
    static QString DefaultPath();
    static QString DefaultPath(const QString& programDir);
    // Whether a program in dir is installed in the system's folders (/usr and below, symbolic
    // links followed): a VXRMGR.ini beside it is another package's or a stray, never read.
    static bool IsSystemFolder(const QString& dir);

private:
    // The file's bytes; while it does not exist, those of the system-wide defaults (empty
    // when there are none or they cannot be read). Throws IniFileError when the file cannot be
    // read.
    std::string Bytes(bool& exists) const;
    // Replaces the file whole (AtomicFileWriter); throws IniFileError.
    void Write(const std::string& data) const;

    QString path_;
    QString systemDefaults_;
};
