#pragma once
// Runs the built vxrmgr-cli as a separate process, as a script would.
#include <QByteArray>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

#include <string>
#include <utility>
#include <vector>

#include "BuiltPrograms.h"

struct CliRun {
    int status = -1;  // -1: crashed or did not finish
    std::string out;
    std::string err;
};

// What the process is given besides its arguments. Messages are English unless a test asks
// for another locale: env entries replace the environment's (a value of "" removes it).
struct CliSetting {
    std::vector<std::pair<QString, QString>> env;
    QByteArray input;      // standard input
    QString outputFile;    // standard output goes there instead of being kept
};

// errorFile: standard error goes there instead of being kept (a terminal, for instance).
inline CliRun Cli(const QStringList& args, const CliSetting& setting = {}, const QString& errorFile = {})
{
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    for (const auto& [name, value] : setting.env) {
        if (value.isEmpty())
            e.remove(name);
        else
            e.insert(name, value);
    }
    p.setProcessEnvironment(e);
    if (!setting.outputFile.isEmpty())
        p.setStandardOutputFile(setting.outputFile);
    if (!errorFile.isEmpty())
        p.setStandardErrorFile(errorFile);
    p.start(QString::fromUtf8(BuiltPrograms::kCli), args);
    p.write(setting.input);
    p.closeWriteChannel();
    CliRun r;
    if (!p.waitForFinished(60000)) {
        p.kill();
        p.waitForFinished();
        r.err = "did not finish";
        return r;
    }
    r.status = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = p.readAllStandardOutput().toStdString();
    r.err = p.readAllStandardError().toStdString();
    return r;
}
