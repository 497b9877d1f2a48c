#include "AppSettings.h"

#include "AtomicFileWriter.h"
#include "IniFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <exception>

namespace {

const QString kFileName = QStringLiteral("VXRMGR.ini");
const QString kFolderName = QStringLiteral("vxrmgr");

}  // namespace

const QString AppSettings::kSystemDefaults = QStringLiteral("/etc/xdg/vxrmgr/VXRMGR.ini");

AppSettings::AppSettings() : path_(DefaultPath()), systemDefaults_(kSystemDefaults) {}

AppSettings::AppSettings(QString path, QString systemDefaults)
    : path_(std::move(path)), systemDefaults_(std::move(systemDefaults))
{
}

QString AppSettings::DefaultPath()
{
    return DefaultPath(QCoreApplication::applicationDirPath());
}

QString AppSettings::DefaultPath(const QString& programDir)
{
    if (!programDir.isEmpty() && !IsSystemFolder(programDir)) {
        const QString portable = programDir + u'/' + kFileName;
        if (QFileInfo(portable).isFile())
            return portable;
    }
    // The same folder for every program of the tool, whatever its application name.
    const QString configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return configHome + u'/' + kFolderName + u'/' + kFileName;
}

bool AppSettings::IsSystemFolder(const QString& dir)
{
    const QFileInfo info(dir);
    const QString canonical = info.canonicalFilePath();
    const QString path = canonical.isEmpty() ? QDir::cleanPath(info.absoluteFilePath()) : canonical;
    return path == QStringLiteral("/usr") || path.startsWith(QStringLiteral("/usr/"));
}

std::string AppSettings::Bytes(bool& exists) const
{
    std::optional<std::string> bytes = IniFile::TryReadBytes(path_);
    exists = bytes.has_value();
    if (!exists && !systemDefaults_.isEmpty()) {
        try {
            bytes = IniFile::TryReadBytes(systemDefaults_);
        } catch (const std::exception&) {
            // Defaults that cannot be read are no defaults.
        }
    }
    return bytes.value_or(std::string());
}

int AppSettings::LoadAppSettings() const
{
    try {
        bool existed = false;
        const std::string bytes = Bytes(existed);
        const std::optional<int> index = AppSettingsText::CommPort(bytes);
        if (!index)
            return 0;
        if (!existed) {
            try {
                Write(bytes);  // created, so that the user finds it
            } catch (const std::exception&) {
                // Start-up goes on without the file.
            }
        }
        return *index;
    } catch (const std::exception&) {
        return 0;
    }
}

void AppSettings::SaveAppSettings(int index) const
{
    try {
        // Reading through the file layer refuses what it refuses: folders, devices, huge files.
        bool exists = false;
        const std::string bytes = Bytes(exists);
        std::optional<std::string> updated = AppSettingsText::WithCommPort(bytes, index);
        // A file made from the defaults holds the same value; it is made all the same.
        if (!updated && !exists && AppSettingsText::CommPort(bytes))
            updated = bytes;
        if (updated)
            Write(*updated);
    } catch (const std::exception&) {
        // Nothing saved; the next start uses the file's previous content.
    }
}

void AppSettings::Write(const std::string& data) const
{
    // The user's configuration folder may not exist yet.
    QDir().mkpath(QFileInfo(path_).absolutePath());
    AtomicFileWriter::Write(path_, data);
}

QStringList AppSettings::RecentFiles() const
{
    QStringList files;
    try {
        bool exists = false;
        for (const std::string& f : AppSettingsText::RecentFiles(Bytes(exists)))
            files << QString::fromStdString(f);
    } catch (const std::exception&) {
        // None remembered.
    }
    return files;
}

void AppSettings::AddRecentFile(const QString& path) const
{
    try {
        bool exists = false;
        if (const auto updated = AppSettingsText::WithRecentFile(Bytes(exists), QFileInfo(path).absoluteFilePath().toStdString()))
            Write(*updated);
    } catch (const std::exception&) {
        // Not remembered; nothing else depends on it.
    }
}

std::optional<std::map<int, std::string>> AppSettings::LoadPortTable() const
{
    try {
        bool exists = false;
        return AppSettingsText::PortTable(Bytes(exists));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
