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

AppSettings::AppSettings() : path_(DefaultPath()) {}

AppSettings::AppSettings(QString path) : path_(std::move(path)) {}

QString AppSettings::DefaultPath()
{
    return DefaultPath(QCoreApplication::applicationDirPath());
}

QString AppSettings::DefaultPath(const QString& programDir)
{
    if (!programDir.isEmpty()) {
        const QString portable = programDir + u'/' + kFileName;
        if (QFileInfo(portable).isFile())
            return portable;
    }
    // The same folder for every program of the tool, whatever its application name.
    const QString configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return configHome + u'/' + kFolderName + u'/' + kFileName;
}

int AppSettings::LoadAppSettings() const
{
    try {
        const bool existed = QFileInfo::exists(path_);
        const std::optional<int> index = AppSettingsText::CommPort(IniFile::ReadBytes(path_));
        if (!index)
            return 0;
        if (!existed) {
            try {
                Write({});  // created empty, so that the user finds it
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
        const std::optional<std::string> updated = AppSettingsText::WithCommPort(IniFile::ReadBytes(path_), index);
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

std::optional<std::map<int, std::string>> AppSettings::LoadPortTable() const
{
    try {
        return AppSettingsText::PortTable(IniFile::ReadBytes(path_));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}
