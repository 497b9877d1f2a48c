#include "AppSettings.h"

#include "IniDocument.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <exception>

namespace {

const QString kFileName = QStringLiteral("VXRMGR.ini");
const QString kSection = QStringLiteral("VxrManager");
const QString kCommPort = QStringLiteral("CommPort");
const QString kPorts = QStringLiteral("Ports");

}  // namespace

AppSettings::AppSettings() : path_(DefaultPath()) {}

AppSettings::AppSettings(QString path) : path_(std::move(path)) {}

QString AppSettings::DefaultPath()
{
    const QString appDir = QCoreApplication::applicationDirPath();
    if (!appDir.isEmpty() && QFileInfo(appDir).isWritable())
        return appDir + u'/' + kFileName;
    const QString configDir = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    if (configDir.isEmpty())
        return appDir + u'/' + kFileName;  // nowhere better; writing it will fail silently
    QDir().mkpath(configDir);
    return configDir + u'/' + kFileName;
}

int AppSettings::LoadAppSettings() const
{
    try {
        IniDocument doc(path_);
        const int index = doc.ReadInteger(kSection, kCommPort, 0);
        try {
            doc.UpdateFile();
        } catch (const std::exception&) {
            // Start-up goes on without the file.
        }
        return index;
    } catch (const std::exception&) {
        return 0;
    }
}

void AppSettings::SaveAppSettings(int index) const
{
    try {
        IniDocument doc(path_);
        doc.UpdateFile();
        doc.WriteInteger(kSection, kCommPort, index);
        doc.UpdateFile();
    } catch (const std::exception&) {
        // Nothing saved; the next start uses the file's previous content.
    }
}

std::map<int, std::string> AppSettings::LoadPortTable() const
{
    std::map<int, std::string> ports;
    try {
        const IniDocument doc(path_);
        for (int n = 1; n <= kMaxPort; ++n) {
            const QString device = doc.ReadString(kPorts, QStringLiteral("COM%1").arg(n), QString());
            if (!device.isEmpty())
                ports.emplace(n, QFile::encodeName(device).toStdString());
        }
    } catch (const std::exception&) {
        ports.clear();
    }
    return ports;
}
